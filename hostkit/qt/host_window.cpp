#include "hostkit/qt/host_window.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>

#include "common/convert.h"
#include "common/routines.h"
#include "hostkit/qt/designer_window.h"
#include "hostkit/qt/history_window.h"
#include "hostkit/qt/label_printers_dialog.h"
#include "hostkit/qt/print_settings_dialog.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/qt/qt_dialogs.h"
#include "hostkit/qt/qt_form_window.h"
#include "hostkit/qt/screen_label_printer.h"

namespace briskal::hostkit::qt {

HostWindow::HostWindow(SessionOptions options, bool askOnScreen)
    : qtTexts_(options.locale),
      area_(new QMdiArea(this)),
      lastRun_(new QLabel(this)),
      printChoices_(options.report),
      previewTargets_{options.report.destination, options.labelPrinter, options.labelPrinterSettings} {
  setWindowTitle("briskal");
  setObjectName("HostWindow");
  area_->setObjectName("WorkArea");
  setCentralWidget(area_);
  const std::filesystem::path layouts = options.dataFolder / "forms";
  const RegionalSettings regional = options.settings.regional;
  options.windowFactory = [this, layouts,
                           regional](host::HostForm& form) -> std::unique_ptr<host::FormWindow> {
    auto window = std::make_unique<QtFormWindow>(form, *area_, layouts, regional, texts());
    QtFormWindow* raw = window.get();
    windows_.push_back(raw);
    QObject::connect(raw, &QObject::destroyed, this, [this, raw] { std::erase(windows_, raw); });
    return window;
  };
  if (askOnScreen)
    options.answers = AnswerPolicy::interactive(
        [this](const ShownMessage& m) { return askWithMessageBox(m, this, texts()); });
  options.delivered = [this](const report::Delivery& delivery) { delivered(delivery); };
  options.reportSettingsPrompt = [this](report::ReportOptions& run, report::PageKind kind) {
    return askPrintSettings(run, kind);
  };
  options.reportPresenter = [this](report::PreparedReport prepared) {
    return showPreview(std::move(prepared));
  };
  session_ = std::make_unique<HostSession>(std::move(options));
  // The session has taken a printer profile's address and settings when one was named.
  previewTargets_.labelPrinter = session_->labelPrinter();
  previewTargets_.labelPrinterSettings = session_->labelPrinterSettings();
  HeadlessRuntime& runtime = session_->runtime();
  runtime.setSearchListDriver(
      [this](const SearchList& list) { return pickFromSearchList(list, this, texts()); });
  // The component's label-printer jobs ask before they go and tell where they went.
  runtime.setLabelPrinterFactory([this, sessionPrinter = runtime.labelPrinterFactory()] {
    return std::make_unique<ScreenLabelPrinter>(
        sessionPrinter(), previewTargets_.labelPrinter, this, texts(), [this] {
          const std::vector<report::Delivery>& runs = session_->deliveries();
          return runs.empty() ? std::vector<report::FailureText>() : runs.back().notes;
        });
  });

  QMenu* labels = menuBar()->addMenu(texts()("&Etichette"));
  QAction* open =
      labels->addAction(texts()("&Stampa etichette da ordine di lavoro"), this, [this] { openComponent(); });
  open->setObjectName("OpenComponent");
  open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  labels->addAction(texts()("&Disegno etichette"), this, [this] { openDesigner(); })
      ->setObjectName("OpenDesigner");
  labels->addAction(texts()("S&torico stampe"), this, [this] { openHistory(); })
      ->setObjectName("OpenHistory");
  labels->addAction(texts()("Stampanti di eti&chette…"), this, [this] { openLabelPrinters(); })
      ->setObjectName("OpenLabelPrinters");
  labels->addSeparator();
  labels->addAction(texts()("&Esci"), this, [this] { close(); })->setShortcut(QKeySequence::Quit);

  HeadlessGlobalContext& global = session_->global();
  auto* who = new QLabel(this);
  who->setObjectName("CompanyAndUser");
  who->setText(texts()("Ditta") + " " + QString::fromStdString(toText(global.company(), regional)) + " – " +
               QString::fromStdString(toText(NVL(global.companyName(), Value("")), regional)) + "   " +
               texts()("Utente") + " " + QString::fromStdString(global.userCode()));
  lastRun_->setObjectName("LastRun");
  // Kept in sight on the right: the status line's messages take its left.
  statusBar()->addPermanentWidget(who);
  statusBar()->addPermanentWidget(lastRun_);
  // What the component tells without asking stays until the next thing happens.
  session_->messages().setStatusSink(
      [this](const std::string& text) { statusBar()->showMessage(QString::fromStdString(text)); });
  resize(1200, 800);
}

HostWindow::~HostWindow() {
  // The component's forms go before the work area that holds their windows.
  session_.reset();
}

void HostWindow::openComponent() {
  if (QtFormWindow* form = formWindow("FRMPD_BRISKAL"); form && form->isShown()) {
    area_->setActiveSubWindow(form->subWindow());
    return;
  }
  guarded([this] { session_->showParameterForm(); });
}

ScreenTexts HostWindow::texts() const { return ScreenTexts(&session_->catalogue()); }

QtFormWindow* HostWindow::formWindow(std::string_view formName) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
    if ((*it)->form().formName() == formName) return *it;
  return nullptr;
}

