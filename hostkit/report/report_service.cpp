#include "hostkit/report/report_service.h"

#include <cerrno>
#include <chrono>
#include <fstream>
#include <memory>
#include <utility>

#include "common/convert.h"
#include "common/routines.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "host/cinterface.h"
#include "host/services.h"
#include "hostkit/report/cairo_renderer.h"
#include "hostkit/report/cups_printer.h"
#include "hostkit/report/destination_kind.h"
#include "hostkit/report/drawing_thread.h"
#include "hostkit/report/label_stock.h"
#include "hostkit/report/pdf_document.h"
#include "hostkit/report/sheet_imposer.h"
#include "hostkit/report/staged_file.h"
#include "hostkit/report/template_engine.h"
#include "hostkit/report/template_parser.h"

namespace briskal::hostkit::report {
// The records a run prints, with the connection they were read on when there is one.
class RunData {
 public:
  RunData(host::Cinterface* host, const std::string& sql, data::Recordset* recordset,
          const RegionalSettings& rs)
      : host_(host), sql_(sql), recordset_(recordset), regional_(rs) {
    read();
  }

  data::Recordset& records() { return *records_; }

  // Reads again, taking in what changed since the last reading.
  void read() {
    if (recordset_) {
      records_ = recordset_->clone();
      return;
    }
    if (!connection_) {
      if (!host_ || !host_->ClsGlobal())
        throwReportError("The report service has no host context to read its data");
      connection_ = std::make_unique<data::Connection>();
      connection_->setConnectionString(host_->ClsGlobal()->connectionString());
      connection_->setRegionalSettings(regional_);
      connection_->open();
    }
    records_ = std::make_unique<data::Recordset>();
    records_->setCursorLocation(data::cursor::kUseClient);
    records_->setRegionalSettings(regional_);
    records_->open(sql_, *connection_, data::cursor::kOpenStatic, data::lock::kReadOnly);
  }

 private:
  host::Cinterface* host_;
  std::string sql_;
  data::Recordset* recordset_;
  const RegionalSettings& regional_;
  std::unique_ptr<data::Connection> connection_;
  std::unique_ptr<data::Recordset> records_;
};

HeadlessReportService::HeadlessReportService(ReportOptions options, RegionalSettings regional,
                                             DeliverySink delivered, SettingsPrompt prompt,
                                             ReportPresenter presenter, SessionResources resources)
    : options_(std::move(options)),
      regional_(std::move(regional)),
      delivered_(std::move(delivered)),
      prompt_(std::move(prompt)),
      presenter_(std::move(presenter)),
      resources_(std::move(resources)) {}

void HeadlessReportService::setDataSource(const std::string& sql) {
  sql_ = sql;
  recordset_ = nullptr;
}

void HeadlessReportService::setDataRecordset(data::Recordset* recordset) {
  recordset_ = recordset;
  sql_.clear();
}

// A run read and set up, ready to be laid out.
struct HeadlessReportService::Run {
  PrintableRun printable;
  RunData data;
  std::shared_ptr<NumberLease> numbers;  // the labels' SSCCs and serial numbers, if they print any

