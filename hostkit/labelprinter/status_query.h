#pragma once
// Asking a label printer whether it can print, wherever it is:
//   tcp:// in ZPL   ~HS and ~HQES on a connection of their own. A printer that does not answer ~HS
//                   in time is not answering, which is not ready: some printers stay silent while
//                   their paper or ribbon is out or their head is open. ~HQES is read where it is
//                   answered (older firmware does not).
//   tcp:// in EPL2  unknown: an EPL2 printer answers nothing on its raw port.
//   ipp://, ipps:// the printer's printer-state, printer-state-reasons and whether it accepts jobs.
//   cups:QUEUE      the queue's state as the print system keeps it.
//   files           unknown: no printer to ask.

#include <chrono>
#include <string_view>

#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/labelprinter/printer_status.h"

namespace briskal::hostkit::labelprinter {

inline constexpr std::chrono::milliseconds kStatusTimeout{3000};

// Never throws for a printer that cannot be reached: that is a printer not answering. Throws
// briskal::Error for a destination of none of the forms above.
PrinterStatus askStatus(std::string_view destination, PrinterLanguage language,
                        std::chrono::milliseconds timeout = kStatusTimeout);

}  // namespace briskal::hostkit::labelprinter
