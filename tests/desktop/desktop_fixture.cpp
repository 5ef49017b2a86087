#include "desktop/desktop_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

#include "component/component_fixture.h"
#include "hostkit/qt/qt_control.h"
#include "support/database_backends.h"

namespace briskal::testing {

int filterRow(QTableWidget& table, const QString& caption) {
  for (int r = 0; r < table.rowCount(); ++r)
    if (table.item(r, 0)->text() == caption) return r;
  ADD_FAILURE() << "no filter row " << caption.toStdString();
  return -1;
}

bool eventually(const std::function<bool()>& condition) {
  // Bounded only against a hang: the condition decides.
  const QDeadlineTimer deadline(5000);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(5);
  }
  return true;
}

int columnTitled(QTableView& view, const QString& title) {
  for (int c = 0; c < view.model()->columnCount(); ++c)
    if (view.model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == title) return c;
  ADD_FAILURE() << "no column " << title.toStdString();
  return 0;
}

void typeInCell(QTableWidget& table, int row, int column, const QString& text) {
  table.setCurrentCell(row, column);
  table.editItem(table.item(row, column));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr) << "no editor opened";
  editor->selectAll();
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
}

void DesktopTest::SetUp() {
  folder_ = temporaryFolder();
  // What one test's windows remember never reaches another test, or another run.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(folder_ + "/settings"));
  hostkit::qt::setErrorReporter([this](const std::string& error) { errors_.push_back(error); });
}

void DesktopTest::TearDown() {
  window_.reset();
  hostkit::qt::setErrorReporter({});
  QApplication::processEvents();
}

void DesktopTest::open(hostkit::AnswerPolicy answers) {
  hostkit::SessionOptions options;
  options.settings.connectionString = "Data Source=" + sharedDemoDatabase();
  options.dataFolder = BRISKAL_DATA_FOLDER;
  options.component = BRISKAL_COMPONENT;
  options.logFile = folder_ + "/briskal.log";
  options.report.destination = folder_ + "/labels.pdf";
  options.labelPrinter = labelPrinter_.empty() ? folder_ + "/labels.epl" : labelPrinter_;
  options.answers = std::move(answers);
  options.locale = locale_;
  options.settings.userCode = user_;
  window_ = std::make_unique<hostkit::qt::HostWindow>(std::move(options), false);
  window_->show();
  window_->openComponent();
  QApplication::processEvents();
}

hostkit::qt::QtFormWindow& DesktopTest::form(std::string_view name) {
  hostkit::qt::QtFormWindow* found = window_->formWindow(name);
  if (!found) throw std::runtime_error("the form " + std::string(name) + " has no window");
  return *found;
}

void DesktopTest::selectFirstOrders(const QString& caption, bool customLabels, int labelsPerLine) {
  QTableWidget& table = filter();
  const int row = filterRow(table, caption);
  typeInCell(table, row, 1, "1");
  typeInCell(table, row, 4, "2");
  if (customLabels) widget<QComboBox>("FRMPD_BRISKAL", "CMB_TipoEtichetta")->setCurrentIndex(1);
  if (labelsPerLine > 0) {
    widget<QComboBox>("FRMPD_BRISKAL", "CMB_TipoQuantità")->setCurrentIndex(2);
    auto* labels = widget<QLineEdit>("FRMPD_BRISKAL", "TXT_NumEtichette");
    labels->clear();
    QTest::keyClicks(labels, QString::number(labelsPerLine));
  }
  click("FRMPD_BRISKAL", "CMD_ImpostaEtich");
  // Customisable labels go straight to the selection; standard ones lay their lines out first.
  if (!customLabels) click("FRMPD_BRISKAL", "CMD_Esegui");
}

void DesktopTest::click(std::string_view formName, const char* button) {
  auto* b = widget<QAbstractButton>(formName, button);
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(b->isEnabled()) << button << " is disabled";
  QTest::mouseClick(b, Qt::LeftButton);
  QApplication::processEvents();
}

void DesktopTest::whenModal(std::string_view formName,
                            std::function<void(hostkit::qt::QtFormWindow&)> driver) {
  const std::string name(formName);
  QTimer::singleShot(0, [this, name, driver] {
    hostkit::qt::QtFormWindow* w = window_->formWindow(name);
    if (!w || !w->dialog()) {
      ADD_FAILURE() << name << " is not on screen as a modal form";
      return;
    }
    driver(*w);
  });
}

void DesktopTest::whenDialog(const char* name, std::function<void(QDialog&)> driver) {
  QTimer::singleShot(0, [name, driver] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->objectName() != name) {
      ADD_FAILURE() << name << " is not on screen as a modal dialog";
      return;
    }
    driver(*dialog);
    if (dialog->isVisible()) {
      ADD_FAILURE() << name << " is still open";
      dialog->reject();
    }
  });
}

void DesktopTest::trigger(QWidget& window, const char* action) {
  auto* a = window.findChild<QAction*>(action);
  ASSERT_NE(a, nullptr) << "no action " << action;
  ASSERT_TRUE(a->isEnabled()) << action << " is disabled";
  a->trigger();
  QApplication::processEvents();
}

void DesktopTest::saveFromPreview(const char* action, const std::filesystem::path& file) {
  hostkit::qt::PrintPreview* preview = window_->preview();
  ASSERT_NE(preview, nullptr) << "no print preview";
  whenDialog("SaveFile", [file](QDialog& dialog) {
    auto& files = static_cast<QFileDialog&>(dialog);
    files.setDirectory(QString::fromStdString(file.parent_path().string()));
    files.selectFile(QString::fromStdString(file.filename().string()));
    dialog.accept();  // as the Save button does, checking the name typed
  });
  trigger(*preview, action);
}

}  // namespace briskal::testing
