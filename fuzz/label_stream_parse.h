#pragma once
// Label-printer streams read back as a printer would read them, strictly: only the commands the
// writers use, each with the parameters they give it. Any other byte is a violation, which aborts.

#include <string>
#include <string_view>
#include <vector>

namespace briskal::fuzz {

// A field's value as the printer takes it (escapes undone), or a graphic.
struct StreamItem {
  bool graphic = false;
  std::string data;
  bool operator==(const StreamItem&) const = default;
};

// A label as printed: the size in dots in force when it prints, and its values in order.
struct StreamLabel {
  int widthDots = 0;
  int heightDots = 0;
  std::vector<StreamItem> items;
};

// Prints `what` with the stream around byte `at`, and aborts.
[[noreturn]] void violation(std::string_view what, std::string_view stream, size_t at);
inline void require(bool holds, std::string_view what, std::string_view stream, size_t at) {
  if (!holds) violation(what, stream, at);
}

// Whether `text` is one of the writers' parameter lists: digits, capitals and commas.
bool isParameterList(std::string_view text);
// The comma-separated numbers of a parameter list that starts with `count` of them.
std::vector<int> leadingNumbers(std::string_view parameters, size_t count, std::string_view stream,
                                size_t at);

std::vector<StreamLabel> readZpl(std::string_view stream);
std::vector<StreamLabel> readEpl2(std::string_view stream);

}  // namespace briskal::fuzz
