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

bool isBlank(const Value& value) {
  return value.isEmpty() || value.isNull() || (value.isText() && Trim(value.asText()).empty());
}

Value NVL(const Value& value, const Value& fallback) { return isBlank(value) ? fallback : value; }

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
  static const Decimal kHalf = Decimal::fromParts(5, 1, false);
  // 10^n: the digits of 1 written with n decimals, read as a whole number.
  const Decimal power = Decimal::fromParts(Decimal(1).rescale(n).magnitude(), 0, false);
  const Decimal whole = (toDecimal(x, rs) * power + kHalf).floor();
  // Dividing the whole number by 10^n only moves the point.
  return Decimal::fromParts(whole.magnitude(), n, whole.isNegative()).toDouble();
}

}  // namespace briskal
