#pragma once
// Prints laid-out pages on a CUPS printer: they are rendered to a temporary PDF file, which the
// print system takes as one job. Lists the printers the print system knows.

#include <string>
#include <vector>

#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

// Throws briskal::Error when the printer is not known to the print system or refuses the job.
// Returns the job's number.
int printPages(const std::vector<Page>& pages, const std::string& printer, const std::string& title,
               int copies = 1);

// The names of the printers (as NAME or NAME/INSTANCE) the print system offers, its default first;
// none when no print system answers.
std::vector<std::string> printDestinations();

}  // namespace briskal::hostkit::report
