#include "hostkit/history/history_recorder.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <variant>

#include "common/convert.h"
#include "common/error.h"
#include "common/routines.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "hostkit/history/run_snapshot.h"
#include "hostkit/report/template_writer.h"
#include "hostkit/store/print_history.h"

namespace briskal::hostkit {
namespace {

// A view of its own on `records`, with their filter and sort, from the first record.
std::unique_ptr<data::Recordset> walkOf(const data::Recordset& records) {
  std::unique_ptr<data::Recordset> view = records.clone();
  if (!records.filter().empty()) view->setFilter(records.filter());
  if (!records.sort().empty()) view->setSort(records.sort());
  if (view->recordCount() > 0) view->moveFirst();
  return view;
}

// The numbers the run gives its labels (label_numbers.h), by the fields that print them.
std::vector<const report::LabelNumbers::value_type*> numbersOf(const report::RunStart& start) {
  std::vector<const report::LabelNumbers::value_type*> numbers;
  if (start.settings)
    for (const auto& field : start.settings->labelNumbers) numbers.push_back(&field);
  return numbers;
}

RunSnapshot snapshotOf(const report::RunStart& start, const RegionalSettings& regional) {
  RunSnapshot s;
  s.title = start.title;
  s.regional = regional;
  s.stock = start.stock;
  s.startAt = start.startAt;
  s.printer = start.printer;
  if (start.reportTemplate) s.templateFolder = start.reportTemplate->folder;
  if (const report::RunSettings* run = start.settings) {
    s.formulas = run->formulas;
    s.sectionHeights = run->sectionHeights;
    s.suppressed = run->suppressed;
  }
  // Captions as they printed, in the language of the run.
  if (start.reportTemplate)
    for (const report::Section& section : start.reportTemplate->sections)
      for (const report::TemplateItem& item : section.items)
        std::visit(
            [&](const auto& i) {
              if constexpr (requires { i.source; }) {
                if (i.source.kind != report::ValueSource::Kind::Caption) return;
                const bool translated = start.settings && start.settings->captions;
                s.captions[i.source.text] =
                    translated ? start.settings->captions(i.source.text) : i.source.text;
              }
            },
            item);
  for (size_t f = 0; f < start.records->fieldCount(); ++f) s.fields.push_back(start.records->field(f));
  // A label's numbers are fields of its own: a reprint prints them again, and takes no others.
  for (const auto* numbers : numbersOf(start))
    s.fields.push_back({.name = numbers->first,
                        .type = data::FieldType::VarWChar,
                        .definedSize = 20,
                        .precision = 0,
                        .numericScale = 0,
                        .attributes = data::attr::kIsNullable});
  return s;
}

// Where each label came from: the records' own order and line fields (the print support's), or
// else the label rows the standard labels' texts were composed from, walked beside the records.
class LabelOrigins {
 public:
  LabelOrigins(const report::RunStart& start, const data::Recordset& records, int64_t first) {
    if (hasOrigins(records)) {
      from_ = &records;
    } else if (start.labelRows && hasOrigins(*start.labelRows)) {
      // Label rows that are not one for one with the records would name other labels' lines.
      std::unique_ptr<data::Recordset> rows = walkOf(*start.labelRows);
      if (rows->recordCount() != records.recordCount()) return;
      rows->setAbsolutePosition(first);
      rows_ = std::move(rows);
      from_ = rows_.get();
    }
    if (from_) {
      order_ = static_cast<size_t>(from_->fieldIndex(kOrder));
      line_ = static_cast<size_t>(from_->fieldIndex(kLine));
    }
  }

  // The order and line of the label the records stand on, `repeated` when it is like the label
  // before it; then on to the next label's.
  const std::pair<std::string, std::string>& next(bool repeated) {
    if (!from_ || from_->eof()) {
      last_ = {};
    } else if (rows_ || !repeated) {
      const RegionalSettings& plain = RegionalSettings::english();
      last_ = {std::string(RTrim(toText(NVL(from_->value(order_), Value("")), plain))),
               toText(NVL(from_->value(line_), Value("")), plain)};
    }
    if (rows_) rows_->moveNext();
    return last_;
  }

 private:
  static constexpr const char* kOrder = "DO11_NUMREG_CO99";
  static constexpr const char* kLine = "DO30_PROGRIGA";
  static bool hasOrigins(const data::Recordset& r) {
    return r.fieldIndex(kOrder) >= 0 && r.fieldIndex(kLine) >= 0;
  }

