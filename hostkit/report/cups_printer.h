#pragma once
// Prints laid-out pages on a CUPS printer: they are rendered to a temporary PDF file, which the
// print system takes as one job.

#include <string>
#include <vector>

#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

// Throws briskal::Error when the printer is not known to the print system, is stopped or refuses
// the job.
// Returns the job's number.
int printPages(const std::vector<Page>& pages, const std::string& printer, const std::string& title,
               int copies = 1);

}  // namespace briskal::hostkit::report
