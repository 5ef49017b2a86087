#pragma once
// The host's label-printer output: lays out one label per record of the recordset it is given
// and sends them as one job, in the printer's language, to a file, a raw CUPS queue or a printer
// on the network (see destination.h). The layout comes from the host, which knows the label
// templates, and so does the print history's record of each job when the host keeps one.

#include <functional>
#include <memory>
#include <string>

#include "host/report_service.h"
#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/delivery.h"
#include "hostkit/report/drawing.h"
#include "hostkit/report/label_numbers.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/report_template.h"
#include "hostkit/report/run_record.h"

namespace briskal::data {
class Recordset;
}

namespace briskal::hostkit::labelprinter {

class HeadlessLabelPrinter : public host::LabelPrinterOutput {
 public:
  // Given the records a job walks, what lays their current record out as one label: made once a
  // job, so that what is the same for every label is worked out once.
  // The run's settings are the recording's, with the numbers its labels carry.
  using Layout = std::function<std::function<report::Page()>(const data::Recordset& records,
                                                             const report::RunSettings& run)>;

  // How each job is kept in the print history: the template and settings the layout prints with.
  struct Recording {
    std::shared_ptr<report::RunRecorder> recorder;  // none keeps nothing
    std::shared_ptr<const report::ReportTemplate> labelTemplate;
    report::RunSettings run;
    std::shared_ptr<report::NumberSource> numbers;  // gives the labels their SSCCs and serial numbers
  };

  // `delivered` hears of every job sent.
  HeadlessLabelPrinter(std::string destination, Layout layout, report::DeliverySink delivered = {},
                       PrinterSettings settings = {}, Recording recording = {});

  // "EPL2 1.0" or "ZPL 1.0": the language the settings choose and the version of this output.
  Value version() override;
  // The host value the component passes on; kept, not interpreted.
  void setContext(const Value& value) override;
  // Starts a new run: the label count goes back to 0.
  void prepare() override;
  // The recordset is borrowed until the next call; nullptr lets it go.
  void setRecordset(data::Recordset* recordset) override;
  // Walks a clone of the recordset (with its filter and sort, leaving its current row alone) and
  // writes one label per record in one job. No records, no job. Throws briskal::Error when no
  // recordset was set, when the job cannot be recorded (nothing is sent then), when a label cannot
  // be laid out or written, or when the job cannot be delivered.
  void start() override;
  // The number of labels written by the last start(), as a 32-bit integer.
  Value result() override;

 private:
  std::string destination_;
  Layout layout_;
  report::DeliverySink delivered_;
  PrinterSettings settings_;
  Recording recording_;
  Value context_;
  data::Recordset* recordset_ = nullptr;
  int32_t labels_ = 0;
};

}  // namespace briskal::hostkit::labelprinter
