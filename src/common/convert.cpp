#include "common/convert.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "common/error.h"
#include "common/utf8.h"

namespace briskal {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<Value> parseRadix(std::string_view digits, int radix) {
  if (digits.empty() || digits.size() > 11) return std::nullopt;
  int64_t v = 0;
  for (char c : digits) {
    int d;
    if (isDigit(c)) d = c - '0';
    else if (radix == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (radix == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    if (d >= radix) return std::nullopt;
    v = v * radix + d;
  }
  // Up to four hex digits are a 16-bit pattern (&HFFFF is -1), up to eight a 32-bit one.
  if (radix == 16 && digits.size() <= 4) return Value(Decimal(static_cast<int16_t>(v)));
  if (v <= 0xFFFFFFFF) return Value(Decimal(static_cast<int32_t>(static_cast<uint32_t>(v))));
  return std::nullopt;
}

int64_t roundedToInt64(const Value& v, const RegionalSettings& rs) {
  switch (v.kind()) {
    case Value::Kind::Empty: return 0;
    case Value::Kind::Null: throwInvalidUseOfNull();
    case Value::Kind::Bool: return v.asBool() ? -1 : 0;
    case Value::Kind::Int16: return v.asInt16();
    case Value::Kind::Int32: return v.asInt32();
    case Value::Kind::Int64: return v.asInt64();
    case Value::Kind::Double: {
      const double r = std::nearbyint(v.asDouble());  // ties to even in the default rounding mode
      if (!std::isfinite(r) || r < -9223372036854775808.0 || r >= 9223372036854775808.0) throwOverflow();
      return static_cast<int64_t>(r);
    }
    case Value::Kind::Decimal: return v.asDecimal().toInt64();
    case Value::Kind::Date: return static_cast<int64_t>(std::nearbyint(v.asDate().serial()));
    case Value::Kind::Text: {
      auto n = parseNumber(v.asText(), rs);
      if (!n) throwTypeMismatch();
      return roundedToInt64(*n, rs);
    }
  }
  throwTypeMismatch();
}

std::string withSeparator(std::string text, char separator) {
  for (char& c : text)
    if (c == '.') c = separator;
  return text;
}

// Whether "[-]digits[.digits][e[+-]digits]" holds at most 28 significant digits and no digit
// below the 28th decimal place, so that a Decimal keeps it exactly.
bool fitsDecimalExactly(const std::string& plain) {
  std::string digits;
  int fraction = 0, exponent = 0;
  bool point = false;
  size_t i = 0;
  for (; i < plain.size() && plain[i] != 'e'; ++i) {
    if (plain[i] == '.') point = true;
    else if (isDigit(plain[i])) digits += plain[i], fraction += point ? 1 : 0;
  }
  if (i < plain.size()) exponent = std::atoi(plain.c_str() + i + 1);
  const size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return true;
  size_t last = digits.find_last_not_of('0');
  const int trailingZeros = static_cast<int>(digits.size() - 1 - last);
  const int significant = static_cast<int>(last - first + 1);
  const int scale = fraction - exponent - trailingZeros;
  return significant <= 28 && scale <= Decimal::kMaxScale;
}

}  // namespace

std::optional<Value> parseNumber(std::string_view text, const RegionalSettings& rs) {
  std::string_view s = trimBlanks(text);
  if (s.size() > 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return parseRadix(s.substr(2), 16);
    if (s[1] == 'O' || s[1] == 'o') return parseRadix(s.substr(2), 8);
  }
  bool negative = false;
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    negative = true;
    s = trimBlanks(s.substr(1, s.size() - 2));
  }
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    if (negative && s.front() == '-') return std::nullopt;
    negative = negative || s.front() == '-';
    s = trimBlanks(s.substr(1));
  } else if (!s.empty() && (s.back() == '-' || s.back() == '+')) {
    negative = negative || s.back() == '-';
    s = trimBlanks(s.substr(0, s.size() - 1));
  }
  std::string plain = negative ? "-" : "";
  size_t i = 0;
  int digits = 0;
  for (; i < s.size(); ++i) {
    if (isDigit(s[i])) {
      plain += s[i];
      ++digits;
    } else if (s[i] == rs.thousandsSeparator && digits > 0) {
      continue;
    } else {
      break;
    }
  }
  if (i < s.size() && s[i] == rs.decimalSeparator) {
    plain += '.';
    for (++i; i < s.size() && isDigit(s[i]); ++i, ++digits) plain += s[i];
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    if (i == s.size() || !isDigit(s[i])) return std::nullopt;
    for (; i < s.size() && isDigit(s[i]); ++i) plain += s[i];
  }
  if (i != s.size()) return std::nullopt;
  if (fitsDecimalExactly(plain)) {
    try {
      if (auto d = Decimal::parse(plain)) return Value(*d);
    } catch (const Error&) {
      // Beyond the Decimal range: still a number, as a double.
    }
  }
  const double d = std::strtod(plain.c_str(), nullptr);
  if (!std::isfinite(d)) return std::nullopt;
  return Value(d);
}

