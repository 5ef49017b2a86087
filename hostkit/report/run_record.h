#pragma once
// How a run is kept in the print history: before its first label is sent the run tells the
// recorder what it prints, with what and where, and the recorder keeps it or throws, which stops
// the run with nothing printed; when the run ends it says how.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/report_template.h"

namespace briskal::data {
class Recordset;
}

namespace briskal::hostkit::report {

// What a run prints. The pointers are borrowed for the recorder's call.
struct RunStart {
  std::string kind;  // "standard", "custom" or "labelprinter"
  std::string destination;
  std::string title;
  const ReportTemplate* reportTemplate = nullptr;
  const RunSettings* settings = nullptr;
  std::string stock;  // the label stock the labels go on, if any
  int startAt = 1;
  std::optional<labelprinter::PrinterSettings> printer;  // a label printer's job
  // The records printed, one a label: those from `firstLabel` (from 1), `labels` of them (all the
  // rest when negative). Walked by clones: the records' own row stays where it is.
  const data::Recordset* records = nullptr;
  int64_t firstLabel = 1;
  int64_t labels = -1;
  // Standard labels: the label rows their texts were composed from, one for one, which say the
  // order line each came from.
  const data::Recordset* labelRows = nullptr;
  // A reprint's job and its reason.
  std::optional<int64_t> reprintOf;
  std::string reason;
};

class RunRecord {
 public:
  virtual ~RunRecord() = default;
  // Throws briskal::Error when the end cannot be recorded.
  virtual void delivered(int64_t pages) = 0;
  // Records the failure; never throws, the run's own error is the one to tell.
  virtual void failed(const std::string& error) noexcept = 0;
};

// Opens the record of a print made from a run shown on screen: its labels from `firstLabel` (from
// 1), `labels` of them, sent to `destination`, by a label printer with `printer` settings when
// given. Throws briskal::Error as RunRecorder::open does.
using ShownRunRecorder = std::function<std::unique_ptr<RunRecord>(
    const std::string& destination, const std::optional<labelprinter::PrinterSettings>& printer,
    int64_t firstLabel, int64_t labels)>;

class RunRecorder {
 public:
  virtual ~RunRecorder() = default;
  // Opens the record of a run about to send its labels; throws briskal::Error when it cannot be
  // kept, and then nothing may print.
  virtual std::unique_ptr<RunRecord> open(const RunStart& start) = 0;
  // Takes now what a run shown on screen is kept with, copies of it all: the host may print from
  // the run after the records and label rows it was read from are gone.
  virtual ShownRunRecorder prepare(const RunStart& start) = 0;
};

// The record `recorder` opens for `start`; none without a recorder.
std::unique_ptr<RunRecord> openRecord(RunRecorder* recorder, const RunStart& start);
// Runs `send`, which returns the pages it sent, and closes `record` (when there is one) with what
// happened.
int64_t recorded(std::unique_ptr<RunRecord> record, const std::function<int64_t()>& send);

}  // namespace briskal::hostkit::report
