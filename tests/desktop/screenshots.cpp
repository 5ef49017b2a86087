// Renders every window of the desktop host in a known state on a fresh demo database, offscreen,
// to PNG files: what the README shows. Usage: desktop_screenshots OUTPUT_FOLDER

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <iostream>

#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/qt/host_window.h"
#include "hostkit/qt/qt_dialogs.h"
#include "hostkit/qt/qt_form_window.h"

namespace {

using namespace briskal;
namespace fs = std::filesystem;

fs::path out;

void save(QWidget* widget, const char* name) {
  QApplication::processEvents();
  const fs::path file = out / (std::string(name) + ".png");
  if (!widget->grab().save(QString::fromStdString(file.string()))) {
    std::cerr << "screenshots: cannot write " << file << '\n';
    std::exit(1);
  }
  std::cout << file.string() << '\n';
}

// Grabs the next modal window as soon as it is on screen, then lets `close` end it.
void grabModal(const char* name, std::function<void(QWidget*)> close) {
  QTimer::singleShot(50, [name, close] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      std::cerr << "screenshots: no window for " << name << '\n';
      std::exit(1);
    }
    save(modal, name);
    close(modal);
  });
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
  if (argc != 2) {
    std::cerr << "usage: desktop_screenshots OUTPUT_FOLDER\n";
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  out = argv[1];
  fs::create_directories(out);
  const fs::path work = fs::temp_directory_path() / "briskal-screenshots";
  fs::remove_all(work);
  fs::create_directories(work);
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
  hostkit::qt::HostWindow window(std::move(options), true);
  window.resize(1280, 860);
  window.show();
  window.openComponent();
  hostkit::qt::QtFormWindow* parameters = window.formWindow("FRMPD_BRISKAL");
  parameters->subWindow()->showMaximized();
  auto& filter = *parameters->root()->findChild<QTableWidget*>("KVX_ADVQ");
  typeInFilter(filter, "Numero doc.", 1, "1");
  typeInFilter(filter, "Numero doc.", 4, "30");
  typeInFilter(filter, "Famiglia", 1, "VITE");
  typeInFilter(filter, "Sottofamiglia", 1, "INOX");
  save(&window, "parameter-form-filters");

  // A search list, opened on the sub-family row with F3.
  grabModal("search-list", [](QWidget* list) { QTest::keyClick(list, Qt::Key_Escape); });
  for (int r = 0; r < filter.rowCount(); ++r)
    if (filter.item(r, 0)->text() == "Sottofamiglia") filter.setCurrentCell(r, 1);
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

  // A question of the component: the label printer refuses standard labels.
  grabModal("message-box", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
  hostkit::qt::askWithMessageBox({74594, "Dimensioni etichetta:\r\naltezza insufficiente.\r\r\nContinuare?",
                                  36, "Stampa etichette da ordine di lavoro", 0},
                                 &window, hostkit::qt::ScreenTexts());
  return 0;
}
