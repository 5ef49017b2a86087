#include "hostkit/report/cups_printer.h"

#include <cups/cups.h>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

PrintJob::PrintJob(const std::string& printer, const std::string& title, int copies)
    : stream_(printer, title, CUPS_FORMAT_PDF, copies, "ReportService"),
      document_([this](std::string_view bytes) { stream_.write(bytes); }, title) {}

int PrintJob::finish() {
  document_.finish();
  return stream_.finish();
}

int printPages(const std::vector<Page>& pages, const std::string& printer, const std::string& title,
               int copies) {
  if (pages.empty()) throwReportError("The report has no pages to print");
  PrintJob job(printer, title, copies);
  for (const Page& page : pages) job.add(page);
  return job.finish();
}

}  // namespace briskal::hostkit::report
