// Packed texts of the print history, as a damaged database may hold them: unpacked or refused with
// briskal::Error, never anything worse; and any text packs and unpacks to itself.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/error.h"
#include "hostkit/store/packed_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace briskal::hostkit;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    unpackText(text);
  } catch (const briskal::Error&) {
  }
  if (unpackText(packText(text)) != text) std::abort();
  return 0;
}
