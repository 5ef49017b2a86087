#include "hostkit/history/reprint.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <set>

#include "common/error.h"
#include "data/recordset.h"
#include "hostkit/history/run_snapshot.h"
#include "hostkit/labelprinter/label_job.h"
#include "hostkit/report/destination_kind.h"
#include "hostkit/report/run_output.h"
#include "hostkit/report/template_parser.h"
#include "hostkit/store/print_history.h"

namespace briskal::hostkit {
namespace {

[[noreturn]] void refuse(const std::string& why) { throw Error(err::kInvalidArgument, "briskal", why); }

// A job's kind as a sentence names its labels.
std::string labelsOfKind(const std::string& kind) {
  if (kind == "custom") return "customisable labels";
  if (kind == "labelprinter") return "labels on a label printer";
  return kind + " labels";
}

// The labels numbered `chosen` among the job's, refused when one is not the job's.
std::vector<PrintedLabel> chosenLabels(std::vector<PrintedLabel> all, int64_t job,
                                       const std::vector<int64_t>& chosen) {
  if (chosen.empty()) return all;
  const auto count = static_cast<int64_t>(all.size());
  std::vector<PrintedLabel> labels;
  for (const int64_t n : chosen) {
    if (n < 1 || n > count)
      refuse("Job " + std::to_string(job) + " has labels 1 to " + std::to_string(count) +
             ": there is no label " + std::to_string(n));
    labels.push_back(std::move(all[static_cast<size_t>(n - 1)]));
  }
  return labels;
}

// The order and line of each label, as the records of standard labels do not have them.
std::unique_ptr<data::Recordset> originsOf(const std::vector<PrintedLabel>& labels) {
  auto rows = std::make_unique<data::Recordset>();
  rows->appendField("DO11_NUMREG_CO99", data::FieldType::VarWChar, 40);
  rows->appendField("DO30_PROGRIGA", data::FieldType::VarWChar, 20);
  rows->open();
  for (const PrintedLabel& label : labels) {
    rows->addNew();
    rows->setValue(size_t{0}, Value(label.order));
    rows->setValue(size_t{1}, Value(label.line));
    rows->update();
  }
  return rows;
}

report::RunSettings runSettingsOf(const RunSnapshot& snapshot) {
  report::RunSettings run;
  run.formulas = snapshot.formulas;
  run.sectionHeights = snapshot.sectionHeights;
  run.suppressed = snapshot.suppressed;
  run.captions = [captions = snapshot.captions](const std::string& caption) {
    const auto found = captions.find(caption);
    return found == captions.end() ? caption : found->second;
  };
  return run;
}

// A job's run as the history kept it, ready to lay its labels out again.
struct KeptRun {
  PrintJob job;
  std::vector<PrintedLabel> labels;
  RunSnapshot snapshot;
  report::ReportTemplate reportTemplate;
  report::RunSettings settings;
  std::unique_ptr<data::Recordset> records;
  std::unique_ptr<data::Recordset> origins;

  KeptRun(data::Connection& connection, const Value& company, int64_t id,
          const std::vector<int64_t>& chosen) {
    PrintHistory history(connection, company);
    std::optional<PrintJob> found = history.job(id);
    if (!found) throw Error(err::kItemNotFound, "briskal", "There is no print job " + std::to_string(id));
    job = std::move(*found);
    labels = chosenLabels(history.labels(id), id, chosen);
    if (labels.empty()) refuse("Job " + std::to_string(id) + " has no labels to print again");
    const std::optional<std::string> templateText = history.templateText(job.templateKey);
    if (!templateText)
      throw Error(err::kItemNotFound, "briskal",
                  "Job " + std::to_string(id) + " kept no template to print its labels with");
    snapshot = readSnapshot(job.settings);
    reportTemplate = report::parseTemplate(*templateText, job.layout, snapshot.templateFolder);
    settings = runSettingsOf(snapshot);
    std::vector<std::string_view> texts;
    texts.reserve(labels.size());
    for (const PrintedLabel& label : labels) texts.emplace_back(label.data);
    records = restoreRecords(snapshot.fields, texts);
    origins = originsOf(labels);
  }

