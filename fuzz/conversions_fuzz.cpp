// Number and date conversions of typed text, and number formats: a value or the runtime's error.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/convert.h"
#include "common/error.h"

namespace {

// A conversion either gives its value or raises the runtime's error; nothing else may happen.
template <typename Conversion>
void attempt(Conversion convert) {
  try {
    (void)convert();
  } catch (const briskal::Error&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace briskal;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The text as a typed value, and its second half as a format for its first half.
  const size_t half = text.size() / 2;
  for (const RegionalSettings& rs : {RegionalSettings::italian(), RegionalSettings::english()}) {
    const Value typed(text);
    attempt([&] { return IsNumeric(typed, rs); });
    attempt([&] { return toDecimal(typed, rs); });
    attempt([&] { return toDouble(typed, rs); });
    attempt([&] { return toDate(typed, rs); });
    attempt([&] { return toInt32(typed, rs); });
    attempt([&] { return formatNumber(Value(text.substr(0, half)), text.substr(half), rs); });
  }
  return 0;
}
