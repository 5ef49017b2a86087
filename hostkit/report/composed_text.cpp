#include "hostkit/report/composed_text.h"

#include <charconv>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

std::vector<ComposedPart> parseComposed(std::string_view pattern) {
  std::vector<ComposedPart> parts;
  std::string literal;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if ((c == '{' || c == '}') && i + 1 < pattern.size() && pattern[i + 1] == c) {
      literal += c;
      ++i;
      continue;
    }
    if (c == '}') throwReportError("a '}' without its '{': write '}}' for a brace");
    if (c != '{') {
      literal += c;
      continue;
    }
    const size_t end = pattern.find('}', i);
    if (end == std::string_view::npos) throwReportError("a '{' without its '}': write '{{' for a brace");
    const std::string_view inside = pattern.substr(i + 1, end - i - 1);
    const size_t colon = inside.find(':');
    std::string_view name = inside.substr(0, colon);
    int days = 0;
    if (const size_t sign = name.find_first_of("+-"); sign != std::string_view::npos) {
      const std::string_view count = name.substr(sign + 1);
      const auto [stop, error] = std::from_chars(count.data(), count.data() + count.size(), days);
      if (count.empty() || error != std::errc() || stop != count.data() + count.size() || days > 36600)
        throwReportError("days to add to a date are written +N or -N, up to 36600: '" + std::string(inside) +
                         "'");
      if (name[sign] == '-') days = -days;
      name = name.substr(0, sign);
    }
    ComposedPart part{.literal = {},
                      .field = std::string(name),
                      .format = colon == std::string_view::npos ? "" : std::string(inside.substr(colon + 1)),
                      .days = days};
    if (part.field.empty()) throwReportError("a field without its name in braces");
    if (!literal.empty())
      parts.push_back({.literal = std::move(literal), .field = {}, .format = {}, .days = 0});
    literal.clear();
    parts.push_back(std::move(part));
    i = end;
  }
  if (!literal.empty())
    parts.push_back({.literal = std::move(literal), .field = {}, .format = {}, .days = 0});
  return parts;
}

}  // namespace briskal::hostkit::report
