// The desktop in the session's language: Qt's own texts, the forms' titles and the main window's
// title bar, with nothing left in Italian in an English session.

#include <QAbstractButton>
#include <QMdiSubWindow>
#include <QMessageBox>

#include "desktop/desktop_fixture.h"

namespace briskal::testing {
namespace {

QString yesButtonText() {
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  return box.button(QMessageBox::Yes)->text();
}

using Languages = DesktopTest;

TEST_F(Languages, QtsOwnTextsFollowTheSessionAndEndWithIt) {
  locale_ = "it";
  open();
  EXPECT_EQ(yesButtonText(), "&Sì");
  window_.reset();
  EXPECT_EQ(yesButtonText(), "&Yes") << "an Italian session's texts outlived it";
  locale_ = "en";
  open();
  EXPECT_EQ(yesButtonText(), "&Yes");
}

TEST_F(Languages, AnEnglishSessionTitlesItsFormsAndMainWindowInEnglish) {
  locale_ = "en";
  open();
  EXPECT_EQ(form("FRMPD_BRISKAL").subWindow()->windowTitle(), "Work-order labels");
  selectFirstOrders("Doc. number");
  QMdiSubWindow* selection = form("FRMPD_MODSELEZ").subWindow();
  EXPECT_EQ(selection->windowTitle(), "Edit labels (Work orders)");
  selection->showMaximized();
  QApplication::processEvents();
  for (const char* italian : {"etichette", "Ordini", "lavorazione", "Stampa"}) {
    EXPECT_FALSE(window().windowTitle().contains(italian)) << window().windowTitle().toStdString();
    EXPECT_FALSE(selection->windowTitle().contains(italian)) << selection->windowTitle().toStdString();
  }
}

}  // namespace
}  // namespace briskal::testing
