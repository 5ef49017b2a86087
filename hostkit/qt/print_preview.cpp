#include "hostkit/qt/print_preview.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>
#include <cmath>

#include "hostkit/labelprinter/label_job.h"
#include "hostkit/qt/page_view.h"
#include "hostkit/qt/print_boxes.h"
#include "hostkit/qt/print_dialog.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/report/cairo_renderer.h"
#include "hostkit/report/cups_printer.h"
#include "hostkit/report/cups_queue.h"
#include "hostkit/report/destination_kind.h"

namespace briskal::hostkit::qt {
namespace {

namespace fs = std::filesystem;

// The zoom box's entries besides its steps.
constexpr double kFitWidth = -1;
constexpr double kFitPage = -2;

}  // namespace

PrintPreview::PrintPreview(report::PreparedReport report, PreviewTargets targets, ScreenTexts texts,
                           QWidget* parent)
    : QMainWindow(parent),
      report_(std::move(report)),
      targets_(std::move(targets)),
      texts_(texts),
      view_(new PageView(report_.pages,
                         report_.kind == report::PageKind::Label ? PageView::Fit::Page : PageView::Fit::Width,
                         texts, this)),
      pageNumber_(new QSpinBox(this)),
      pageCount_(new QLabel(this)),
      zoom_(new QComboBox(this)),
      position_(new QLabel(this)) {
  setObjectName("PrintPreview");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlag(Qt::Window);
  setWindowTitle(texts_("Anteprima di stampa") + " – " + toQt(report_.title));
  setCentralWidget(view_);
  // A file starts the save dialogs, a printer's name the print dialog; a label printer is neither.
  const report::DestinationKind suggested = report::destinationKind(targets_.suggested);
  if (report::isFile(suggested)) lastFile_ = targets_.suggested;
  else if (suggested == report::DestinationKind::Printer) lastPrinter_ = targets_.suggested;

  const auto action = [this](QToolBar* bar, const char* name, const QString& text, auto slot) {
    QAction* a = bar->addAction(text, this, slot);
    a->setObjectName(name);
    return a;
  };
  QToolBar* output = addToolBar(texts_("Stampa"));
  output->setObjectName("OutputBar");
  output->setToolButtonStyle(Qt::ToolButtonTextOnly);
  action(output, "Print", texts_("Stampa..."), [this] { print(); })->setShortcut(QKeySequence::Print);
  action(output, "SaveAsPdf", texts_("Salva come PDF..."), [this] { saveAsPdf(); });
  action(output, "SaveAsPng", texts_("Salva come PNG..."), [this] { saveAsPng(); });
  // Only the customisable labels are designed for a label printer's roll.
  if (report_.kind == report::PageKind::Label) {
    action(output, "SendToLabelPrinter", texts_("Invia alla stampante di etichette"), [this] {
      sendToLabelPrinter();
    })->setToolTip(texts_("Invia alla stampante di etichette") + ": " + toQt(targets_.labelPrinter));
  }

  QToolBar* pages = addToolBar(texts_("Pagine"));
  pages->setObjectName("PageBar");
  QAction* first = action(pages, "FirstPage", texts_("Prima pagina"), [this] { view_->showPage(0); });
  QAction* previous = action(pages, "PreviousPage", texts_("Pagina precedente"),
                             [this] { view_->showPage(view_->current() == 0 ? 0 : view_->current() - 1); });
  pageNumber_->setObjectName("PageNumber");
  pageNumber_->setMinimum(1);
  pageNumber_->setKeyboardTracking(false);
  pages->addWidget(pageNumber_);
  pageCount_->setObjectName("PageCount");
  pages->addWidget(pageCount_);
  QAction* next = action(pages, "NextPage", texts_("Pagina successiva"),
                         [this] { view_->showPage(view_->current() + 1); });
  QAction* last =
      action(pages, "LastPage", texts_("Ultima pagina"), [this] { view_->showPage(view_->pageCount() - 1); });
  first->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
  previous->setIcon(style()->standardIcon(QStyle::SP_MediaSeekBackward));
  next->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));
  last->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
  first->setShortcuts({Qt::Key_Home, Qt::CTRL | Qt::Key_Home});
  previous->setShortcut(Qt::Key_PageUp);
  next->setShortcut(Qt::Key_PageDown);
  last->setShortcuts({Qt::Key_End, Qt::CTRL | Qt::Key_End});
  QObject::connect(pageNumber_, &QSpinBox::valueChanged, this,
                   [this](int page) { view_->showPage(static_cast<size_t>(page - 1)); });

  pages->addSeparator();
  // The signs on the buttons, the words in their tool tips: the bar keeps room for the zoom box.
  QAction* zoomOut = action(pages, "ZoomOut", texts_("Riduci"), [this] { view_->zoomOut(); });
  zoomOut->setIconText("−");
  zoomOut->setShortcut(QKeySequence::ZoomOut);
  zoom_->setObjectName("Zoom");
  zoom_->addItem(texts_("Adatta alla larghezza"), kFitWidth);
  zoom_->addItem(texts_("Adatta alla pagina"), kFitPage);
  for (const double step : PageView::zoomSteps())
    zoom_->addItem(QString("%1%").arg(std::lround(step * 100)), step);
  zoom_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  pages->addWidget(zoom_);
  QObject::connect(zoom_, &QComboBox::activated, this, [this](int index) {
    const double choice = zoom_->itemData(index).toDouble();
    if (choice == kFitWidth) view_->setFit(PageView::Fit::Width);
    else if (choice == kFitPage) view_->setFit(PageView::Fit::Page);
    else view_->setZoom(choice);
  });
  QAction* zoomIn = action(pages, "ZoomIn", texts_("Ingrandisci"), [this] { view_->zoomIn(); });
  zoomIn->setIconText("+");
  zoomIn->setShortcut(QKeySequence::ZoomIn);

  // A button to close by, and the keys that close a document's window.
  QToolBar* closing = addToolBar(texts_("Chiudi"));
  closing->setObjectName("CloseBar");
  closing->setToolButtonStyle(Qt::ToolButtonTextOnly);
  action(closing, "Close", texts_("Chiudi"), [this] {
    close();
  })->setShortcuts({Qt::Key_Escape, Qt::CTRL | Qt::Key_W});

  position_->setObjectName("Position");
  statusBar()->addWidget(position_);
  forward_ = {next, last};
  view_->onChange([this, first, previous] {
    const bool atFirst = view_->current() == 0;
    first->setEnabled(!atFirst);
    previous->setEnabled(!atFirst);
    showPosition();
  });
  view_->showPage(0);
  // The page keys work at once, not only after a click on the page.
  view_->setFocus();
  // Wide enough for both toolbars in either language.
  resize(1120, 720);
}

