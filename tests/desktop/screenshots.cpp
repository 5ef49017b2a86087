// Renders every window of the desktop host in a known state on a fresh demo database to PNG files:
// what the README shows. On a display (scripts/screenshots.sh gives it one with a window manager)
// each window is taken from the screen, frame and title bar included; without one, offscreen.
// Usage: desktop_screenshots OUTPUT_FOLDER [it|en]

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <iostream>

#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/qt/designer_canvas.h"
#include "hostkit/qt/designer_window.h"
#include "hostkit/qt/history_window.h"
#include "hostkit/qt/host_window.h"
#include "hostkit/qt/qt_dialogs.h"
#include "hostkit/qt/qt_form_window.h"

namespace {

using namespace briskal;
namespace fs = std::filesystem;

fs::path out;

// What the screen shows of the window, as its window manager frames it.
QPixmap onScreen(QWidget* widget) {
  QWidget* window = widget->window();
  if (QGuiApplication::platformName() == "offscreen" || !QTest::qWaitForWindowExposed(window))
    return widget->grab();
  // The window manager frames a window after it is mapped; a window it leaves bare is taken so.
  QTest::qWaitFor([window] { return window->frameGeometry() != window->geometry(); }, 5000);
  QApplication::processEvents();
  const QRect frame = window->frameGeometry();
  return window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
}

void save(QWidget* widget, const char* name) {
  QApplication::processEvents();
  const fs::path file = out / (std::string(name) + ".png");
  if (!onScreen(widget).save(QString::fromStdString(file.string()))) {
    std::cerr << "screenshots: cannot write " << file << '\n';
    std::exit(1);
  }
  std::cout << file.string() << '\n';
}

// Grabs the next modal window as soon as it is on screen, then lets `close` end it; the bound only
// stops a hang.
void grabModal(const char* name, std::function<void(QWidget*)> close,
               QDeadlineTimer deadline = QDeadlineTimer(std::chrono::seconds(60))) {
  QTimer::singleShot(10, [name, close, deadline] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal) {
      save(modal, name);
      close(modal);
    } else if (!deadline.hasExpired()) {
      grabModal(name, close, deadline);
    } else {
      std::cerr << "screenshots: no window for " << name << '\n';
      std::exit(1);
    }
  });
}

// Presses Stampa on the selection form: the print options are filled in and grabbed as
// `settings`, then the preview the run opens is grabbed as `name`.
void printAndPreview(hostkit::qt::HostWindow& window, const char* settings, const char* name) {
  grabModal(settings, [](QWidget* dialog) {
    dialog->findChild<QCheckBox*>("PrintLimits")->setChecked(true);
    dialog->findChild<QCheckBox*>("PrintNotes")->setChecked(true);
    dialog->findChild<QLineEdit*>("PerformedBy")->setText("Mario Rossi");
    dialog->findChild<QLineEdit*>("AddressedTo")->setText("Magazzino spedizioni");
    dialog->findChild<QPlainTextEdit*>("Notes")->setPlainText("Lotto di prova");
    static_cast<QDialog*>(dialog)->accept();
  });
  QTest::mouseClick(window.formWindow("FRMPD_MODSELEZ")->root()->findChild<QAbstractButton*>("CmdExec"),
                    Qt::LeftButton);
  hostkit::qt::PrintPreview* preview = window.preview();
  if (!preview) {
    std::cerr << "screenshots: the run opened no preview\n";
    std::exit(1);
  }
  save(preview, name);
}