std::optional<DateTime> parseDate(std::string_view text, const RegionalSettings& rs) {
  std::string_view s = trimBlanks(text);
  if (auto iso = DateTime::parseIso(s)) return iso;
  auto readNumber = [&](size_t& i, int& out) {
    const size_t start = i;
    out = 0;
    while (i < s.size() && isDigit(s[i]) && i - start < 4) out = out * 10 + (s[i++] - '0');
    return i > start;
  };
  size_t i = 0;
  int parts[3] = {0, 0, 0};
  int count = 0;
  bool hasDate = false;
  int a = 0;
  if (!readNumber(i, a)) return std::nullopt;
  if (i < s.size() && (s[i] == '/' || s[i] == '-' || s[i] == '.')) {
    hasDate = true;
    parts[count++] = a;
    while (count < 3 && i < s.size() && (s[i] == '/' || s[i] == '-' || s[i] == '.')) {
      ++i;
      if (!readNumber(i, parts[count++])) return std::nullopt;
    }
    if (count != 3) return std::nullopt;
  } else {
    i = 0;
  }
  int hour = 0, minute = 0, second = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i < s.size()) {
    if (!readNumber(i, hour) || i >= s.size() || (s[i] != ':' && s[i] != '.')) return std::nullopt;
    ++i;
    if (!readNumber(i, minute)) return std::nullopt;
    if (i < s.size() && (s[i] == ':' || s[i] == '.')) {
      ++i;
      if (!readNumber(i, second)) return std::nullopt;
    }
    while (i < s.size() && s[i] == ' ') ++i;
    if (i < s.size()) {
      std::string_view suffix = s.substr(i);
      const bool pm = suffix == "PM" || suffix == "pm";
      if (!pm && suffix != "AM" && suffix != "am") return std::nullopt;
      if (hour < 1 || hour > 12) return std::nullopt;
      hour = hour % 12 + (pm ? 12 : 0);
    }
  }
  int year = 1899, month = 12, day = 30;
  if (hasDate) {
    if (rs.dateOrder == RegionalSettings::DateOrder::DayMonthYear) day = parts[0], month = parts[1];
    else month = parts[0], day = parts[1];
    year = parts[2];
    if (year < 30) year += 2000;
    else if (year < 100) year += 1900;
  }
  try {
    return DateTime::fromParts(year, month, day, hour, minute, second);
  } catch (const Error&) {
    return std::nullopt;
  }
}

int16_t toInt16(const Value& v, const RegionalSettings& rs) {
  const int64_t r = roundedToInt64(v, rs);
  if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max()) throwOverflow();
  return static_cast<int16_t>(r);
}

int32_t toInt32(const Value& v, const RegionalSettings& rs) {
  const int64_t r = roundedToInt64(v, rs);
  if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) throwOverflow();
  return static_cast<int32_t>(r);
}

int64_t toInt64(const Value& v, const RegionalSettings& rs) { return roundedToInt64(v, rs); }

