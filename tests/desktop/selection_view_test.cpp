// The selection form as the operator reads it: rows out of the selection greyed, the totals under
// the grid following each change, quantities written alike in the grid and the detail fields, and
// no progress bar left behind by a run.

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>

#include "desktop/desktop_fixture.h"

namespace briskal::testing {
namespace {

using SelectionView = DesktopTest;

TEST_F(SelectionView, ARowOutOfTheSelectionIsGreyedAndTheTotalsFollow) {
  open();
  selectFirstOrders();
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  auto* totals = widget<QLabel>("FRMPD_MODSELEZ", "LBL_Totali");
  ASSERT_TRUE(grid && totals);
  const QString before = totals->text();
  EXPECT_TRUE(before.contains("Etichette da stampare")) << before.toStdString();
  const QModelIndex sel = grid->model()->index(1, columnTitled(*grid, "Sel."));
  EXPECT_FALSE(sel.data(Qt::ForegroundRole).isValid());
  const QPoint where = grid->visualRect(sel).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, where);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, where);
  QApplication::processEvents();
  ASSERT_EQ(sel.data().toString(), "0");
  EXPECT_EQ(sel.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
  EXPECT_EQ(grid->model()->index(1, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray))
      << "the whole row is greyed";
  EXPECT_FALSE(grid->model()->index(2, 0).data(Qt::ForegroundRole).isValid());
  EXPECT_NE(totals->text(), before);
}

TEST_F(SelectionView, QuantitiesReadAlikeAndNoProgressBarOutlivesARun) {
  open();
  selectFirstOrders();
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  auto* residual = widget<QLineEdit>("FRMPD_MODSELEZ", "TXT_QTAINORD");
  auto* progress = widget<QProgressBar>("FRMPD_MODSELEZ", "PBAR");
  ASSERT_TRUE(grid && residual && progress);
  grid->setCurrentIndex(grid->model()->index(0, 0));
  QApplication::processEvents();
  EXPECT_EQ(residual->text(), grid->model()->index(0, columnTitled(*grid, "Qta residua")).data().toString());
  EXPECT_TRUE(residual->text().contains(',')) << residual->text().toStdString();
  // What cannot be edited looks it; what can, does not.
  auto* labelQuantity = widget<QLineEdit>("FRMPD_MODSELEZ", "TXT_QTASUETIC");
  ASSERT_NE(labelQuantity, nullptr);
  EXPECT_EQ(residual->palette().color(QPalette::Base), residual->palette().color(QPalette::Window));
  EXPECT_NE(labelQuantity->palette().color(QPalette::Base), labelQuantity->palette().color(QPalette::Window));
  EXPECT_FALSE(progress->isVisible());
  whenDialog("PrintSettings", [](QDialog& options) { options.accept(); });
  click("FRMPD_MODSELEZ", "CmdExec");
  ASSERT_NE(window().preview(), nullptr);
  EXPECT_FALSE(progress->isVisible()) << "the run left its progress bar at " << progress->value();
}

}  // namespace
}  // namespace briskal::testing
