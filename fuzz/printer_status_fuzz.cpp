// What a label printer answers on its raw port when asked "~HS~HQES", and the printer-state-reasons
// an IPP printer lists: whatever arrives, a status is read or none is, never anything worse; a
// status read is a known one whose labels waiting are within what the printer's counts hold,
// each fault without a name of ours comes with the printer's words, and its faults are said after
// the printer's name.

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
  if (status.labelsWaiting && (*status.labelsWaiting < 0 || *status.labelsWaiting > 199'999'998))
    fail("labels waiting beyond what a printer's two counts hold");
  size_t others = 0;
  for (const PrinterFault fault : status.faults) others += fault == PrinterFault::Other ? 1 : 0;
  if (others != status.others.size()) fail("a fault without a name of ours without the printer's words");
  // Each fault is said once, after the printer's name.
  const std::string english = faultText("P", status).english();
  if (!english.starts_with("Printer P")) fail("the sentence does not name the printer");
  if (status.faults.empty() != (english.find(": ") == std::string::npos)) {
    if (status.message.empty()) fail("faults not said, or said without any");
  }
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
