#pragma once
// Whether a CUPS printer can take a job now. The print system takes a job for a stopped printer
// and holds it without a word, and names an unknown printer by a file that is missing: asking
// first gives the operator the real reason before anything is sent. And the printers it offers.

#include <string>
#include <vector>

namespace briskal::hostkit::report {

// Empty when `printer` is known to the print system, enabled and accepting jobs; otherwise why
// not, in a sentence naming the printer.
std::string cupsPrinterProblem(const std::string& printer);

// The names of the printers (as NAME or NAME/INSTANCE) the print system offers, its default first;
// none when no print system answers.
std::vector<std::string> printDestinations();

}  // namespace briskal::hostkit::report
