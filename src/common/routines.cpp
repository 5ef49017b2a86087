#include "common/routines.h"

#include "common/convert.h"
#include "common/utf8.h"

namespace briskal {

std::string_view LTrim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

std::string_view RTrim(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) { return RTrim(LTrim(s)); }

Value NVL(const Value& value, const Value& fallback) {
  if (value.isEmpty() || value.isNull()) return fallback;
  if (value.isText() && Trim(value.asText()).empty()) return fallback;
  return value;
}

std::string StringaFissa(std::string_view text, size_t width) {
  std::string padded(Trim(text));
  padded.append(width, ' ');
  return std::string(utf8::left(padded, width));
}

Value StringaFissa(const Value& value, size_t width, const RegionalSettings& rs) {
  if (value.isEmpty() || value.isNull()) return Value::null();
  return Value(StringaFissa(toText(value, rs), width));
}

double Arrotonda(const Value& x, int n, const RegionalSettings& rs) {
  Decimal factor(1);
  for (int i = 0; i < n; ++i) factor = factor * Decimal(10);
  const Decimal half = *Decimal::parse("0.5");
  const Decimal shifted = (toDecimal(x, rs) * factor + half).floor();
  return (shifted / factor).toDouble();
}

}  // namespace briskal
