#pragma once
// What a label printer says of itself: whether it can print, what stops it, and how many labels
// it still has to print. A ZPL printer answers ~HS (host status, three frames between STX and
// ETX) and, on newer firmware, ~HQES (error and warning flags); an IPP printer, or a CUPS queue,
// has its printer-state and printer-state-reasons. An EPL2 printer on a raw port says nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::labelprinter {

enum class PrinterFault {
  PaperOut,
  RibbonOut,
  HeadOpen,
  CoverOpen,
  PaperJam,
  Paused,
  BufferFull,
  CutterFault,
  HeadTooHot,
  HeadTooCold,
  MotorTooHot,
  HeadFault,
  MemoryCorrupt,
  Offline,
  Stopped,
  NotAcceptingJobs,
  NotKnown,      // a queue the print system does not know
  NotAnswering,  // a printer that stays silent is not ready: some do while paper or ribbon is out
  Other,         // in the printer's own words, in `PrinterStatus::others`
};

struct PrinterStatus {
  bool known = false;  // the printer could be asked; when not, `unknownWhy` says why
  std::vector<PrinterFault> faults;
  std::vector<std::string> others;       // the faults without a name of ours, as the printer gave them
  std::vector<std::string> warnings;     // what does not stop it, in the printer's words
  std::optional<int64_t> labelsWaiting;  // received and not printed yet, when the printer says
  std::string message;                   // the printer's own sentence, if any
  std::pair<std::string, std::string> unknownWhy;  // in English and Italian

  bool ready() const { return known && faults.empty(); }
  void add(PrinterFault fault);
};

// The answers a ZPL printer gave to "~HS~HQES", as read from its connection. None unless the
// three frames of ~HS are there whole; the ~HQES frame is read when it came.
std::optional<PrinterStatus> parseZplStatus(std::string_view answer);
// Whether `answer` holds ~HS's three frames and, when `withErrors`, the ~HQES frame too.
bool zplAnswerComplete(std::string_view answer, bool withErrors);

// An IPP printer's state (3 idle, 4 processing, 5 stopped), its printer-state-reasons keywords,
// whether it accepts jobs and its printer-state-message.
PrinterStatus ippStatus(int state, const std::vector<std::string>& reasons, bool accepting,
                        std::string message);

// "Printer NAME: paper out, head open", in both languages; the printer's own words follow.
report::FailureText faultText(const std::string& printer, const PrinterStatus& status);
// The fault's words: "paper out" and "carta esaurita".
std::pair<std::string_view, std::string_view> faultWords(PrinterFault fault);

}  // namespace briskal::hostkit::labelprinter
