// Number and date conversions of typed text, and number formats: a value or the runtime's error.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/convert.h"
#include "common/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace briskal;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The text as a typed value, and its second half as a format for its first half.
  const size_t half = text.size() / 2;
  for (const RegionalSettings& rs : {RegionalSettings::italian(), RegionalSettings::english()}) {
    const Value typed(text);
    try {
      (void)IsNumeric(typed, rs);
      (void)toDecimal(typed, rs);
    } catch (const Error&) {
    }
    try {
      (void)toDouble(typed, rs);
    } catch (const Error&) {
    }
    try {
      (void)toDate(typed, rs);
    } catch (const Error&) {
    }
    try {
      (void)toInt32(typed, rs);
    } catch (const Error&) {
    }
    try {
      (void)formatNumber(Value(text.substr(0, half)), text.substr(half), rs);
    } catch (const Error&) {
    }
  }
  return 0;
}