void PrintPreview::addPages(std::vector<report::Page> pages) {
  report_.pages.insert(report_.pages.end(), std::make_move_iterator(pages.begin()),
                       std::make_move_iterator(pages.end()));
  showPosition();
}

void PrintPreview::showPosition() {
  const size_t count = report_.pages.size();
  for (QAction* forward : forward_) forward->setEnabled(view_->current() + 1 < count);
  pageNumber_->setMaximum(static_cast<int>(count));
  pageCount_->setText(" " + texts_("di %1").arg(count) + " ");
  const QSignalBlocker quiet(pageNumber_);
  pageNumber_->setValue(static_cast<int>(view_->current() + 1));
  const double shown = view_->fit() == PageView::Fit::Width  ? kFitWidth
                       : view_->fit() == PageView::Fit::Page ? kFitPage
                                                             : view_->zoom();
  zoom_->setCurrentIndex(zoom_->findData(shown));
  position_->setText(texts_("Pagina %1 di %2").arg(view_->current() + 1).arg(view_->pageCount()) + "   " +
                     QString("%1%").arg(std::lround(view_->zoom() * 100)));
}

void PrintPreview::print() {
  const int count = static_cast<int>(report_.pages.size());
  const std::optional<PrintRequest> request =
      askPrintRequest(report::printDestinations(), lastPrinter_, count, this, texts_);
  if (!request) return;
  lastPrinter_ = request->printer;
  act(texts_("La stampa non è riuscita."), [&] {
    const int first = request->firstPage;
    const int last = request->lastPage;
    kept(request->printer, std::nullopt, first, last, [&] {
      if (first == 1 && last == count) {
        report::printPages(report_.pages, request->printer, report_.title, request->copies);
      } else {
        const std::vector<report::Page> chosen(report_.pages.begin() + (first - 1),
                                               report_.pages.begin() + last);
        report::printPages(chosen, request->printer, report_.title, request->copies);
      }
      return int64_t{last - first + 1} * request->copies;
    });
    deliver(request->printer, labelsOn(first, last) * request->copies,
            int64_t{last - first + 1} * request->copies);
  });
}

