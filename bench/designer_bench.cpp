// The label designer's canvas, redrawn as it is on every change: each shipped template laid out
// for one record and drawn into memory at the zooms an operator uses, and the printer view, the
// label written in the printer's language and drawn back to dots. A redraw should stay under
// 16 ms, a frame. Then the designer opened with live data on the demo database, which should
// take under a second.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "bench_database.h"
#include "common/regional.h"
#include "data/connection.h"
#include "hostkit/designer/live_labels.h"
#include "hostkit/designer/support_fields.h"
#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/memory_device.h"
#include "hostkit/labelprinter/stream_raster.h"
#include "hostkit/report/cairo_renderer.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/template_parser.h"

namespace briskal {
namespace {

namespace fs = std::filesystem;
using hostkit::labelprinter::PrinterLanguage;

const fs::path kReports = fs::path(BRISKAL_DATA_FOLDER) / "reports";
constexpr const char* kCustomLabel = "CRPD_BRISKLABPERS.rpt";
constexpr const char* kStandardLabels = "CRPD_BRISKLAB.RPT";

// The designer's record without data: every print-support field showing its caption.
std::unique_ptr<data::Recordset> captionRecord() {
  return hostkit::designer::captionRecord([](const std::string& caption) { return caption; });
}

// The standard labels print the texts composed for each label, not the print support: one
// label's text, shaped as the run writes it.
std::unique_ptr<data::Recordset> composedText() {
  auto record = std::make_unique<data::Recordset>();
  record->setCursorLocation(data::cursor::kUseClient);
  record->appendField("PD46_RIGADATI", data::FieldType::LongVarWChar, 0x3FFFFFFF);
  record->open();
  record->addNew();
  record->setValue("PD46_RIGADATI", Value("ART-00042            Flangia cieca DN 80\n"
                                          "Ordine 123/1         Consegna 15/03/2024\n"
                                          "Q.ta: 25,000 PZ      Officina meccanica\n"));
  record->update();
  record->moveFirst();
  return record;
}

// The canvas draws no more of the label than its window shows: at most a window of this many
// pixels, the designer's own size on a full HD screen.
constexpr double kWindowWidth = 1200, kWindowHeight = 800;

void canvasRedraw(benchmark::State& state, const std::string& file, const data::Recordset& record,
                  double zoom) {
  const hostkit::report::ReportTemplate labelTemplate = hostkit::report::loadTemplate(kReports / file);
  hostkit::report::PageImage image;
  for (auto _ : state) {
    hostkit::report::RecordLayout layout(labelTemplate, record, {}, RegionalSettings::italian());
    const hostkit::report::Page page = layout.current();
    image =
        hostkit::report::renderPageRegion(page, zoom * 25.4, 0, 0, std::min(page.width, kWindowWidth / zoom),
                                          std::min(page.height, kWindowHeight / zoom));
    benchmark::DoNotOptimize(image);
  }
  state.counters["pixels"] = static_cast<double>(image.width) * image.height;
}

void printerViewRedraw(benchmark::State& state, const data::Recordset& record, PrinterLanguage language,
                       int dpi) {
  const hostkit::report::ReportTemplate labelTemplate =
      hostkit::report::loadTemplate(kReports / kCustomLabel);
  hostkit::labelprinter::PrinterSettings printer;
  printer.language = language;
  printer.dpi = dpi;
  for (auto _ : state) {
    hostkit::report::RecordLayout layout(labelTemplate, record, {}, RegionalSettings::italian());
    const hostkit::report::Page page = layout.current();
    hostkit::labelprinter::MemoryDevice stream;
    const auto writer = hostkit::labelprinter::makeLabelWriter(stream, printer);
    writer->startJob();
    writer->label(page);
    benchmark::DoNotOptimize(language == PrinterLanguage::Zpl
                                 ? hostkit::labelprinter::rasterizeZpl(stream.bytes())
                                 : hostkit::labelprinter::rasterizeEpl2(stream.bytes(), dpi));
  }
}

// 600 order lines, as the designer meets a small company's data.
const std::string& database() {
  static const std::string file = bench::createBenchDatabase("briskal_bench_designer.db", {600, 1});
  return file;
}

// Opening the designer on the first order line: its lines read, the line's labels expanded into
// the print support, the shipped template read, and the first label laid out and drawn at the
// designer's usual zoom.
void BM_DesignerOpenWithLiveData(benchmark::State& state) {
  const std::string connectionString = "Data Source=" + database();
  size_t lines = 0;
  int64_t labelCount = 0;
  for (auto _ : state) {
    data::Connection connection;
    connection.setConnectionString(connectionString);
    connection.open();
    hostkit::designer::LiveLabels live(connection, 1, RegionalSettings::italian());
    const std::unique_ptr<data::Recordset> labels = live.labels(0);
    lines = live.lines().size();
    labelCount = labels->recordCount();
    if (labelCount == 0) {
      state.SkipWithError("the first order line gives no labels");
      break;
    }
    const hostkit::report::ReportTemplate labelTemplate =
        hostkit::report::loadTemplate(kReports / kCustomLabel);
    hostkit::report::RecordLayout layout(labelTemplate, *labels, {}, RegionalSettings::italian());
    benchmark::DoNotOptimize(hostkit::report::renderPageImage(layout.current(), 4 * 25.4));
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["labels"] = static_cast<double>(labelCount);
}

}  // namespace
}  // namespace briskal

int main(int argc, char** argv) {
  using briskal::hostkit::labelprinter::PrinterLanguage;
  const std::unique_ptr<briskal::data::Recordset> captions = briskal::captionRecord();
  const std::unique_ptr<briskal::data::Recordset> text = briskal::composedText();
  const std::pair<const char*, const briskal::data::Recordset*> templates[] = {
      {briskal::kCustomLabel, captions.get()}, {briskal::kStandardLabels, text.get()}};
  for (const auto& [file, record] : templates)
    for (const int zoom : {2, 4, 8, 16})
      benchmark::RegisterBenchmark(
          ("BM_CanvasRedraw/" + std::string(file) + "/" + std::to_string(zoom)).c_str(),
          [file, record, zoom](benchmark::State& state) {
            briskal::canvasRedraw(state, file, *record, zoom);
          })
          ->Unit(benchmark::kMillisecond);
  const std::pair<const char*, PrinterLanguage> languages[] = {{"zpl", PrinterLanguage::Zpl},
                                                               {"epl2", PrinterLanguage::Epl2}};
  for (const auto& [name, language] : languages)
    for (const int dpi : {203, 300})
      benchmark::RegisterBenchmark(
          ("BM_PrinterViewRedraw/" + std::string(name) + "/" + std::to_string(dpi)).c_str(),
          [&captions, language, dpi](benchmark::State& state) {
            briskal::printerViewRedraw(state, *captions, language, dpi);
          })
          ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_DesignerOpenWithLiveData", briskal::BM_DesignerOpenWithLiveData)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
