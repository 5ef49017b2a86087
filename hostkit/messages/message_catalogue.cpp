#include "hostkit/messages/message_catalogue.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "common/convert.h"
#include "common/error.h"

namespace briskal::hostkit {
namespace {

// The runtime's numbers for a file that cannot be opened and for one whose content is not valid.
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kInvalidFileFormat = 321;
constexpr const char* kSource = "MessageCatalogue";

[[noreturn]] void throwAtLine(const std::string& origin, size_t line, const std::string& reason) {
  throw Error(kInvalidFileFormat, kSource, origin + ", line " + std::to_string(line) + ": " + reason);
}

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool isValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length;
    if (c < 0x80) length = 1;
    else if (c >= 0xC2 && c <= 0xDF) length = 2;
    else if (c >= 0xE0 && c <= 0xEF) length = 3;
    else if (c >= 0xF0 && c <= 0xF4) length = 4;
    else return false;
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if (!isContinuation(static_cast<unsigned char>(text[i + k]))) return false;
    }
    i += length;
  }
  return true;
}

// Resolves the escapes; an unknown escape or a lone backslash at the end is left to the caller.
bool unescape(std::string_view raw, std::string& out) {
  out.clear();
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\') {
      out.push_back(raw[i]);
      continue;
    }
    if (++i == raw.size()) return false;
    switch (raw[i]) {
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      case 't': out.push_back('\t'); break;
      case 's': out.push_back(' '); break;
      case '\\': out.push_back('\\'); break;
      default: return false;
    }
  }
  return true;
}

int32_t parseNumber(std::string_view digits, const std::string& origin, size_t line) {
  int32_t number = 0;
  const auto [next, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || ec != std::errc() || next != digits.data() + digits.size() || number < 1) {
    throwAtLine(origin, line, "\"" + std::string(digits) + "\" is not a message number");
  }
  return number;
}

std::string parseText(std::string_view raw, const std::string& origin, size_t line) {
  std::string text;
  if (!unescape(raw, text)) throwAtLine(origin, line, "unknown escape; use \\n \\r \\t \\s or \\\\");
  if (text.empty()) throwAtLine(origin, line, "empty text");
  return text;
}

std::string parameterText(const std::vector<Value>& parameters, size_t index, const RegionalSettings& rs) {
  if (index >= parameters.size() || parameters[index].isNull()) return {};
  return toText(parameters[index], rs);
}

std::string substituted(const std::string& pattern, const std::vector<Value>& parameters,
                        const RegionalSettings& rs) {
  std::string result;
  result.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      result += parameterText(parameters, static_cast<size_t>(pattern[i + 1] - '1'), rs);
      ++i;
    } else {
      result.push_back(pattern[i]);
    }
  }
  return result;
}

}  // namespace

MessageCatalogue MessageCatalogue::load(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error(kFileNotFound, kSource, "cannot read the message catalogue " + file.string());
  std::ostringstream content;
  content << in.rdbuf();
  return parse(content.str(), file.string());
}

MessageCatalogue MessageCatalogue::parse(std::string_view content, const std::string& origin) {
  if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
  MessageCatalogue catalogue;
  std::map<int32_t, size_t> definedAt;
  std::map<std::pair<int32_t, std::string>, size_t> captionAt;
  std::map<std::string, size_t, std::less<>> screenAt;
  enum class Section { Texts, Captions, Screen } section = Section::Texts;
  size_t lineNumber = 0;
  while (!content.empty()) {
    ++lineNumber;
    const size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.starts_with('#')) continue;
    if (line == "[captions]" || line == "[screen]") {
      section = line == "[screen]" ? Section::Screen : Section::Captions;
      continue;
    }

    if (!isValidUtf8(line)) throwAtLine(origin, lineNumber, "the text is not UTF-8");
    const size_t tab = line.find('\t');
    if (section == Section::Screen) {
      if (tab == std::string_view::npos || tab == 0)
        throwAtLine(origin, lineNumber, "expected ITALIAN<TAB>TEXT");
      std::string italian = parseText(line.substr(0, tab), origin, lineNumber);
      if (const auto previous = screenAt.find(italian); previous != screenAt.end()) {
        throwAtLine(origin, lineNumber,
                    "screen text \"" + italian + "\" is already on line " + std::to_string(previous->second));
      }
      screenAt.emplace(italian, lineNumber);
      catalogue.screen_.emplace(std::move(italian), parseText(line.substr(tab + 1), origin, lineNumber));
      continue;
    }
    if (tab == std::string_view::npos) throwAtLine(origin, lineNumber, "expected NUMBER<TAB>TEXT");
    const int32_t number = parseNumber(line.substr(0, tab), origin, lineNumber);
    if (section == Section::Captions) {
      const size_t second = line.find('\t', tab + 1);
      if (second == std::string_view::npos)
        throwAtLine(origin, lineNumber, "expected NUMBER<TAB>DEFAULT<TAB>TEXT");
      auto key =
          std::make_pair(number, parseText(line.substr(tab + 1, second - tab - 1), origin, lineNumber));
      if (const auto previous = captionAt.find(key); previous != captionAt.end()) {
        throwAtLine(origin, lineNumber,
                    "caption " + std::to_string(number) + " \"" + key.second + "\" is already on line " +
                        std::to_string(previous->second));
      }
      captionAt.emplace(key, lineNumber);
      catalogue.captions_.emplace(std::move(key), parseText(line.substr(second + 1), origin, lineNumber));
      continue;
    }
    if (const auto previous = definedAt.find(number); previous != definedAt.end()) {
      throwAtLine(
          origin, lineNumber,
          "number " + std::to_string(number) + " is already on line " + std::to_string(previous->second));
    }
    definedAt.emplace(number, lineNumber);
    catalogue.texts_.emplace(number, parseText(line.substr(tab + 1), origin, lineNumber));
  }
  return catalogue;
}

std::string MessageCatalogue::screenText(std::string_view italian) const {
  const auto found = screen_.find(italian);
  return found == screen_.end() ? std::string(italian) : found->second;
}

std::vector<int32_t> MessageCatalogue::numbers() const {
  std::vector<int32_t> result;
  result.reserve(texts_.size());
  for (const auto& entry : texts_) result.push_back(entry.first);
  return result;
}

std::string MessageCatalogue::text(int32_t number, const std::vector<Value>& parameters,
                                   const RegionalSettings& rs) const {
  const auto found = texts_.find(number);
  if (found == texts_.end()) return std::string("[").append(std::to_string(number)).append("]");
  return substituted(found->second, parameters, rs);
}

std::string MessageCatalogue::text(int32_t number, std::string_view defaultText,
                                   const std::vector<Value>& parameters, const RegionalSettings& rs) const {
  const auto found = captions_.find(std::make_pair(number, std::string(defaultText)));
  if (found == captions_.end()) return text(number, parameters, rs);
  return substituted(found->second, parameters, rs);
}

}  // namespace briskal::hostkit
