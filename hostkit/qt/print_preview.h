#pragma once
// A run's pages before they go anywhere: a window of its own beside the host window, where the
// operator pages through them, zooms, and prints them, saves them as PDF or PNG files, or sends
// customisable labels to the label printer once they say yes. What an action delivered is told
// through the run's delivery sink, and what the label printer took in a box as well; what failed
// is shown with its cause. Its Close button, Esc and Ctrl+W close it.

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/qt/screen_texts.h"
#include "hostkit/report/report_service.h"

class QAction;
class QComboBox;
class QLabel;
class QSpinBox;

namespace briskal::hostkit::qt {

class PageView;

// Where a preview's actions go unless the operator chooses otherwise.
struct PreviewTargets {
  std::string suggested;     // a .pdf or .png file the save dialogs start from, or the printer proposed
  std::string labelPrinter;  // where customisable labels go: FILE.epl|.zpl, tcp://, ipp:// or cups:QUEUE
  labelprinter::PrinterSettings labelPrinterSettings;
};

class PrintPreview final : public QMainWindow {
 public:
  // `report` must have pages; more may follow through addPages(). The window deletes itself when
  // closed.
  PrintPreview(report::PreparedReport report, PreviewTargets targets, ScreenTexts texts, QWidget* parent);

  const report::PreparedReport& report() const { return report_; }
  // The pages laid out after those shown so far.
  void addPages(std::vector<report::Page> pages);
  PageView& view() { return *view_; }

 private:
  void print();
  void saveAsPdf();
  void saveAsPng();
  void sendToLabelPrinter();
  // The page box, the counts and the zoom as the view shows them.
  void showPosition();
  // The file the operator picks in a save dialog, with `extension` when typed without one.
  std::optional<std::filesystem::path> askFile(const QString& title, const QString& filter,
                                               const std::string& extension);
  // Runs an action under the hourglass; a failure is shown as `failure` and its cause, and
  // returns false.
  bool act(const QString& failure, const std::function<void()>& action);
  void deliver(const std::string& destination, int64_t labels, int64_t pages,
               std::vector<std::filesystem::path> files = {});
  // The labels on pages first to last (counted from 1).
  int64_t labelsOn(int first, int last) const;
  // Runs `send`, which returns the pages it sent, kept in the print history as a job of the labels
  // on pages first to last going to `destination`; a history that cannot keep it stops it first.
  void kept(const std::string& destination, const std::optional<labelprinter::PrinterSettings>& printer,
            int first, int last, const std::function<int64_t()>& send);

  report::PreparedReport report_;
  PreviewTargets targets_;
  ScreenTexts texts_;
  std::filesystem::path lastFile_;  // where the next save dialog starts
  std::string lastPrinter_;         // the printer the next print dialog proposes
  PageView* view_;
  QSpinBox* pageNumber_;
  QLabel* pageCount_;
  QComboBox* zoom_;
  QLabel* position_;
  std::array<QAction*, 2> forward_{};  // next and last page
};

}  // namespace briskal::hostkit::qt
