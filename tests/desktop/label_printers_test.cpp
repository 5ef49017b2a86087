// The company's label printers on the desktop: a profile made in the settings dialog, refused
// with the reason while it is wrong, its printer asked for its status, chosen for the session
// from the list, and then where the selection form's labels go, with its offsets; a printer that
// reports a fault refuses the job, told in the session's language.

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>

#include "component/component_fixture.h"
#include "data/connection.h"
#include "desktop/desktop_fixture.h"
#include "hostkit/store/printer_profiles.h"
#include "support/print_servers.h"

namespace briskal::testing {
namespace {

// Presses the newest message box's default button once it shows; what it said is kept.
class BoxWatch {
 public:
  BoxWatch() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      shown_.push_back({box->objectName(), box->text()});
      box->defaultButton() ? box->defaultButton()->click() : box->accept();
    });
    timer_.start(1);
  }
  const std::vector<std::pair<QString, QString>>& shown() const { return shown_; }

 private:
  std::vector<std::pair<QString, QString>> shown_;
  QTimer timer_;
};

class LabelPrinters : public DesktopTest {
 protected:
  static void press(QWidget& dialog, const char* button) {
    auto* b = dialog.findChild<QPushButton*>(button);
    ASSERT_NE(b, nullptr) << button;
    b->click();
  }
  // The profile dialog filled in as a person would; `name` empty leaves it out.
  static void fill(QDialog& profile, const QString& name, const std::string& address) {
    profile.findChild<QLineEdit*>("ProfileName")->setText(name);
    profile.findChild<QLineEdit*>("ProfileDestination")->setText(QString::fromStdString(address));
    profile.findChild<QComboBox*>("ProfileLanguage")->setCurrentText("ZPL");
    profile.findChild<QDoubleSpinBox*>("ProfileOffsetX")->setValue(1.5);
  }
};

TEST_F(LabelPrinters, AProfileMadeOnScreenIsChosenAndPrintsTheLabels) {
  LoopbackLabelPrinter printer(LoopbackLabelPrinter::Language::Zpl);
  const std::string address = "tcp://127.0.0.1:" + std::to_string(printer.port());
  open();
  selectFirstOrders("Numero doc.", true, 1);
  whenDialog("LabelPrinters", [&](QDialog& list) {
    whenDialog("PrinterProfile", [&](QDialog& profile) {
      fill(profile, "", address);
      profile.accept();
      auto* refusal = profile.findChild<QLabel*>("ProfileRefusal");
      EXPECT_TRUE(refusal->isVisible()) << "a profile without a name stays on screen";
      EXPECT_EQ(refusal->text().toStdString(),
                "Il nome di un profilo di stampante ha da 1 a 40 caratteri, nessuno di controllo");
      fill(profile, "Banco 1", address);
      profile.accept();
    });
    press(list, "NewProfile");
    auto* table = list.findChild<QTableWidget*>("Profiles");
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), "Banco 1");
    EXPECT_EQ(table->item(0, 2)->text(), "ZPL");
    EXPECT_EQ(table->item(0, 5)->text(), "1.5, 0 mm");
    table->selectRow(0);
    {
      const BoxWatch boxes;
      press(list, "ProfileStatus");
      ASSERT_EQ(boxes.shown().size(), 1U);
      EXPECT_EQ(boxes.shown()[0].first, "PrinterStatus");
      EXPECT_EQ(boxes.shown()[0].second, "La stampante Banco 1 è pronta.");
    }
    press(list, "UseProfile");
  });
  auto* action = window().findChild<QAction*>("OpenLabelPrinters");
  ASSERT_NE(action, nullptr);
  action->trigger();
  QApplication::processEvents();

  // Kept in the company database for every workstation.
  data::Connection cn;
  cn.setConnectionString("Data Source=" + sharedDemoDatabase());
  cn.open();
  const std::optional<hostkit::PrinterProfile> kept =
      hostkit::PrinterProfiles(cn, Value(int32_t{1})).find("Banco 1");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->destination, address);
  EXPECT_EQ(window().session().labelPrinter(), address);
  EXPECT_EQ(window().statusBar()->currentMessage().toStdString(),
            "Le etichette vanno ora alla stampante Banco 1 (" + address + ")");

  {
    const BoxWatch boxes;
    click("FRMPD_MODSELEZ", "CMD_EPL");
    ASSERT_TRUE(eventually([&] { return boxes.shown().size() == 2; }));
    EXPECT_EQ(boxes.shown()[1].first, "LabelJobSent");
  }
  const std::string job = printer.waitForJobs(1).at(0);
  EXPECT_NE(job.find("^LH12,0"), std::string::npos) << job.substr(0, 80);

  // Paper out: nothing is sent, and the operator is told why in Italian.
  printer.setStatus({.paperOut = true});
  {
    const BoxWatch boxes;
    click("FRMPD_MODSELEZ", "CMD_EPL");
    ASSERT_TRUE(eventually([&] { return boxes.shown().size() == 1; }));
  }
  ASSERT_FALSE(errors_.empty());
  EXPECT_NE(errors_.back().find("Stampante Banco 1: carta esaurita"), std::string::npos) << errors_.back();
  EXPECT_EQ(printer.jobs().size(), 1U);
  hostkit::PrinterProfiles(cn, Value(int32_t{1})).remove("Banco 1");
}

}  // namespace
}  // namespace briskal::testing
