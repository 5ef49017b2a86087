#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::report {
namespace {

// In one pass, so that an argument holding "%2" stays as it is.
std::string filled(std::string_view text, const std::vector<std::string>& arguments) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool placeholder =
        text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
    const auto index = placeholder ? static_cast<size_t>(text[i + 1] - '1') : arguments.size();
    if (index < arguments.size()) {
      result += arguments[index];
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

}  // namespace

FailureText& FailureText::say(std::string english, std::string italian, std::vector<std::string> arguments) {
  parts_.push_back({std::move(english), std::move(italian), std::move(arguments), false});
  return *this;
}

FailureText& FailureText::because(std::string_view systemWords) {
  if (!systemWords.empty()) parts_.push_back({std::string(systemWords), {}, {}, true});
  return *this;
}

FailureText& FailureText::because(std::string english, std::string italian) {
  parts_.push_back({std::move(english), std::move(italian), {}, true});
  return *this;
}

std::string FailureText::english() const {
  return joined([](const Part& part) { return filled(part.english, part.arguments); });
}

std::string FailureText::translated(
    const std::function<std::string(const std::string& italian)>& translate) const {
  return joined([&](const Part& part) {
    return part.italian.empty() ? part.english : filled(translate(part.italian), part.arguments);
  });
}

std::string FailureText::joined(const std::function<std::string(const Part& part)>& sentence) const {
  std::string text;
  bool causes = false;  // the part before was a cause
  for (const Part& part : parts_) {
    if (part.cause) text += causes ? ", " : ": ";
    else if (!text.empty()) text += "; ";
    text += sentence(part);
    causes = part.cause;
  }
  return text;
}

PrintFailure::PrintFailure(int32_t number, std::string source, FailureText text)
    : Error(number, std::move(source), text.english()), text_(std::move(text)) {}

}  // namespace briskal::hostkit::report
