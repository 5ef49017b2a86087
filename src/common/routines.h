#pragma once
// The small routines every form of the component relies on: NVL, StringaFissa, Arrotonda and the
// blank trimming of the language (spaces only; tabs and line breaks are kept).

#include <string>
#include <string_view>

#include "common/regional.h"
#include "common/value.h"

namespace briskal {

std::string_view Trim(std::string_view s);
std::string_view LTrim(std::string_view s);
std::string_view RTrim(std::string_view s);

// Empty, Null, or a text that is empty after trimming blanks.
bool isBlank(const Value& value);
// The default when the value is blank.
Value NVL(const Value& value, const Value& fallback);

// Null for Empty or Null; otherwise the value's text trimmed, padded with blanks and cut to exactly
// `width` characters.
Value StringaFissa(const Value& value, size_t width, const RegionalSettings& rs);
std::string StringaFissa(std::string_view text, size_t width);

// Rounds to n decimals with halves upwards (2.345 -> 2.35, -2.345 -> -2.34) on the exact decimal
// value, and returns a double.
double Arrotonda(const Value& x, int n, const RegionalSettings& rs);

}  // namespace briskal