void typeInFilter(QTableWidget& table, const QString& caption, int column, const QString& text) {
  for (int r = 0; r < table.rowCount(); ++r) {
    if (table.item(r, 0)->text() != caption) continue;
    table.item(r, column)->setText(text);
    table.scrollToItem(table.item(0, 0));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: desktop_screenshots OUTPUT_FOLDER [it|en]\n";
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  out = argv[1];
  fs::create_directories(out);
  const fs::path work = fs::temp_directory_path() / "briskal-screenshots";
  fs::remove_all(work);
  fs::create_directories(work);
  // Windows open as a first session's do, whatever this user's own sessions remember.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString((work / "settings").string()));
  const std::string db = "Data Source=" + (work / "demo.db").string();
  {
    data::Connection cn;
    cn.setConnectionString(db);
    cn.open();
    hostkit::createDemoDatabase(cn, {2000, 1});
  }
  hostkit::SessionOptions options;
  options.settings.connectionString = db;
  options.dataFolder = BRISKAL_DATA_FOLDER;
  options.component = BRISKAL_COMPONENT;
  options.logFile = work / "briskal.log";
  options.report.destination = (work / "labels.pdf").string();
  options.labelPrinter = (work / "labels.epl").string();
  if (argc == 3) {
    options.locale = argv[2];
    options.settings.regional = RegionalSettings::byName(argv[2]);
  }
  hostkit::qt::HostWindow window(std::move(options), true);
  window.showMaximized();
  window.openComponent();
  const auto screen = [&window](const char* italian) {
    return QString::fromStdString(window.session().catalogue().screenText(italian));
  };
  hostkit::qt::QtFormWindow* parameters = window.formWindow("FRMPD_BRISKAL");
  parameters->subWindow()->showMaximized();
  auto& filter = *parameters->root()->findChild<QTableWidget*>("KVX_ADVQ");
  typeInFilter(filter, screen("Numero doc."), 1, "1");
  typeInFilter(filter, screen("Numero doc."), 4, "30");
  typeInFilter(filter, screen("Famiglia"), 1, "VITE");
  typeInFilter(filter, screen("Sottofamiglia"), 1, "INOX");
  save(&window, "parameter-form-filters");

  // A search list, opened on the sub-family row with F3.
  grabModal("search-list", [](QWidget* list) { QTest::keyClick(list, Qt::Key_Escape); });
  for (int r = 0; r < filter.rowCount(); ++r)
    if (filter.item(r, 0)->text() == screen("Sottofamiglia")) filter.setCurrentCell(r, 1);
  QTest::keyClick(&filter, Qt::Key_F3);

  QTest::mouseClick(parameters->root()->findChild<QAbstractButton*>("CMD_ImpostaEtich"), Qt::LeftButton);
  save(&window, "parameter-form-layout");

  grabModal("save-form", [](QWidget* form) { QTest::keyClick(form, Qt::Key_Escape); });
  QTest::mouseClick(parameters->root()->findChild<QAbstractButton*>("CMD_Personalizza"), Qt::LeftButton);

  QTest::mouseClick(parameters->root()->findChild<QAbstractButton*>("CMD_Esegui"), Qt::LeftButton);
  hostkit::qt::QtFormWindow* selection = window.formWindow("FRMPD_MODSELEZ");
  if (!selection) {
    std::cerr << "screenshots: the selection form did not open\n";
    return 1;
  }
  selection->subWindow()->showMaximized();
  save(&window, "selection-form");

  // The standard labels' preview, its print dialog; then the customisable labels' preview.
  printAndPreview(window, "print-settings", "print-preview-report");
  grabModal("print-dialog", [](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
  window.preview()->findChild<QAction*>("Print")->trigger();
  window.preview()->close();
  parameters->root()->findChild<QComboBox*>("CMB_TipoEtichetta")->setCurrentIndex(1);
  QTest::mouseClick(parameters->root()->findChild<QAbstractButton*>("CMD_ImpostaEtich"), Qt::LeftButton);
  window.formWindow("FRMPD_MODSELEZ")->subWindow()->showMaximized();
  printAndPreview(window, "print-settings-labels", "print-preview-labels");

  // A question of the component: the label printer refuses standard labels.
  grabModal("message-box", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
  hostkit::HeadlessMessageService& messages = window.session().messages();
  const Value reason(messages.text(74612, {}, ""));
  hostkit::qt::askWithMessageBox(
      {74594, messages.text(74594, {reason}, ""), 36, "Stampa etichette da ordine di lavoro", 0}, &window,
      hostkit::qt::ScreenTexts(&window.session().catalogue()));

  // The label designer on the shipped customisable label, with an order line's data and the item
  // code's text chosen; then the same label as a ZPL printer at 203 dpi prints it.
  hostkit::qt::DesignerWindow* designer =
      window.openDesigner((fs::path(BRISKAL_DATA_FOLDER) / "reports" / "CRPD_BRISKLABPERS.rpt").string());
  designer->showMaximized();
  QApplication::processEvents();
  designer->findChildren<QComboBox*>().front()->setCurrentIndex(3);
  hostkit::qt::DesignerCanvas* canvas = designer->canvas();
  canvas->zoomToFit(canvas->parentWidget()->size());
  QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->toWidget(60, 10).toPoint());
  save(designer, "label-designer");
  for (QComboBox* combo : designer->findChildren<QComboBox*>())
    if (combo->itemText(combo->count() - 1).endsWith("300 dpi")) combo->setCurrentIndex(3);
  save(designer, "label-designer-printer");
  designer->close();

  // The print history after a few runs from the command line: standard labels to a PDF,
  // customisable ones to a label printer's file, and a reprint of some of them; the label printer's
  // job chosen, with a label drawn as it printed, and the reprint dialog on it.
  const auto briskal = [&](QStringList args) {
    args = QStringList{"--db", QString::fromStdString(db), "--locale", argc == 3 ? argv[2] : "it"} + args;
    if (QProcess::execute(BRISKAL_BIN, args) != 0)
      std::cerr << "screenshots: briskal " << args.join(' ').toStdString() << " failed\n";
  };
  const QString at = QString::fromStdString(work.string());
  briskal({"print", "--where", "Numero doc.=1..3", "--out", at + "/standard.pdf"});
  briskal({"print", "--where", "Numero doc.=1..3", "--label", "custom", "--basis", "custom", "--labels", "3",
           "--out", at + "/labels.zpl"});
  briskal({"reprint", "2", "--labels", "4-6", "--reason", "etichette strappate", "--out", at + "/again.zpl"});
  hostkit::qt::HistoryWindow* history = window.openHistory();
  history->showMaximized();
  QApplication::processEvents();
  history->chooseJob(1);
  history->labelTable()->selectRow(4);
  save(history, "print-history");
  grabModal("reprint-dialog", [](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
  history->findChild<QAbstractButton*>("Reprint")->click();
  history->close();

  // The company's label printers, and the settings of one of them.
  briskal({"printers", "add", "Banco-2", "--printer", "ipp://etichette.local/ipp/print/banco2"});
  briskal({"printers", "add", "ZT410-Spedizioni", "--printer", "tcp://10.0.0.7", "--printer-language", "zpl",
           "--dpi", "203", "--label-size", "100x50", "--darkness", "20", "--speed", "4", "--offset",
           "1.5,0"});
  grabModal("label-printers", [](QWidget* list) {
    list->findChild<QTableWidget*>("Profiles")->selectRow(1);
    grabModal("printer-profile", [](QWidget* profile) { static_cast<QDialog*>(profile)->reject(); });
    list->findChild<QAbstractButton*>("ChangeProfile")->click();
    static_cast<QDialog*>(list)->reject();
  });
  window.openLabelPrinters();
  return 0;
}