PrintPreview* HostWindow::preview() const {
  const QList<PrintPreview*> previews = findChildren<PrintPreview*>(Qt::FindDirectChildrenOnly);
  return previews.isEmpty() ? nullptr : previews.back();
}

void HostWindow::delivered(const report::Delivery& delivery) {
  const QString destination = QString::fromStdString(delivery.destination);
  // Some pages of a report print without saying which of its labels they hold.
  lastRun_->setText(delivery.labels > 0
                        ? texts()("Stampate %1 etichette su %2 pagine: %3")
                              .arg(delivery.labels)
                              .arg(delivery.pages)
                              .arg(destination)
                        : texts()("Stampate %1 pagine: %2").arg(delivery.pages).arg(destination));
}

bool HostWindow::askPrintSettings(report::ReportOptions& options, report::PageKind kind) {
  if (!editPrintSettings(printChoices_, kind, this, texts())) return false;
  options = printChoices_;
  return true;
}

report::PageFeed HostWindow::showPreview(report::PreparedReport report) {
  auto* preview = new PrintPreview(std::move(report), previewTargets_, texts(), this);
  preview->show();
  preview->raise();
  preview->activateWindow();
  // The window shows the first page while the rest are laid out: each batch is painted as it
  // comes, and what the operator does waits until the run is laid out whole.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  return [shown = QPointer<PrintPreview>(preview)](std::vector<report::Page> pages, bool) {
    if (!shown) return;
    shown->addPages(std::move(pages));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
}

DesignerWindow* HostWindow::openDesigner(const std::string& fileOrName) {
  HeadlessGlobalContext& global = session_->global();
  DesignerContext context;
  context.connectionString = global.connectionString();
  context.company = toInt32(global.company(), global.regionalSettings());
  context.user = global.userCode();
  context.regional = global.regionalSettings();
  context.texts = texts();
  context.captions = [this](const std::string& caption) { return session_->catalogue().screenText(caption); };
  auto* designer =
      new DesignerWindow(std::move(context), this);  // a window of its own, which Qt deletes with this one
  designer->setWindowFlag(Qt::Window);
  designer->setAttribute(Qt::WA_DeleteOnClose);
  if (!fileOrName.empty()) designer->open(fileOrName);
  designer->show();
  return designer;
}

void HostWindow::openLabelPrinters() {
  HeadlessGlobalContext& global = session_->global();
  guarded([&] {
    LabelPrintersDialog dialog(
        {global.connectionString(), global.company(), global.userCode(), session_->labelPrinter(), texts()},
        [this](const PrinterProfile& profile) { useLabelPrinter(profile); }, this);
    dialog.exec();
  });
}

void HostWindow::useLabelPrinter(const PrinterProfile& profile) {
  session_->setLabelPrinter(profile.destination, profile.settings);
  previewTargets_.labelPrinter = profile.destination;
  previewTargets_.labelPrinterSettings = profile.settings;
  statusBar()->showMessage(texts()("Le etichette vanno ora alla stampante %1 (%2)")
                               .arg(toQt(profile.name), toQt(profile.destination)));
}

HistoryWindow* HostWindow::openHistory() {
  HeadlessGlobalContext& global = session_->global();
  HistoryWindow* history = nullptr;
  guarded([&] {
    history = new HistoryWindow(
        {global.connectionString(), global.company(), global.userCode(), global.regionalSettings(), texts()},
        this);  // a window of its own, which Qt deletes with this one
  });
  if (!history) return nullptr;
  history->setWindowFlag(Qt::Window);
  history->setAttribute(Qt::WA_DeleteOnClose);
  history->show();
  return history;
}

}  // namespace briskal::hostkit::qt