double toDouble(const Value& v, const RegionalSettings& rs) {
  switch (v.kind()) {
    case Value::Kind::Empty: return 0;
    case Value::Kind::Null: throwInvalidUseOfNull();
    case Value::Kind::Bool: return v.asBool() ? -1 : 0;
    case Value::Kind::Int16: return v.asInt16();
    case Value::Kind::Int32: return v.asInt32();
    case Value::Kind::Int64: return static_cast<double>(v.asInt64());
    case Value::Kind::Double: return v.asDouble();
    case Value::Kind::Decimal: return v.asDecimal().toDouble();
    case Value::Kind::Date: return v.asDate().serial();
    case Value::Kind::Text: {
      auto n = parseNumber(v.asText(), rs);
      if (!n) throwTypeMismatch();
      return toDouble(*n, rs);
    }
  }
  throwTypeMismatch();
}

Decimal toDecimal(const Value& v, const RegionalSettings& rs) {
  switch (v.kind()) {
    case Value::Kind::Empty: return Decimal();
    case Value::Kind::Null: throwInvalidUseOfNull();
    case Value::Kind::Bool: return Decimal(v.asBool() ? -1 : 0);
    case Value::Kind::Int16: return Decimal(v.asInt16());
    case Value::Kind::Int32: return Decimal(v.asInt32());
    case Value::Kind::Int64: return Decimal(v.asInt64());
    case Value::Kind::Double: return Decimal::fromDouble(v.asDouble());
    case Value::Kind::Decimal: return v.asDecimal();
    case Value::Kind::Date: return Decimal::fromDouble(v.asDate().serial());
    case Value::Kind::Text: {
      auto n = parseNumber(v.asText(), rs);
      if (!n) throwTypeMismatch();
      return toDecimal(*n, rs);
    }
  }
  throwTypeMismatch();
}

bool toBool(const Value& v, const RegionalSettings& rs) {
  if (v.kind() == Value::Kind::Bool) return v.asBool();
  if (v.isText()) {
    if (utf8::equalsNoCase(v.asText(), "true")) return true;
    if (utf8::equalsNoCase(v.asText(), "false")) return false;
  }
  return !toDecimal(v, rs).isZero();
}

DateTime toDate(const Value& v, const RegionalSettings& rs) {
  switch (v.kind()) {
    case Value::Kind::Null: throwInvalidUseOfNull();
    case Value::Kind::Date: return v.asDate();
    case Value::Kind::Text: {
      if (auto d = parseDate(v.asText(), rs)) return *d;
      if (auto n = parseNumber(v.asText(), rs)) return DateTime::fromSerial(toDouble(*n, rs));
      throwTypeMismatch();
    }
    default: return DateTime::fromSerial(toDouble(v, rs));
  }
}

std::string formatNumber(const Value& v, std::string_view pattern, const RegionalSettings& rs) {
  if (v.isNull() || v.isEmpty()) return "";
  const size_t point = pattern.find('.');
  const std::string_view whole = pattern.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
  const bool grouping = whole.find(',') != std::string_view::npos;
  const auto count = [](std::string_view part, char c) {
    return static_cast<int>(std::count(part.begin(), part.end(), c));
  };
  // A format may ask for more places than a decimal has; the value shows all it has.
  const int decimals = std::min(count(fraction, '0') + count(fraction, '#'), Decimal::kMaxScale);
  const int minimumDecimals = std::min(count(fraction, '0'), Decimal::kMaxScale);
  const int minimumWhole = count(whole, '0');
  const Decimal rounded = toDecimal(v, rs).round(decimals, RoundMode::HalfAwayFromZero).rescale(decimals);
  std::string digits = rounded.toString();
  const bool negative = !digits.empty() && digits[0] == '-';
  if (negative) digits.erase(0, 1);
  const size_t dot = digits.find('.');
  std::string integer = digits.substr(0, dot);
  std::string frac = dot == std::string::npos ? std::string() : digits.substr(dot + 1);
  while (static_cast<int>(frac.size()) > minimumDecimals && !frac.empty() && frac.back() == '0')
    frac.pop_back();
  if (integer == "0" && minimumWhole == 0) integer.clear();
  while (static_cast<int>(integer.size()) < minimumWhole) integer.insert(0, 1, '0');
  if (grouping) {
    for (int i = static_cast<int>(integer.size()) - 3; i > 0; i -= 3)
      integer.insert(static_cast<size_t>(i), 1, rs.thousandsSeparator);
  }
  std::string out = negative && !rounded.isZero() ? "-" : "";
  out += integer;
  if (!frac.empty()) out += rs.decimalSeparator + frac;
  return out;
}

