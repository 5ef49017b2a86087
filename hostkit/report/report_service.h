#pragma once
// The stand-in host's report service: loads the template from the component's folder, reads the
// data (a statement run on its own connection, or the records of a recordset), lets the component
// set formulas and sections in BeforePrintReport, lays the pages out and sends them to a PDF file,
// to PNG files or to a CUPS printer, as its options say. A host on screen may ask the operator for
// the print options first, and show the pages instead of sending them.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/regional.h"
#include "host/report_service.h"
#include "hostkit/report/delivery.h"
#include "hostkit/report/drawing.h"
#include "hostkit/report/label_numbers.h"
#include "hostkit/report/report_layout.h"
#include "hostkit/report/report_template.h"
#include "hostkit/report/run_output.h"
#include "hostkit/report/run_record.h"

namespace briskal::hostkit::report {

struct ReportOptions {
  // A .pdf, .png or .txt file, or else the name of a CUPS printer (destinationKind decides).
  std::string destination;
  bool printHeader = true;
  bool printLimits = false;
  bool printNotes = false;
  std::string performedBy;
  std::string addressedTo;
  std::string notes;
  // Customisable labels on sheets: the label stock in place of the template's, and the place of
  // the first label on the first sheet, from 1.
  std::string stock;
  int startAt = 1;
};

// Asks for a run's print options before anything is read, knowing what its template lays out: a
// report's sheets, which print the options' header, limits and notes, or labels, which print none
// of them. False cancels the run, which then delivers nothing and is no error.
using SettingsPrompt = std::function<bool(ReportOptions& options, PageKind kind)>;

// A run laid out for the host to show, in place of sending it to the destination. The host gets it
// as soon as its first page is laid out, and the rest of the pages through the feed it returns.
// The host owns it and may keep it after the report service is gone.
struct PreparedReport {
  std::vector<Page> pages;
  PageKind kind = PageKind::Report;
  int64_t records = 0;  // labels, or the records of a report
  std::string title;
  DeliverySink delivered;   // hears of what the host prints or saves from it
  ShownRunRecorder record;  // what the host prints or saves from it is recorded so, when set
};
// The pages after the first, in order, a batch at a time; the last batch, maybe empty, says so.
// A presenter that returns no feed wants the first page only.
using PageFeed = std::function<void(std::vector<Page> pages, bool last)>;
using ReportPresenter = std::function<PageFeed(PreparedReport report)>;

// What a session gives its runs besides their options.
struct SessionResources {
  // A caption in the session's language; none prints captions as written.
  std::function<std::string(const std::string& caption)> captions;
  // The template a run names by file, in the folder it names; none reads that file.
  std::function<ReportTemplate(const std::filesystem::path& folder, const std::string& file)> templates;
  // Keeps each run in the print history; none keeps nothing.
  std::shared_ptr<RunRecorder> recorder;
  // Gives labels their SSCCs and serial numbers; none refuses templates that print them.
  std::shared_ptr<NumberSource> numbers;
};

class HeadlessReportService final : public host::ReportService {
 public:
  // `delivered` hears of every run that completed. Without a prompt the options are used as given;
  // without a presenter the pages go to the destination.
  HeadlessReportService(ReportOptions options, RegionalSettings regional, DeliverySink delivered = {},
                        SettingsPrompt prompt = {}, ReportPresenter presenter = {},
                        SessionResources resources = {});
  ~HeadlessReportService() override;

  void setGlobalContext(host::Cinterface* host) override { host_ = host; }
  // The class name, owner, preview flag, logon values and host value mean nothing to a headless
  // run: the data is read through the host's connection string and nothing is previewed.
  void setClassName(const std::string&) override {}
  void setOwner(const std::string&) override {}
  void setTitle(const std::string& title) override { title_ = title; }
  void setTemplate(const std::string& file) override { templateFile_ = file; }
  void setTemplateFolder(const std::filesystem::path& folder) override { templateFolder_ = folder; }
  void setPreview(bool) override {}
  void setLogon(const std::string&, const std::string&, const std::string&, const std::string&) override {}
  void setDataSource(const std::string& sql) override;
  void setDataRecordset(data::Recordset* recordset) override;
  void setLabelRows(data::Recordset* rows) override { labelRows_ = rows; }
  void setHostValue(const Value&) override {}
  void onBeforePrintReport(std::function<void(host::ReportEngine& engine)> handler) override {
    handler_ = std::move(handler);
  }
  void start() override;
  bool completed() const override { return completed_; }
  void release() override;

  bool printHeader() const override { return options_.printHeader; }
  bool printLimits() const override { return options_.printLimits; }
  bool printNotes() const override { return options_.printNotes; }
  std::string performedBy() const override { return options_.performedBy; }
  std::string addressedTo() const override { return options_.addressedTo; }
  std::string notes() const override { return options_.notes; }

  // What start() does short of sending the pages anywhere: loads the template, reads the data,
  // raises BeforePrintReport and lays the pages out. Throws briskal::Error when it cannot.
  std::vector<Page> layOutPages();
  // The files the last start() wrote; none when it printed.
  const std::vector<std::filesystem::path>& writtenFiles() const { return written_; }

 private:
  struct Run;
  // The run's template, as the session finds it; throws when none was given.
  ReportTemplate runTemplate() const;
  // Loads the template, reads the data and raises BeforePrintReport.
  std::unique_ptr<Run> open();
  // What the print history is told of a run of `printable` on `records`.
  RunStart runStart(const std::string& destination, const PrintableRun& printable,
                    const data::Recordset& records) const;
  // Lays the run out for the presenter.
  void present();
  // What the prints the host makes from the run on screen are kept with.
  ShownRunRecorder shownRunRecorder(Run& run) const;
  // Returns the number of texts written.
  int64_t writeTexts();

  ReportOptions options_;
  RegionalSettings regional_;
  DeliverySink delivered_;
  SettingsPrompt prompt_;
  ReportPresenter presenter_;
  SessionResources resources_;
  host::Cinterface* host_ = nullptr;
  std::string title_;
  std::string templateFile_;
  std::filesystem::path templateFolder_;
  std::string sql_;
  data::Recordset* recordset_ = nullptr;
  data::Recordset* labelRows_ = nullptr;
  std::function<void(host::ReportEngine&)> handler_;
  bool completed_ = false;
  std::vector<std::filesystem::path> written_;
};

}  // namespace briskal::hostkit::report
