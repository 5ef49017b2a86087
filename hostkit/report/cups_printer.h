#pragma once
// Prints laid-out pages on a CUPS printer as one PDF job, sent while its pages are drawn.

#include <string>
#include <vector>

#include "hostkit/report/cups_stream.h"
#include "hostkit/report/drawing.h"
#include "hostkit/report/pdf_document.h"

namespace briskal::hostkit::report {

// The job is on the printer's queue from its creation; one that is not finished is cancelled.
// Throws briskal::Error when the printer is not known to the print system, is stopped or refuses
// the job.
class PrintJob {
 public:
  PrintJob(const std::string& printer, const std::string& title, int copies = 1);

  void add(const Page& page) { document_.add(page); }
  // Returns the job's number.
  int finish();

 private:
  CupsStream stream_;  // first: the document writes into it
  PdfDocument document_;
};

// A whole run as one job; returns the job's number.
int printPages(const std::vector<Page>& pages, const std::string& printer, const std::string& title,
               int copies = 1);

}  // namespace briskal::hostkit::report