std::string doubleToText(double v, const RegionalSettings& rs) {
  if (v == 0) return "0";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  return withSeparator(buf, rs.decimalSeparator);
}

std::string decimalToText(const Decimal& v, const RegionalSettings& rs) {
  return withSeparator(v.toPlainString(), rs.decimalSeparator);
}

std::string dateToText(const DateTime& v, const RegionalSettings& rs) {
  char date[32] = "", time[32] = "";
  const bool dayZero = v.year() == 1899 && v.month() == 12 && v.day() == 30;
  if (!dayZero || !v.hasTime()) {
    const int first = rs.dateOrder == RegionalSettings::DateOrder::DayMonthYear ? v.day() : v.month();
    const int second = rs.dateOrder == RegionalSettings::DateOrder::DayMonthYear ? v.month() : v.day();
    std::snprintf(date, sizeof date, rs.paddedDayMonth ? "%02d%c%02d%c%04d" : "%d%c%d%c%04d", first,
                  rs.dateSeparator, second, rs.dateSeparator, v.year());
  }
  if (v.hasTime()) {
    if (rs.twelveHourClock) {
      const int h12 = v.hour() % 12 == 0 ? 12 : v.hour() % 12;
      std::snprintf(time, sizeof time, "%d:%02d:%02d %s", h12, v.minute(), v.second(),
                    v.hour() < 12 ? "AM" : "PM");
    } else {
      std::snprintf(time, sizeof time, "%02d:%02d:%02d", v.hour(), v.minute(), v.second());
    }
  }
  if (*date && *time) return std::string(date) + " " + time;
  return *date ? date : time;
}

std::string toText(const Value& v, const RegionalSettings& rs) {
  switch (v.kind()) {
    case Value::Kind::Empty: return "";
    case Value::Kind::Null: throwInvalidUseOfNull();
    case Value::Kind::Bool: return v.asBool() ? "True" : "False";
    case Value::Kind::Int16: return std::to_string(v.asInt16());
    case Value::Kind::Int32: return std::to_string(v.asInt32());
    case Value::Kind::Int64: return std::to_string(v.asInt64());
    case Value::Kind::Double: return doubleToText(v.asDouble(), rs);
    case Value::Kind::Decimal: return decimalToText(v.asDecimal(), rs);
    case Value::Kind::Text: return v.asText();
    case Value::Kind::Date: return dateToText(v.asDate(), rs);
  }
  throwTypeMismatch();
}

Value Int(const Value& v, const RegionalSettings& rs) {
  switch (v.kind()) {
    case Value::Kind::Null: return v;
    case Value::Kind::Empty: return Value(int16_t{0});
    case Value::Kind::Bool:
    case Value::Kind::Int16:
    case Value::Kind::Int32:
    case Value::Kind::Int64: return v;
    case Value::Kind::Double: return Value(std::floor(v.asDouble()));
    case Value::Kind::Decimal: return Value(v.asDecimal().floor());
    case Value::Kind::Date: return Value(DateTime::fromSerial(std::floor(v.asDate().serial())));
    case Value::Kind::Text: return Value(std::floor(toDouble(v, rs)));
  }
  throwTypeMismatch();
}

Value Fix(const Value& v, const RegionalSettings& rs) {
  switch (v.kind()) {
    case Value::Kind::Double: return Value(std::trunc(v.asDouble()));
    case Value::Kind::Decimal: return Value(v.asDecimal().truncate());
    case Value::Kind::Text: return Value(std::trunc(toDouble(v, rs)));
    default: return Int(v, rs);
  }
}

bool IsNumeric(const Value& v, const RegionalSettings& rs) {
  switch (v.kind()) {
    case Value::Kind::Empty: return true;
    case Value::Kind::Null:
    case Value::Kind::Date: return false;
    case Value::Kind::Text: return parseNumber(v.asText(), rs).has_value();
    default: return true;
  }
}

Value concat(const Value& a, const Value& b, const RegionalSettings& rs) {
  if (a.isNull() && b.isNull()) return Value::null();
  const std::string left = a.isNull() ? std::string() : toText(a, rs);
  const std::string right = b.isNull() ? std::string() : toText(b, rs);
  return Value(left + right);
}

}  // namespace briskal
