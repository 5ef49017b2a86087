#pragma once
// A run ready to print, whatever gave it its records (the component, or the print history for a
// reprint): laid out page by page and sent to a PDF file, PNG files or a CUPS printer, or, for
// standard labels, written as their texts.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/regional.h"
#include "hostkit/report/label_stock.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/report_template.h"

namespace briskal::data {
class Recordset;
}

namespace briskal::hostkit::report {

struct PrintableRun {
  ReportTemplate reportTemplate;
  RunSettings settings;
  std::optional<LabelStock> stock;  // labels on sheets; none prints a page a label
  int startAt = 1;                  // the place of the first label on the first sheet

  PageKind kind() const { return reportTemplate.page.kind; }
  // Walks `records` from the first, handing the pages (sheets, with a stock) to `sink`.
  void layOut(data::Recordset& records, const RegionalSettings& regional, const PageSink& sink) const;
};

// The stock a run of labels prints on, `chosen` or else its template's; none for a report or a
// page a label. Throws briskal::Error for a stock the catalogue does not have.
std::optional<LabelStock> runStock(const ReportTemplate& reportTemplate, const std::string& chosen);

// Lays `run` out and sends its pages to `destination`, a .pdf file, .png files or a CUPS printer;
// returns the pages sent and sets `written` to the files written. Pages are drawn on a thread of
// their own while the next are laid out. Throws briskal::Error; a file is written whole or not at
// all.
int64_t sendPages(const PrintableRun& run, data::Recordset& records, const std::string& destination,
                  const std::string& title, const RegionalSettings& regional,
                  std::vector<std::filesystem::path>& written);

// The composed texts of standard labels, the first column of each record, each followed by a form
// feed and a line feed; returns the texts written. Throws briskal::Error.
int64_t writeTexts(data::Recordset& records, const std::filesystem::path& file,
                   const RegionalSettings& regional);

}  // namespace briskal::hostkit::report
