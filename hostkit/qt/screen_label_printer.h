#pragma once
// The session's label printer as the component's label-printer button reaches it on screen: before
// a job is sent the operator is asked, with the labels it holds and where it goes; afterwards a box
// tells what was sent where, or why nothing was.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/report_service.h"
#include "hostkit/qt/screen_texts.h"
#include "hostkit/report/print_failure.h"

namespace briskal::hostkit::qt {

class ScreenLabelPrinter final : public host::LabelPrinterOutput {
 public:
  // What the printer said of the job just sent that did not stop it.
  using JobNotes = std::function<std::vector<report::FailureText>()>;
  // Sends through `printer`, whose jobs go to `destination`; the boxes show over `parent`.
  ScreenLabelPrinter(std::unique_ptr<host::LabelPrinterOutput> printer, std::string destination,
                     QWidget* parent, ScreenTexts texts, JobNotes notes);

  Value version() override { return printer_->version(); }
  void setContext(const Value& value) override { printer_->setContext(value); }
  void prepare() override;
  void setRecordset(data::Recordset* recordset) override;
  // A job of no labels goes as the printer takes it, without a word. Otherwise No sends nothing
  // and is no error; a failure is shown, then thrown on for the component to log.
  void start() override;
  // 0 when the operator did not send the job.
  Value result() override;

 private:
  std::unique_ptr<host::LabelPrinterOutput> printer_;
  std::string destination_;
  QPointer<QWidget> parent_;
  ScreenTexts texts_;
  JobNotes notes_;
  data::Recordset* records_ = nullptr;
  bool declined_ = false;
};

}  // namespace briskal::hostkit::qt
