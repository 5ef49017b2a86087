// Report templates: a text parses or is refused with a positioned error, and what parses is
// written back to a text that parses to the same template.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/error.h"
#include "hostkit/report/template_parser.h"
#include "hostkit/report/template_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace briskal::hostkit::report;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ReportTemplate parsed;
  try {
    parsed = parseTemplate(text, "F.RPT", "/nonexistent");
  } catch (const briskal::Error&) {
    return 0;
  }
  const std::string written = writeTemplate(parsed);
  try {
    if (!(parseTemplate(written, "F.RPT", "/nonexistent") == parsed)) std::abort();
  } catch (const briskal::Error&) {
    std::abort();  // the writer's own text must parse
  }
  return 0;
}
