#pragma once
// The desktop host: a main window whose work area holds the component's forms, a menu entry that
// opens the component, and a status bar with the company, the user and the last print run. It
// runs one host session whose windows, message boxes and search lists are on screen; each report
// run asks for its print options and opens in a print preview, from where it prints or is saved.

#include <QMainWindow>
#include <memory>

#include "hostkit/qt/print_preview.h"
#include "hostkit/qt/qt_translations.h"
#include "hostkit/qt/screen_texts.h"
#include "hostkit/session/host_session.h"
#include "hostkit/store/printer_profiles.h"

class QMdiArea;
class QLabel;

namespace briskal::hostkit::qt {

class DesignerWindow;
class HistoryWindow;
class QtFormWindow;

class HostWindow final : public QMainWindow {
 public:
  // The session's windows and dialogs are this window's; `options.answers` is kept when it is not
  // interactive (a test's answers), otherwise message boxes answer.
  HostWindow(SessionOptions options, bool askOnScreen);
  ~HostWindow() override;

  // The menu entry: shows the parameter form, or brings it forward when it is open.
  void openComponent();
  // The label designer, with a template file or a template the database keeps, or a new label.
  DesignerWindow* openDesigner(const std::string& fileOrName = {});
  // The print history of the session's company; nullptr, with the cause shown, when the
  // database cannot be opened.
  HistoryWindow* openHistory();
  // The company's label printers, to keep their profiles and choose the session's.
  void openLabelPrinters();
  // The component's label-printer jobs and the previews' go to `profile`'s printer from now on.
  void useLabelPrinter(const PrinterProfile& profile);
  HostSession& session() { return *session_; }
  QMdiArea& workArea() { return *area_; }
  // The newest window of a form, nullptr when it has none.
  QtFormWindow* formWindow(std::string_view formName) const;
  // The newest print preview still open, or nullptr.
  PrintPreview* preview() const;

 private:
  void delivered(const report::Delivery& delivery);
  // The report service's hooks: the print options a run of `kind` prints, asked before it starts
  // from the last ones chosen, and the run's pages shown in a preview of their own.
  bool askPrintSettings(report::ReportOptions& options, report::PageKind kind);
  report::PageFeed showPreview(report::PreparedReport report);
  // The screen's texts in the session's language.
  ScreenTexts texts() const;

  QtTranslations qtTexts_;
  QMdiArea* area_;
  QLabel* lastRun_;
  std::vector<QtFormWindow*> windows_;
  report::ReportOptions printChoices_;
  PreviewTargets previewTargets_;
  std::unique_ptr<HostSession> session_;
};

}  // namespace briskal::hostkit::qt