  PageKind kind() const { return printable.kind(); }
  void layOut(const RegionalSettings& regional, const PageSink& sink) {
    printable.layOut(data.records(), regional, sink);
  }
};

HeadlessReportService::~HeadlessReportService() = default;

std::vector<Page> HeadlessReportService::layOutPages() {
  std::vector<Page> pages;
  open()->layOut(regional_, [&](Page&& page) { pages.push_back(std::move(page)); });
  return pages;
}

ReportTemplate HeadlessReportService::runTemplate() const {
  if (templateFile_.empty()) throwReportError("The report service was given no template");
  return resources_.templates ? resources_.templates(templateFolder_, templateFile_)
                              : loadTemplate(templateFolder_ / templateFile_);
}

std::unique_ptr<HeadlessReportService::Run> HeadlessReportService::open() {
  if (templateFile_.empty()) throwReportError("The report service was given no template");
  if (sql_.empty() && !recordset_) throwReportError("The report service was given no data");
  ReportTemplate reportTemplate = runTemplate();
  std::optional<LabelStock> stock = runStock(reportTemplate, options_.stock);
  RunData data(host_, sql_, recordset_, regional_);
  TemplateEngine engine(reportTemplate);
  if (handler_) handler_(engine);
  if (engine.refreshRequested()) data.read();
  RunSettings settings = engine.settings();
  settings.captions = resources_.captions;
  std::shared_ptr<NumberLease> numbers =
      takeNumbers(resources_.numbers.get(), reportTemplate, data.records(), settings);
  return std::make_unique<Run>(
      Run{PrintableRun{std::move(reportTemplate), std::move(settings), std::move(stock), options_.startAt},
          std::move(data), std::move(numbers)});
}

RunStart HeadlessReportService::runStart(const std::string& destination, const PrintableRun& printable,
                                         const data::Recordset& records) const {
  RunStart start;
  start.kind = sql_.empty() ? "custom" : "standard";
  start.destination = destination;
  start.title = title_;
  start.reportTemplate = &printable.reportTemplate;
  start.settings = &printable.settings;
  if (printable.stock) start.stock = printable.stock->name();
  start.startAt = printable.startAt;
  start.records = &records;
  start.labelRows = labelRows_;
  return start;
}

void HeadlessReportService::start() {
  completed_ = false;
  written_.clear();
  if (prompt_ && !prompt_(options_, runTemplate().page.kind)) return;
  if (presenter_) {
    present();
    completed_ = true;
    return;
  }
  if (options_.destination.empty()) throwReportError("The report service has no destination");
  const DestinationKind kind = destinationKind(options_.destination);
  if (takesLabelJobs(kind))
    throwReportError(options_.destination +
                     " is a label printer's destination: a report goes to a .pdf, .png or .txt file or a "
                     "printer");
  if (kind == DestinationKind::TextFile) {
    const int64_t texts = writeTexts();
    completed_ = true;
    if (delivered_) delivered_({options_.destination, texts, texts, written_, {}});
    return;
  }
  const std::unique_ptr<Run> run = open();
  data::Recordset& records = run->data.records();
  const int64_t pages = recorded(
      openRecord(resources_.recorder.get(), runStart(options_.destination, run->printable, records)),
      [&] { return sendPages(run->printable, records, options_.destination, title_, regional_, written_); });
  if (run->numbers) run->numbers->printed();
  completed_ = true;
  if (delivered_) delivered_({options_.destination, records.recordCount(), pages, written_, {}});
}

// The host shows the first page while the rest are laid out; they follow in batches a few times a
// second, which lets the host keep its window up to date.
void HeadlessReportService::present() {
  constexpr auto kBatchTime = std::chrono::milliseconds(100);
  const std::unique_ptr<Run> run = open();
  bool presented = false;
  PageFeed feed;
  std::vector<Page> batch;
  auto batchStart = std::chrono::steady_clock::now();
  run->layOut(regional_, [&](Page&& page) {
    if (!presented) {
      presented = true;
      std::vector<Page> first;
      first.push_back(std::move(page));
      feed = presenter_({std::move(first), run->kind(), run->data.records().recordCount(), title_, delivered_,
                         shownRunRecorder(*run)});
      batchStart = std::chrono::steady_clock::now();
      return;
    }
    if (!feed) return;
    batch.push_back(std::move(page));
    if (std::chrono::steady_clock::now() - batchStart < kBatchTime) return;
    feed(std::exchange(batch, {}), false);
    batchStart = std::chrono::steady_clock::now();
  });
  if (!presented) throwReportError("The report has no pages to print");
  if (feed) feed(std::move(batch), true);
}

namespace {

// The record of what is printed from a run shown on screen; the run's numbers are printed once
// something is.
class ShownRunRecord final : public RunRecord {
 public:
  ShownRunRecord(std::unique_ptr<RunRecord> record, std::shared_ptr<NumberLease> numbers)
      : record_(std::move(record)), numbers_(std::move(numbers)) {}
  void delivered(int64_t pages) override {
    if (record_) record_->delivered(pages);
    numbers_->printed();
  }
  void failed(const std::string& error) noexcept override {
    if (record_) record_->failed(error);
  }

 private:
  std::unique_ptr<RunRecord> record_;
  std::shared_ptr<NumberLease> numbers_;
};

}  // namespace

ShownRunRecorder HeadlessReportService::shownRunRecorder(Run& run) const {
  if (!resources_.recorder) return {};
  ShownRunRecorder shown = resources_.recorder->prepare(runStart({}, run.printable, run.data.records()));
  if (!run.numbers) return shown;
  // The numbers stay taken while the run is on screen, and are void if nothing is printed from it.
  return [shown = std::move(shown), numbers = run.numbers](
             const std::string& destination, const std::optional<labelprinter::PrinterSettings>& printer,
             int64_t firstLabel, int64_t labels) -> std::unique_ptr<RunRecord> {
    return std::make_unique<ShownRunRecord>(shown(destination, printer, firstLabel, labels), numbers);
  };
}

// The composed label texts as stored: the first column of every record of the statement the
// report prints.
int64_t HeadlessReportService::writeTexts() {
  if (recordset_ || sql_.empty()) throwReportError("Text output takes the composed texts of standard labels");
  RunData data(host_, sql_, recordset_, regional_);
  // The texts are kept with what their pages would print with, for a reprint on pages.
  ReportTemplate reportTemplate = runTemplate();
  TemplateEngine engine(reportTemplate);
  if (handler_) handler_(engine);
  RunSettings settings = engine.settings();
  settings.captions = resources_.captions;
  const PrintableRun printable{std::move(reportTemplate), std::move(settings), std::nullopt, 1};
  const int64_t texts = recorded(
      openRecord(resources_.recorder.get(), runStart(options_.destination, printable, data.records())),
      [&] { return report::writeTexts(data.records(), options_.destination, regional_); });
  written_ = {options_.destination};
  return texts;
}

void HeadlessReportService::release() {
  host_ = nullptr;
  recordset_ = nullptr;
  labelRows_ = nullptr;
  sql_.clear();
  handler_ = nullptr;
}

}  // namespace briskal::hostkit::report
