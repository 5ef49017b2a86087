#include "hostkit/report/cups_printer.h"

#include <cups/cups.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "hostkit/report/cairo_renderer.h"
#include "hostkit/report/cups_queue.h"
#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {
namespace {

// A temporary PDF file, removed when the job has been handed over.
class TemporaryPdf {
 public:
  TemporaryPdf() {
    std::string pattern = (std::filesystem::temp_directory_path() / "briskal-print-XXXXXX.pdf").string();
    const int fd = mkstemps(pattern.data(), 4);
    if (fd < 0) throwReportError("A temporary file for printing cannot be created");
    close(fd);
    path_ = pattern;
  }
  ~TemporaryPdf() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TemporaryPdf(const TemporaryPdf&) = delete;
  TemporaryPdf& operator=(const TemporaryPdf&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

int printPages(const std::vector<Page>& pages, const std::string& printer, const std::string& title,
               int copies) {
  if (copies < 1) throwReportError("The number of copies must be at least 1");
  if (const std::string problem = cupsPrinterProblem(printer); !problem.empty()) throwReportError(problem);
  TemporaryPdf file;
  renderPdf(pages, file.path(), title);
  cups_option_t* options = nullptr;
  const int optionCount = cupsAddOption("copies", std::to_string(copies).c_str(), 0, &options);
  const int job = cupsPrintFile(printer.c_str(), file.path().c_str(), title.c_str(), optionCount, options);
  cupsFreeOptions(optionCount, options);
  if (job == 0)
    throwReportError("The printer '" + printer +
                     "' did not take the job: " + std::string(cupsLastErrorString()));
  return job;
}

}  // namespace briskal::hostkit::report
