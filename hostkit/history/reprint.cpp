#include "hostkit/history/reprint.h"

#include <algorithm>
#include <memory>

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

// The labels of `request` among the job's, refused when one is not the job's.
std::vector<PrintedLabel> chosenLabels(std::vector<PrintedLabel> all, const ReprintRequest& request) {
  if (request.labels.empty()) return all;
  const auto count = static_cast<int64_t>(all.size());
  std::vector<PrintedLabel> chosen;
  for (const int64_t n : request.labels) {
    if (n < 1 || n > count)
      refuse("Job " + std::to_string(request.job) + " has labels 1 to " + std::to_string(count) +
             ": there is no label " + std::to_string(n));
    chosen.push_back(std::move(all[static_cast<size_t>(n - 1)]));
  }
  return chosen;
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

}  // namespace

report::Delivery reprint(data::Connection& connection, const Value& company, const ReprintRequest& request,
                         const report::RunRecorder& recorder) {
  if (request.reason.find_first_not_of(" \t\r\n") == std::string::npos) refuse("A reprint needs its reason");
  PrintHistory history(connection, company);
  const std::optional<PrintJob> job = history.job(request.job);
  if (!job)
    throw Error(err::kItemNotFound, "briskal", "There is no print job " + std::to_string(request.job));
  const std::vector<PrintedLabel> labels = chosenLabels(history.labels(request.job), request);
  if (labels.empty()) refuse("Job " + std::to_string(request.job) + " has no labels to print again");
  const std::optional<std::string> templateText = history.templateText(job->templateKey);
  if (!templateText)
    throw Error(err::kItemNotFound, "briskal",
                "Job " + std::to_string(request.job) + " kept no template to print its labels with");
  const RunSnapshot snapshot = readSnapshot(job->settings);
  const report::ReportTemplate reportTemplate =
      report::parseTemplate(*templateText, job->layout, snapshot.templateFolder);
  std::vector<std::string_view> texts;
  texts.reserve(labels.size());
  for (const PrintedLabel& label : labels) texts.emplace_back(label.data);
  const std::unique_ptr<data::Recordset> records = restoreRecords(snapshot.fields, texts);
  const std::unique_ptr<data::Recordset> origins = originsOf(labels);
  const report::RunSettings settings = runSettingsOf(snapshot);

  const report::DestinationKind kind = report::destinationKind(request.destination);
  report::RunStart start;
  start.kind = job->kind;
  start.destination = request.destination;
  start.title = snapshot.title;
  start.reportTemplate = &reportTemplate;
  start.settings = &settings;
  start.records = records.get();
  start.labelRows = origins.get();
  start.reprintOf = request.job;
  start.reason = request.reason;
  report::Delivery delivery{request.destination, records->recordCount(), 0, {}};

  if (report::takesLabelJobs(kind)) {
    if (reportTemplate.page.kind != report::PageKind::Label)
      refuse("Job " + std::to_string(request.job) + " printed " + labelsOfKind(job->kind) +
             " on pages: a label printer cannot print them");
    const labelprinter::PrinterSettings printer =
        request.printer.value_or(snapshot.printer.value_or(labelprinter::PrinterSettings{}));
    start.kind = "labelprinter";
    start.printer = printer;
    delivery.pages = report::recorded(recorder, start, [&] {
      report::RecordLayout layout(reportTemplate, *records, settings, snapshot.regional);
      labelprinter::LabelJob labelJob(request.destination, printer, snapshot.title);
      for (records->moveFirst(); !records->eof(); records->moveNext()) labelJob.add(layout.current());
      labelJob.finish();
      return int64_t{labelJob.labels()};
    });
    return delivery;
  }
  if (request.printer) refuse("Label printer settings apply to a label printer's destination");
  if (kind == report::DestinationKind::TextFile) {
    if (job->kind != "standard")
      refuse("Only standard labels are texts: job " + std::to_string(request.job) + " printed " +
             labelsOfKind(job->kind));
    delivery.pages = report::recorded(recorder, start, [&] {
      return report::writeTexts(*records, request.destination, snapshot.regional);
    });
    delivery.files = {request.destination};
    return delivery;
  }
  if (start.kind == "labelprinter") start.kind = "custom";
  const report::PrintableRun run{reportTemplate, settings, report::runStock(reportTemplate, snapshot.stock),
                                 snapshot.startAt};
  if (run.stock) start.stock = run.stock->name();
  start.startAt = run.startAt;
  delivery.pages = report::recorded(recorder, start, [&] {
    return report::sendPages(run, *records, request.destination, snapshot.title, snapshot.regional,
                             delivery.files);
  });
  return delivery;
}

}  // namespace briskal::hostkit
