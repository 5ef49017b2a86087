#include "hostkit/controls/filter_condition.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/decimal.h"
#include "common/error.h"
#include "common/routines.h"
#include "common/utf8.h"
#include "hostkit/controls/control_errors.h"

namespace briskal::hostkit {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool allDigits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), isDigit); }

int toInt(std::string_view digits) {
  int value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

[[noreturn]] void refuse(int32_t number, const std::string& source, const FilterColumn& column,
                         std::string_view typed, const std::string& why) {
  throw Error(number, source, column.caption + ": '" + std::string(typed) + "' " + why);
}

// [+-]digits[(,|.)digits], at least one digit, as plain digits with '.'; nullopt otherwise.
std::optional<std::string> plainNumber(std::string_view s) {
  std::string sign;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    if (s[0] == '-') sign = "-";
    s.remove_prefix(1);
  }
  const size_t point = s.find_first_of(",.");
  std::string_view whole = s.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? std::string_view() : s.substr(point + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  if ((!whole.empty() && !allDigits(whole)) || (!fraction.empty() && !allDigits(fraction)))
    return std::nullopt;
  std::string text = sign + (whole.empty() ? "0" : std::string(whole));
  if (!fraction.empty()) text.append(".").append(fraction);
  return text;
}

size_t digitCount(std::string_view s) {
  return static_cast<size_t>(std::count_if(s.begin(), s.end(), isDigit));
}

std::optional<DateTime> day(int year, int month, int dayOfMonth) {
  try {
    return DateTime::fromParts(year, month, dayOfMonth);
  } catch (const Error&) {
    return std::nullopt;  // 31 February and the like
  }
}

// dd/mm/yyyy (day and month of one or two digits) or yyyy-mm-dd.
std::optional<DateTime> parseDay(std::string_view s) {
  const char separator = s.find('/') != std::string_view::npos ? '/' : '-';
  std::string_view parts[3];
  for (int i = 0; i < 3; ++i) {
    const size_t end = i < 2 ? s.find(separator) : s.size();
    if (end == std::string_view::npos) return std::nullopt;
    parts[i] = s.substr(0, end);
    s.remove_prefix(i < 2 ? end + 1 : end);
    if (!allDigits(parts[i])) return std::nullopt;
  }
  const bool italian = separator == '/';
  std::string_view year = italian ? parts[2] : parts[0];
  std::string_view dayOfMonth = italian ? parts[0] : parts[2];
  if (year.size() != 4 || parts[1].size() > 2 || dayOfMonth.size() > 2) return std::nullopt;
  return day(toInt(year), toInt(parts[1]), toInt(dayOfMonth));
}

std::optional<DateTime> dayAfter(const DateTime& d) {
  try {
    return DateTime::fromSerial(d.serial() + 1);
  } catch (const Error&) {
    return std::nullopt;  // after 31/12/9999
  }
}

FilterBound checkText(const FilterColumn& column, std::string_view typed, const std::string& source) {
  const std::string_view text = RTrim(typed);
  if (std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }))
    refuse(kInvalidPropertyValue, source, column, typed, "contains a control character");
  if (column.maxLength > 0 && utf8::length(text) > static_cast<size_t>(column.maxLength))
    refuse(kInvalidPropertyValue, source, column, typed,
           "is longer than " + std::to_string(column.maxLength) + " characters");
  return {std::string(text), {}};
}

FilterBound checkNumber(const FilterColumn& column, std::string_view typed, const std::string& source) {
  const std::string_view s = Trim(typed);
  const std::optional<std::string> plain = plainNumber(s);
  if (!plain) refuse(err::kTypeMismatch, source, column, typed, "is not a number");
  if (column.kind == ColumnKind::Status && plain->find('.') != std::string::npos)
    refuse(err::kTypeMismatch, source, column, typed, "is not a whole number");
  std::optional<Decimal> value;
  try {
    value = Decimal::parse(*plain);
  } catch (const Error&) {
    refuse(err::kOverflow, source, column, typed, "is too large");
  }
  if (!value) refuse(err::kTypeMismatch, source, column, typed, "is not a number");
  const std::string text = value->toPlainString();
  if (column.maxLength > 0 && digitCount(text) > static_cast<size_t>(column.maxLength))
    refuse(kInvalidPropertyValue, source, column, typed,
           "has more than " + std::to_string(column.maxLength) + " digits");
  return {text, {}};
}

FilterBound checkDate(const FilterColumn& column, std::string_view typed, const std::string& source) {
  const std::optional<DateTime> d = parseDay(Trim(typed));
  if (!d) refuse(err::kTypeMismatch, source, column, typed, "is not a date (dd/mm/yyyy)");
  return {{}, *d};
}

std::string literal(const FilterColumn& column, const FilterBound& bound, data::Dialect dialect) {
  switch (column.kind) {
    case ColumnKind::Text: return data::textLiteral(bound.text, dialect);
    case ColumnKind::Date: return dateLiteral(bound.day, dialect);
    case ColumnKind::Number:
    case ColumnKind::Status: break;
  }
  return bound.text;
}

}  // namespace

std::optional<FilterBound> checkBound(const FilterColumn& column, std::string_view typed,
                                      const std::string& source) {
  if (Trim(typed).empty()) return std::nullopt;
  switch (column.kind) {
    case ColumnKind::Text: return checkText(column, typed, source);
    case ColumnKind::Date: return checkDate(column, typed, source);
    case ColumnKind::Number:
    case ColumnKind::Status: break;
  }
  return checkNumber(column, typed, source);
}

std::string dateLiteral(const DateTime& day, data::Dialect dialect) {
  char text[16];
  std::snprintf(text, sizeof text,
                dialect == data::Dialect::SqlServer ? "'%04d%02d%02d'" : "'%04d-%02d-%02d'", day.year(),
                day.month(), day.day());
  return text;
}

std::string rowCondition(const FilterColumn& column, const std::optional<FilterBound>& from,
                         const std::optional<FilterBound>& to, data::Dialect dialect) {
  const std::string& c = column.column;
  if (column.kind != ColumnKind::Date && from && to && *from == *to)
    return c + " = " + literal(column, *from, dialect);
  std::string condition;
  if (from) condition = c + " >= " + literal(column, *from, dialect);
  if (to) {
    if (!condition.empty()) condition += " AND ";
    const std::optional<DateTime> next = column.kind == ColumnKind::Date ? dayAfter(to->day) : std::nullopt;
    condition += next ? c + " < " + dateLiteral(*next, dialect) : c + " <= " + literal(column, *to, dialect);
  }
  return condition;
}

}  // namespace briskal::hostkit
