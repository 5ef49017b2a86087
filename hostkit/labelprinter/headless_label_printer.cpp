#include "hostkit/labelprinter/headless_label_printer.h"

#include "common/error.h"
#include "data/recordset.h"
#include "hostkit/labelprinter/label_job.h"

namespace briskal::hostkit::labelprinter {
namespace {

// What every label printer's job is called.
constexpr const char* kTitle = "Labels";

}  // namespace

HeadlessLabelPrinter::HeadlessLabelPrinter(std::string destination, Layout layout,
                                           report::DeliverySink delivered, PrinterSettings settings,
                                           Recording recording)
    : destination_(std::move(destination)),
      layout_(std::move(layout)),
      delivered_(std::move(delivered)),
      settings_(std::move(settings)),
      recording_(std::move(recording)) {}

Value HeadlessLabelPrinter::version() {
  return Value(settings_.language == PrinterLanguage::Zpl ? "ZPL 1.0" : "EPL2 1.0");
}

void HeadlessLabelPrinter::setContext(const Value& value) { context_ = value; }

void HeadlessLabelPrinter::prepare() { labels_ = 0; }

void HeadlessLabelPrinter::setRecordset(data::Recordset* recordset) { recordset_ = recordset; }

void HeadlessLabelPrinter::start() {
  labels_ = 0;
  if (!recordset_) throw Error(err::kObjectClosed, "LabelPrinter", "No recordset to print labels from");
  // A clone walks the rows without moving the caller's current row or its bound controls.
  const auto rows = recordset_->clone();
  if (!recordset_->filter().empty()) rows->setFilter(recordset_->filter());
  if (!recordset_->sort().empty()) rows->setSort(recordset_->sort());
  if (rows->eof()) return;

  report::RunSettings run = recording_.run;
  const std::unique_ptr<report::NumberLease> numbers =
      recording_.labelTemplate
          ? report::takeNumbers(recording_.numbers.get(), *recording_.labelTemplate, *rows, run)
          : nullptr;
  const auto layOut = layout_(*rows, run);
  report::RunStart start;
  start.kind = "labelprinter";
  start.destination = destination_;
  start.title = kTitle;
  start.reportTemplate = recording_.labelTemplate.get();
  start.settings = &run;
  start.printer = settings_;
  start.records = rows.get();
  std::vector<report::FailureText> notes;
  report::recorded(report::openRecord(recording_.recorder.get(), start), [&] {
    LabelJob job(destination_, settings_, kTitle);
    for (; !rows->eof(); rows->moveNext()) {
      job.add(layOut());
      labels_ = job.labels();
    }
    job.finish();
    notes = job.notes();
    return int64_t{labels_};
  });
  if (numbers) numbers->printed();
  if (delivered_) delivered_({destination_, labels_, labels_, {}, std::move(notes)});
}

Value HeadlessLabelPrinter::result() { return Value(labels_); }

}  // namespace briskal::hostkit::labelprinter