void PrintPreview::saveAsPdf() {
  const std::optional<fs::path> file =
      askFile(texts_("Salva come PDF"), texts_("Documenti PDF (*.pdf)"), ".pdf");
  if (!file) return;
  act(texts_("Il PDF non è stato salvato."), [&] {
    const auto pages = static_cast<int>(report_.pages.size());
    kept(file->string(), std::nullopt, 1, pages, [&] {
      report::renderPdf(report_.pages, *file, report_.title);
      return int64_t{pages};
    });
    deliver(file->string(), report_.records, pages, {*file});
  });
}

void PrintPreview::saveAsPng() {
  const std::optional<fs::path> file =
      askFile(texts_("Salva come PNG"), texts_("Immagini PNG (*.png)"), ".png");
  if (!file) return;
  act(texts_("Le immagini PNG non sono state salvate."), [&] {
    const double dpi = report_.kind == report::PageKind::Label ? report::kLabelDpi : report::kReportDpi;
    const auto pages = static_cast<int>(report_.pages.size());
    std::vector<fs::path> files;
    kept(file->string(), std::nullopt, 1, pages, [&] {
      files = report::renderPng(report_.pages, *file, dpi);
      return int64_t{pages};
    });
    deliver(file->string(), report_.records, pages, std::move(files));
  });
}

void PrintPreview::sendToLabelPrinter() {
  // One label a page.
  if (!confirmLabelJob(static_cast<int64_t>(report_.pages.size()), targets_.labelPrinter, this, texts_))
    return;
  int64_t labels = 0;
  std::vector<report::FailureText> notes;
  const bool sent = act(texts_("Le etichette non sono state inviate alla stampante di etichette."), [&] {
    kept(targets_.labelPrinter, targets_.labelPrinterSettings, 1, static_cast<int>(report_.pages.size()),
         [&] {
           labels = labelprinter::printLabels(report_.pages, targets_.labelPrinter,
                                              targets_.labelPrinterSettings, report_.title, &notes);
           return labels;
         });
    deliver(targets_.labelPrinter, labels, labels);
  });
  if (sent) tellLabelJobSent(labels, targets_.labelPrinter, this, texts_, notes);
}

std::optional<fs::path> PrintPreview::askFile(const QString& title, const QString& filter,
                                              const std::string& extension) {
  fs::path proposed = lastFile_.empty() ? fs::current_path() / "briskal-labels" : fs::absolute(lastFile_);
  proposed.replace_extension(extension);
  QFileDialog dialog(this, title);
  dialog.setObjectName("SaveFile");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(toQt(extension.substr(1)));
  dialog.setLabelText(QFileDialog::LookIn, texts_("Cerca in:"));
  dialog.setLabelText(QFileDialog::FileName, texts_("Nome del file:"));
  dialog.setLabelText(QFileDialog::FileType, texts_("Tipo di file:"));
  dialog.setLabelText(QFileDialog::Accept, texts_("&Salva"));
  dialog.setLabelText(QFileDialog::Reject, texts_("Annulla"));
  dialog.setDirectory(toQt(proposed.parent_path().string()));
  dialog.selectFile(toQt(proposed.filename().string()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  lastFile_ = fromQt(dialog.selectedFiles().front());
  return lastFile_;
}

bool PrintPreview::act(const QString& failure, const std::function<void()>& action) {
  try {
    const BusyCursor busy;
    action();
    return true;
  } catch (const std::exception& e) {
    showPrintFailure(failure, e, texts_);
    return false;
  }
}

void PrintPreview::deliver(const std::string& destination, int64_t labels, int64_t pages,
                           std::vector<fs::path> files) {
  if (report_.delivered) report_.delivered({destination, labels, pages, std::move(files), {}});
}

int64_t PrintPreview::labelsOn(int first, int last) const {
  int64_t labels = 0;
  for (int page = first; page <= last; ++page) labels += report_.pages[static_cast<size_t>(page - 1)].records;
  return labels;
}

void PrintPreview::kept(const std::string& destination,
                        const std::optional<labelprinter::PrinterSettings>& printer, int first, int last,
                        const std::function<int64_t()>& send) {
  const int64_t before = first > 1 ? labelsOn(1, first - 1) : 0;
  report::recorded(
      report_.record ? report_.record(destination, printer, before + 1, labelsOn(first, last)) : nullptr,
      send);
}

}  // namespace briskal::hostkit::qt
