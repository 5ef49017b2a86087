#include "hostkit/labelprinter/label_job.h"

#include "hostkit/labelprinter/destination.h"

namespace briskal::hostkit::labelprinter {

LabelJob::LabelJob(std::string_view destination, const PrinterSettings& settings, const std::string& title) {
  OpenedPrinter printer = openPrinter(destination, settings, title);
  settings_ = printer.settings;
  device_ = std::move(printer.device);
  writer_ = makeLabelWriter(*device_, settings_);
  writer_->startJob();
}

int64_t printLabels(const std::vector<report::Page>& pages, std::string_view destination,
                    const PrinterSettings& settings, const std::string& title) {
  LabelJob job(destination, settings, title);
  for (const report::Page& page : pages) job.add(page);
  job.finish();
  return job.labels();
}

}  // namespace briskal::hostkit::labelprinter
