#include "hostkit/report/run_output.h"

#include <cerrno>
#include <fstream>

#include "common/convert.h"
#include "common/routines.h"
#include "data/recordset.h"
#include "hostkit/report/cairo_renderer.h"
#include "hostkit/report/cups_printer.h"
#include "hostkit/report/destination_kind.h"
#include "hostkit/report/drawing_thread.h"
#include "hostkit/report/pdf_document.h"
#include "hostkit/report/sheet_imposer.h"
#include "hostkit/report/staged_file.h"

namespace briskal::hostkit::report {

void PrintableRun::layOut(data::Recordset& records, const RegionalSettings& regional,
                          const PageSink& sink) const {
  if (!stock) return report::layOut(reportTemplate, records, settings, regional, sink);
  SheetImposer sheets(*stock, startAt, sink);
  report::layOut(reportTemplate, records, settings, regional,
                 [&](Page&& label) { sheets.add(std::move(label)); });
  sheets.finish();
}

std::optional<LabelStock> runStock(const ReportTemplate& reportTemplate, const std::string& chosen) {
  if (reportTemplate.page.kind != PageKind::Label) return std::nullopt;
  const std::string& name = chosen.empty() ? reportTemplate.page.stock : chosen;
  if (name.empty()) return std::nullopt;
  return labelStockCatalogue().get(name);
}

int64_t sendPages(const PrintableRun& run, data::Recordset& records, const std::string& destination,
                  const std::string& title, const RegionalSettings& regional,
                  std::vector<std::filesystem::path>& written) {
  written.clear();
  // A printer would have printed the labels before the one refused.
  checkLabels(run.reportTemplate, records, run.settings, regional);
  int64_t pages = 0;
  const auto drawEach = [&](auto& output) {
    DrawingThread drawing([&](const Page& page) { output.add(page); });
    run.layOut(records, regional, [&](Page&& page) {
      drawing.add(std::move(page));
      ++pages;
    });
    drawing.finish();
  };
  const DestinationKind kind = destinationKind(destination);
  if (kind == DestinationKind::PdfFile) {
    PdfFile pdf(destination, title);
    drawEach(pdf);
    pdf.commit();
    written = {destination};
  } else if (kind == DestinationKind::PngFiles) {
    PngFiles png(destination, run.kind() == PageKind::Label && !run.stock ? kLabelDpi : kReportDpi);
    drawEach(png);
    written = png.commit();
  } else {
    PrintJob job(destination, title);
    drawEach(job);
    job.finish();
  }
  return pages;
}

int64_t writeTexts(data::Recordset& records, const std::filesystem::path& file,
                   const RegionalSettings& regional) {
  StagedFile staged(file);
  std::ofstream out(staged.path(), std::ios::binary);
  if (!out) throwReportError("Cannot write " + file.string(), fileErrorNumber(errno));
  int64_t texts = 0;
  if (records.recordCount() > 0)
    for (records.moveFirst(); !records.eof(); records.moveNext(), ++texts)
      out << toText(NVL(records.value(size_t{0}), Value("")), regional) << "\f\n";
  out.close();
  if (!out) throwReportError("Cannot write " + file.string(), fileErrorNumber(errno));
  staged.commit();
  return texts;
}

}  // namespace briskal::hostkit::report
