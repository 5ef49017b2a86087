#pragma once
// Whether a CUPS printer can take a job now. The print system takes a job for a stopped printer
// and holds it without a word, and names an unknown printer by a file that is missing: asking
// first gives the operator the real reason before anything is sent. And the printers it offers.

#include <optional>
#include <string>
#include <vector>

#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::report {

// Nothing when `printer` is known to the print system, enabled and accepting jobs; otherwise why
// not, naming the printer.
std::optional<FailureText> cupsPrinterProblem(const std::string& printer);

// The names of the printers (as NAME or NAME/INSTANCE) the print system offers, its default first;
// none when no print system answers.
std::vector<std::string> printDestinations();

}  // namespace briskal::hostkit::report