  std::unique_ptr<data::Recordset> rows_;
  const data::Recordset* from_ = nullptr;
  size_t order_ = 0, line_ = 0;
  std::pair<std::string, std::string> last_;
};

// Every label `start` prints, walked in order: `each(order, line, data)` with the data the label
// showed, or nullptr for a label that showed what the label before it showed (the labels of an
// order line mostly repeat one another, and are kept without their data written out again).
template <typename Each>
void walkLabels(const report::RunStart& start, Each&& each) {
  std::unique_ptr<data::Recordset> records = walkOf(*start.records);
  const int64_t count = records->recordCount();
  const int64_t first = std::max<int64_t>(1, start.firstLabel);
  const int64_t last = start.labels < 0 ? count : std::min(count, first - 1 + start.labels);
  if (first > last) return;
  records->setAbsolutePosition(first);
  LabelOrigins origins(start, *records, first);
  // Labels with numbers of their own never repeat one another.
  const auto numbered = numbersOf(start);
  std::vector<std::string> numbers(numbered.size());
  std::optional<data::Bookmark> before;
  std::string text;
  for (int64_t n = first; n <= last; ++n, records->moveNext()) {
    const bool repeated = numbered.empty() && before && records->sameValues(*before);
    const auto& [order, line] = origins.next(repeated);
    for (size_t f = 0; f < numbered.size(); ++f) {
      const std::vector<std::string>& given = numbered[f]->second;
      numbers[f] =
          n <= static_cast<int64_t>(given.size()) ? given[static_cast<size_t>(n - 1)] : std::string();
    }
    if (!repeated) {
      text = recordText(*records, numbers);
      before = records->bookmark();
    }
    each(order, line, repeated ? nullptr : &text);
  }
}

JobStart jobStartOf(const RecorderSetup& setup, const report::RunStart& start) {
  JobStart job;
  job.user = setup.user;
  job.kind = start.kind;
  job.destination = start.destination;
  job.settings = writeSnapshot(snapshotOf(start, setup.regional));
  if (start.reportTemplate) {
    job.layout = start.reportTemplate->name;
    job.templateText = report::writeTemplate(*start.reportTemplate);
  }
  job.reprintOf = start.reprintOf;
  job.reason = start.reason;
  return job;
}

using LabelWriter = std::function<void(PrintHistory::Job& job)>;

class HistoryRecord final : public report::RunRecord {
 public:
  // Opens `job` and writes its labels with `addLabels`, in one transaction.
  HistoryRecord(const RecorderSetup& setup, const JobStart& job, const LabelWriter& addLabels)
      : history_(connection_, setup.company) {
    connection_.setConnectionString(setup.connectionString);
    connection_.open();
    job_ = history_.open(job);
    try {
      data::Transaction writing(connection_);
      addLabels(*job_);
      job_->flush();
      writing.commit();
    } catch (const Error& e) {
      // The labels' transaction is undone: the job is kept as failed, without them.
      job_->discard();
      failed("The labels could not be recorded: " + e.description());
      throw;
    }
  }

  void delivered(int64_t pages) override {
    try {
      job_->close(JobOutcome::Delivered, pages);
    } catch (const Error& e) {
      throw Error(e.number(), "briskal",
                  "The labels were sent, but the print history could not record the end of job " +
                      std::to_string(job_->id()) + ": " + e.description());
    }
  }

  void failed(const std::string& error) noexcept override {
    try {
      job_->close(JobOutcome::Failed, 0, error);
    } catch (...) {
      // The job stays open and is found interrupted: the run's own error is the one to tell.
    }
  }

 private:
  data::Connection connection_;
  PrintHistory history_;
  std::unique_ptr<PrintHistory::Job> job_;
};

std::unique_ptr<report::RunRecord> openRecord(const RecorderSetup& setup, const JobStart& job,
                                              const LabelWriter& addLabels) {
  try {
    return std::make_unique<HistoryRecord>(setup, job, addLabels);
  } catch (const Error& e) {
    throw Error(e.number(), "briskal",
                "Nothing was printed: the print history cannot record the run (" + e.description() + ")");
  }
}

// A run shown on screen as the history will keep what is printed from it: its own copies of the
// job's settings and of every label.
struct ShownRun {
  JobStart job;
  RunSnapshot snapshot;
  std::vector<std::string> data;  // each label's data once, the repeats of it left out
  struct Label {
    std::string order, line;
    size_t data = 0;
  };
  std::vector<Label> labels;
};

class HistoryRecorder final : public report::RunRecorder {
 public:
  explicit HistoryRecorder(RecorderSetup setup) : setup_(std::move(setup)) {}

  std::unique_ptr<report::RunRecord> open(const report::RunStart& start) override {
    return openRecord(setup_, jobStartOf(setup_, start), [&](PrintHistory::Job& job) {
      walkLabels(start, [&](const std::string& order, const std::string& line, const std::string* data) {
        if (data) job.add({order, line, *data});
        else job.repeat(order, line);
      });
    });
  }

  report::ShownRunRecorder prepare(const report::RunStart& start) override {
    auto shown = std::make_shared<ShownRun>();
    shown->job = jobStartOf(setup_, start);
    shown->snapshot = snapshotOf(start, setup_.regional);
    walkLabels(start, [&](const std::string& order, const std::string& line, const std::string* data) {
      if (data) shown->data.push_back(*data);
      shown->labels.push_back({order, line, shown->data.size() - 1});
    });
    return [setup = setup_, shown = std::shared_ptr<const ShownRun>(shown)](
               const std::string& destination, const std::optional<labelprinter::PrinterSettings>& printer,
               int64_t firstLabel, int64_t labels) {
      JobStart job = shown->job;
      job.destination = destination;
      if (printer) {
        RunSnapshot snapshot = shown->snapshot;
        snapshot.printer = printer;
        job.kind = "labelprinter";
        job.settings = writeSnapshot(snapshot);
      }
      return openRecord(setup, job, [&](PrintHistory::Job& kept) {
        const auto from = static_cast<size_t>(std::max<int64_t>(1, firstLabel) - 1);
        const size_t to =
            std::min(shown->labels.size(), from + static_cast<size_t>(std::max<int64_t>(0, labels)));
        std::optional<size_t> before;
        for (size_t n = from; n < to; ++n) {
          const ShownRun::Label& label = shown->labels[n];
          if (before == label.data) {
            kept.repeat(label.order, label.line);
          } else {
            kept.add({label.order, label.line, shown->data[label.data]});
            before = label.data;
          }
        }
      });
    };
  }

 private:
  RecorderSetup setup_;
};

}  // namespace

std::shared_ptr<report::RunRecorder> historyRecorder(RecorderSetup setup) {
  return std::make_shared<HistoryRecorder>(std::move(setup));
}

}  // namespace briskal::hostkit
