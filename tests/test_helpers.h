#pragma once

#include <cstdint>
#include <string>

#include "common/decimal.h"
#include "common/error.h"
#include "common/regional.h"

namespace briskal {

// The host's default regional settings, by which most tests read and write numbers and dates.
inline const RegionalSettings kIt = RegionalSettings::italian();
// An exact decimal from its text, for expected values.
inline Decimal D(const char* text) { return *Decimal::parse(text); }

}  // namespace briskal

namespace briskal::testing {

// How many times `part` stands in `text`.
inline size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The number of the briskal::Error the call throws, or 0 when it throws none.
template <typename F>
int32_t errorNumber(F&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

// The description of the briskal::Error the call throws, or "no error" when it throws none.
template <typename F>
std::string errorText(F&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.description();
  }
  return "no error";
}

}  // namespace briskal::testing