  // Laid out on pages as the job laid them out.
  report::PrintableRun printable() const {
    return {reportTemplate, settings, report::runStock(reportTemplate, snapshot.stock), snapshot.startAt};
  }
};

// A label's number, from 1; none when the text is not one.
std::optional<int64_t> labelNumber(std::string_view text) {
  int64_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n < 1) return std::nullopt;
  return n;
}

}  // namespace

std::optional<std::vector<int64_t>> parseLabelList(std::string_view text) {
  // A range this long is a typing error, not a run: no job has this many labels.
  constexpr int64_t kLongestRange = 10'000'000;
  std::set<int64_t> labels;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(start, end - start);
    const size_t dash = item.find('-');
    const std::optional<int64_t> from = labelNumber(item.substr(0, dash));
    const std::optional<int64_t> to =
        dash == std::string_view::npos ? from : labelNumber(item.substr(dash + 1));
    if (!from || !to || *to < *from || *to - *from > kLongestRange) return std::nullopt;
    for (int64_t n = *from; n <= *to; ++n) labels.insert(n);
    start = end + 1;
  }
  return std::vector<int64_t>(labels.begin(), labels.end());
}

std::vector<report::Page> keptPages(data::Connection& connection, const Value& company, int64_t job,
                                    const std::vector<int64_t>& labels) {
  const KeptRun kept(connection, company, job, labels);
  std::vector<report::Page> pages;
  kept.printable().layOut(*kept.records, kept.snapshot.regional,
                          [&](report::Page&& page) { pages.push_back(std::move(page)); });
  return pages;
}

report::Delivery reprint(data::Connection& connection, const Value& company, const ReprintRequest& request,
                         report::RunRecorder& recorder) {
  if (request.reason.find_first_not_of(" \t\r\n") == std::string::npos) refuse("A reprint needs its reason");
  const KeptRun kept(connection, company, request.job, request.labels);
  const PrintJob* job = &kept.job;
  const RunSnapshot& snapshot = kept.snapshot;
  const report::ReportTemplate& reportTemplate = kept.reportTemplate;
  const report::RunSettings& settings = kept.settings;
  data::Recordset* records = kept.records.get();

  const report::DestinationKind kind = report::destinationKind(request.destination);
  report::RunStart start;
  start.kind = job->kind;
  start.destination = request.destination;
  start.title = snapshot.title;
  start.reportTemplate = &reportTemplate;
  start.settings = &settings;
  start.records = records;
  start.labelRows = kept.origins.get();
  start.reprintOf = request.job;
  start.reason = request.reason;
  report::Delivery delivery{request.destination, records->recordCount(), 0, {}, {}};

  if (report::takesLabelJobs(kind)) {
    if (reportTemplate.page.kind != report::PageKind::Label)
      refuse("Job " + std::to_string(request.job) + " printed " + labelsOfKind(job->kind) +
             " on pages: a label printer cannot print them");
    const labelprinter::PrinterSettings printer =
        request.printer.value_or(snapshot.printer.value_or(labelprinter::PrinterSettings{}));
    start.kind = "labelprinter";
    start.printer = printer;
    delivery.pages = report::recorded(recorder.open(start), [&] {
      report::RecordLayout layout(reportTemplate, *records, settings, snapshot.regional);
      labelprinter::LabelJob labelJob(request.destination, printer, snapshot.title);
      for (records->moveFirst(); !records->eof(); records->moveNext()) labelJob.add(layout.current());
      labelJob.finish();
      delivery.notes = labelJob.notes();
      return int64_t{labelJob.labels()};
    });
    return delivery;
  }
  if (request.printer) refuse("Label printer settings apply to a label printer's destination");
  if (kind == report::DestinationKind::TextFile) {
    if (job->kind != "standard")
      refuse("Only standard labels are texts: job " + std::to_string(request.job) + " printed " +
             labelsOfKind(job->kind));
    delivery.pages = report::recorded(recorder.open(start), [&] {
      return report::writeTexts(*records, request.destination, snapshot.regional);
    });
    delivery.files = {request.destination};
    return delivery;
  }
  if (start.kind == "labelprinter") start.kind = "custom";
  const report::PrintableRun run = kept.printable();
  if (run.stock) start.stock = run.stock->name();
  start.startAt = run.startAt;
  delivery.pages = report::recorded(recorder.open(start), [&] {
    return report::sendPages(run, *records, request.destination, snapshot.title, snapshot.regional,
                             delivery.files);
  });
  return delivery;
}

}  // namespace briskal::hostkit
