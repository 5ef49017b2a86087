// Connection strings and paths typed for --db: a target for a driver or the runtime's error.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/error.h"
#include "data/connection_string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace briskal;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The input's first line is the text; what follows, if anything, the user.
  const size_t end = text.find('\n');
  const std::string typed = text.substr(0, end);
  const std::string user = end == std::string::npos ? "" : text.substr(end + 1);
  try {
    const data::ConnectionTarget target = data::parseConnectionString(typed, user, "");
    // Whatever is handed on names something: a file to open or a string for the ODBC driver.
    if (target.text.empty()) std::abort();
    // The ODBC driver gets the string as typed, the user only added to it.
    if (target.kind == data::ConnectionTarget::Kind::Odbc && target.text.rfind(typed, 0) != 0) std::abort();
  } catch (const Error&) {
  }
  return 0;
}
