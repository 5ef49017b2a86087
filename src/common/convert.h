#pragma once
// The platform's conversion rules between values: integer conversion rounding halves to even,
// Int and Fix, Decimal and double conversion, IsNumeric, text by regional settings, and the
// concatenation operator. Failures throw the platform's errors: Overflow (6), Type mismatch (13),
// Invalid use of Null (94).

#include <optional>
#include <string>
#include <string_view>

#include "common/regional.h"
#include "common/value.h"

namespace briskal {

// Number text by regional settings: blanks, a leading or trailing sign, parentheses for a negative
// number, thousands separators in the whole part, the decimal separator, an exponent, &H and &O.
// Gives a Decimal value, or a Double beyond the Decimal range; nullopt when it is not a number.
std::optional<Value> parseNumber(std::string_view text, const RegionalSettings& rs);
// Date text by regional settings ("25/12/2024", "25/12/2024 14:30:00", "14:30") or ISO.
std::optional<DateTime> parseDate(std::string_view text, const RegionalSettings& rs);

int16_t toInt16(const Value& v, const RegionalSettings& rs);  // CInt
int32_t toInt32(const Value& v, const RegionalSettings& rs);  // CLng
int64_t toInt64(const Value& v, const RegionalSettings& rs);
double toDouble(const Value& v, const RegionalSettings& rs);     // CDbl
Decimal toDecimal(const Value& v, const RegionalSettings& rs);   // CDec
bool toBool(const Value& v, const RegionalSettings& rs);         // CBool
DateTime toDate(const Value& v, const RegionalSettings& rs);     // CDate
std::string toText(const Value& v, const RegionalSettings& rs);  // CStr: Null is error 94

// Int: the largest whole number not above the value, in the value's own type; Null stays Null.
Value Int(const Value& v, const RegionalSettings& rs);
// Fix: the whole part, towards zero.
Value Fix(const Value& v, const RegionalSettings& rs);
bool IsNumeric(const Value& v, const RegionalSettings& rs);

// The & operator: Null and Empty count as "", but Null & Null is Null.
Value concat(const Value& a, const Value& b, const RegionalSettings& rs);

// Format(x, pattern) for number patterns of '#', '0', ',' and '.', as "###,##0.000": rounded half
// away from zero to the pattern's decimals, grouped when ',' stands among the whole digits,
// written with the regional separators. Null and Empty give "".
std::string formatNumber(const Value& v, std::string_view pattern, const RegionalSettings& rs);

std::string doubleToText(double v, const RegionalSettings& rs);
std::string decimalToText(const Decimal& v, const RegionalSettings& rs);
std::string dateToText(const DateTime& v, const RegionalSettings& rs);

}  // namespace briskal
