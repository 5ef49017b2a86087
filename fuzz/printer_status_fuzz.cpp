// What a label printer answers on its raw port when asked "~HS~HQES", and the printer-state-reasons
// an IPP printer lists: whatever arrives, a status is read or none is, never anything worse; a
// status read is a known one whose labels waiting are not negative, ready exactly when it has no
// fault, and its faults said in a sentence in both languages.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostkit/labelprinter/printer_status.h"

namespace {

using namespace briskal::hostkit::labelprinter;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "printer_status_fuzz: %s\n", what);
  std::abort();
}

void check(const PrinterStatus& status) {
  if (!status.known) fail("a status read is not known");
  if (status.labelsWaiting && *status.labelsWaiting < 0) fail("labels waiting below 0");
  if (status.ready() != status.faults.empty()) fail("ready with a fault, or not ready without one");
  const std::string english = faultText("P", status).english();
  if (!english.starts_with("Printer P")) fail("the sentence does not name the printer");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view answer(reinterpret_cast<const char*>(data), size);
  const bool whole = zplAnswerComplete(answer, false);
  const std::optional<PrinterStatus> status = parseZplStatus(answer);
  if (status) {
    if (!whole) fail("a status read from an answer not complete");
    check(*status);
  }
  // The same bytes as IPP reasons, one a line, the first byte the printer's state.
  std::vector<std::string> reasons;
  for (size_t at = 1; at < answer.size();) {
    const size_t end = std::min(answer.find('\n', at), answer.size());
    reasons.emplace_back(answer.substr(at, end - at));
    at = end + 1;
  }
  check(ippStatus(size > 0 ? data[0] % 8 : 3, reasons, size % 2 == 0, std::string(answer.substr(0, 16))));
  return 0;
}
