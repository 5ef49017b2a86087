// GS1 element strings as an operator types them, "(01)09521234543213(10)LOT-7", and as a scanner
// gives them, with group separators (byte 0x1D) after fields of free length. Each is read or
// refused with briskal::Error, never anything worse, and what reads writes to both forms, which
// read back the same elements.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "hostkit/gs1/element_string.h"

namespace {

using namespace briskal::hostkit::gs1;

[[noreturn]] void fail(const char* what, const char* why) {
  std::fprintf(stderr, "gs1_fuzz: %s%s\n", what, why);
  std::abort();
}

template <typename Parse>
void checkRoundTrips(Parse parse) {
  std::vector<Element> elements;
  try {
    elements = parse();
  } catch (const briskal::Error&) {
    return;
  }
  try {
    if (parseBracketed(bracketed(elements)) != elements) fail("the bracketed form reads back otherwise", "");
    if (parseEncoded(encoded(elements)) != elements) fail("the encoded form reads back otherwise", "");
  } catch (const briskal::Error& e) {
    fail("elements that read are refused once written: ", e.what());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  checkRoundTrips([&] { return parseBracketed(input); });
  checkRoundTrips([&] { return parseBracketed(input, CheckDigits::Compute); });
  checkRoundTrips([&] { return parseEncoded(input); });
  return 0;
}
