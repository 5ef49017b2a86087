#include "fuzz_input.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace briskal::fuzz {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string percentDecoded(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    out.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return out;
}

std::vector<std::string_view> words(std::string_view line, size_t count) {
  std::vector<std::string_view> out;
  while (out.size() < count && !line.empty()) {
    const size_t end = std::min(line.find(' '), line.size());
    out.push_back(line.substr(0, end));
    line.remove_prefix(std::min(end + 1, line.size()));
  }
  out.resize(count);
  out.push_back(line);
  return out;
}

double numberIn(std::string_view word, double low, double high) {
  double value = low;
  std::from_chars(word.data(), word.data() + word.size(), value);
  return std::isnan(value) ? low : std::clamp(value, low, high);
}

}  // namespace briskal::fuzz
