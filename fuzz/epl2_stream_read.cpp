// An EPL2 stream read as the printer reads it: one command a line, except for a graphic's bytes,
// which follow their header for as many bytes as it gives. Text and barcode data are quoted strings
// in which a backslash takes the next character as it is.

#include <optional>
#include <set>

#include "label_stream_parse.h"

namespace briskal::fuzz {
namespace {

// The commands the EPL2 writer uses, by their letters.
const std::set<std::string_view> kEpl2Commands{"I", "D",  "S",  "N", "q",  "Q", "A",
                                               "B", "LO", "LS", "X", "GW", "P", "R"};

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The quoted string at `i`, which must end its line; `i` moves past the line's end.
std::string quotedString(std::string_view stream, size_t& i) {
  require(i < stream.size() && stream[i] == '"', "data that is not a quoted string", stream, i);
  std::string value;
  for (++i;; ++i) {
    require(i < stream.size(), "a quoted string not closed", stream, i);
    const auto c = static_cast<unsigned char>(stream[i]);
    require(c >= 0x20 && c != 0x7F, "a control character in a quoted string", stream, i);
    if (c == '"') break;
    if (c == '\\') {
      ++i;
      require(i < stream.size() && (stream[i] == '"' || stream[i] == '\\'),
              "a backslash that escapes neither a quote nor a backslash", stream, i);
    }
    value += stream[i];
  }
  ++i;
  require(i < stream.size() && stream[i] == '\n', "more after a quoted string", stream, i);
  ++i;
  return value;
}

}  // namespace

std::vector<StreamLabel> readEpl2(std::string_view stream) {
  // The job starts with a newline that ends what an interrupted job left, and the code page.
  require(stream.substr(0, 10) == "\nI8,A,001\n", "a job that does not start with the code page", stream, 0);
  std::vector<StreamLabel> labels;
  std::optional<StreamLabel> label;
  int width = -1, height = -1;
  size_t i = 10;
  while (i < stream.size()) {
    const size_t at = i;
    size_t letters = i;
    while (letters < stream.size() && isLetter(stream[letters])) ++letters;
    const std::string_view name = stream.substr(i, letters - i);
    require(kEpl2Commands.count(name) == 1, "a command the writer does not use", stream, at);
    i = letters;
    if (name == "A" || name == "B") {
      const size_t quote = stream.find('"', i);
      require(quote != std::string_view::npos && isParameterList(stream.substr(i, quote - i)),
              "a text or barcode whose parameters the writer does not write", stream, at);
      require(label.has_value(), "a command outside a label", stream, at);
      i = quote;
      label->items.push_back({false, quotedString(stream, i)});
      continue;
    }
    if (name == "GW") {
      const std::vector<int> sizes = leadingNumbers(stream.substr(i), 4, stream, at);
      require(label.has_value(), "a command outside a label", stream, at);
      // x,y,bytes-a-row,rows, then the rows' bytes and the line's end.
      for (int comma = 0; comma < 4; ++comma) i = stream.find(',', i) + 1;
      const size_t bytes = static_cast<size_t>(sizes[2]) * static_cast<size_t>(sizes[3]);
      require(i + bytes < stream.size() && stream[i + bytes] == '\n', "a graphic not as long as it says",
              stream, at);
      i += bytes + 1;
      label->items.push_back({true, {}});
      continue;
    }
    const size_t end = stream.find('\n', i);
    require(end != std::string_view::npos, "a command without its line's end", stream, at);
    const std::string_view parameters = stream.substr(i, end - i);
    require(isParameterList(parameters), "parameters the writer does not write", stream, at);
    i = end + 1;
    if (name == "I" || name == "D" || name == "S") {
      require(!label && (name != "I"), "job settings inside a label, or a second code page", stream, at);
    } else if (name == "N") {
      require(!label && parameters.empty(), "a label inside a label", stream, at);
      label.emplace();
    } else {
      require(label.has_value(), "a command outside a label", stream, at);
      if (name == "q") width = leadingNumbers(parameters, 1, stream, at)[0];
      if (name == "Q") height = leadingNumbers(parameters, 1, stream, at)[0];
      if (name == "P") {
        require(parameters == "1", "a label printed other than once", stream, at);
        label->widthDots = width;
        label->heightDots = height;
        labels.push_back(std::move(*label));
        label.reset();
      }
    }
  }
  require(!label, "a label not printed", stream, stream.size());
  return labels;
}

}  // namespace briskal::fuzz
