// Report templates: a text parses or is refused with a positioned error, what parses is written
// back to a text that parses to the same template, and saved without changes as a change of its
// own text, it is that text byte for byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/error.h"
#include "hostkit/report/template_parser.h"
#include "hostkit/report/template_rewrite.h"
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
  if (rewriteTemplate(text, parsed, parsed) != text) std::abort();
  const std::string written = writeTemplate(parsed);
  try {
    if (!(parseTemplate(written, "F.RPT", "/nonexistent") == parsed)) std::abort();
  } catch (const briskal::Error&) {
    std::abort();  // the writer's own text must parse
  }
  return 0;
}
