// The desktop host driven through its widgets: the main job from the filter rows through the print
// preview to the printed file, the selection toggled with a double click, layouts saved and deleted
// in the modal save form, questions answered, search lists and descriptions in the filter, a
// million-row grid.

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <filesystem>

#include "data/recordset.h"
#include "desktop/desktop_fixture.h"
#include "hostkit/qt/qt_grid.h"
#include "hostkit/qt/qt_query_filter.h"

namespace briskal::testing {
namespace {

using Side = host::QueryFilterControl::Side;

using Desktop = DesktopTest;

TEST_F(Desktop, TheMainJobGoesFromTheFilterRowsThroughThePreviewToThePrintedFile) {
  open();
  selectFirstOrders();
  ASSERT_NE(window().formWindow("FRMPD_MODSELEZ"), nullptr) << (errors_.empty() ? "" : errors_.front());
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  ASSERT_GT(grid->model()->rowCount(), 0);
  EXPECT_GE(columnTitled(*grid, "Sel."), 0);
  whenDialog("PrintSettings", [](QDialog& options) { options.accept(); });
  click("FRMPD_MODSELEZ", "CmdExec");
  ASSERT_NE(window().preview(), nullptr) << (errors_.empty() ? "" : errors_.front());
  EXPECT_TRUE(window().session().deliveries().empty()) << "the preview prints, not the run";
  saveFromPreview("SaveAsPdf", folder_ + "/labels.pdf");
  ASSERT_EQ(window().session().deliveries().size(), 1u) << (errors_.empty() ? "" : errors_.front());
  EXPECT_TRUE(std::filesystem::exists(folder_ + "/labels.pdf"));
  EXPECT_TRUE(window().findChild<QLabel*>("LastRun")->text().contains("labels.pdf"));
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST_F(Desktop, ADoubleClickOnSelTogglesTheRowAndEscapeClosesTheForm) {
  open();
  selectFirstOrders();
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  ASSERT_NE(grid, nullptr);
  const int sel = columnTitled(*grid, "Sel.");
  const QModelIndex cell = grid->model()->index(1, sel);
  const QString before = cell.data().toString();
  const QPoint where = grid->visualRect(cell).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, where);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, where);
  QApplication::processEvents();
  EXPECT_NE(grid->model()->index(1, sel).data().toString(), before);
  QTest::keyClick(grid, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_FALSE(window().formWindow("FRMPD_MODSELEZ") && window().formWindow("FRMPD_MODSELEZ")->isShown());
}

// The label quantity refuses a key or an erasure that leaves no number above zero, keeping what
// it showed; a number it takes goes into the label row.
TEST_F(Desktop, TheLabelQuantityKeepsItsNumberAgainstLettersAndErasure) {
  open();
  selectFirstOrders();
  auto* quantity = widget<QLineEdit>("FRMPD_MODSELEZ", "TXT_QTASUETIC");
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  ASSERT_TRUE(quantity && grid);
  const QString shown = quantity->text();
  ASSERT_FALSE(shown.isEmpty());
  QTest::keyClicks(quantity, "x");
  EXPECT_EQ(quantity->text(), shown);
  quantity->selectAll();
  QTest::keyClick(quantity, Qt::Key_Backspace);
  EXPECT_EQ(quantity->text(), shown);
  quantity->selectAll();
  QTest::keyClicks(quantity, "3");
  QApplication::processEvents();
  EXPECT_EQ(quantity->text(), "3");
  const int column = columnTitled(*grid, "Qta etichetta");
  EXPECT_EQ(grid->model()->index(grid->currentIndex().row(), column).data().toString(), "3");
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST_F(Desktop, ALayoutIsSavedAndDeletedInTheModalSaveForm) {
  open();
  click("FRMPD_BRISKAL", "CMD_ImpostaEtich");
  auto* layouts = widget<QComboBox>("FRMPD_BRISKAL", "CMB_Personal");
  const int before = layouts->count();
  whenModal("FRMPD_SALVAPERS", [](hostkit::qt::QtFormWindow& w) {
    QTest::keyClicks(w.root()->findChild<QLineEdit*>("TXT_Codice"), "desk1");
    QTest::keyClicks(w.root()->findChild<QLineEdit*>("TXT_Titolo"), "Prova dal desktop");
    QTest::mouseClick(w.root()->findChild<QAbstractButton*>("CMD_SALVA"), Qt::LeftButton);
    QTest::keyClick(w.root(), Qt::Key_Escape);
  });
  click("FRMPD_BRISKAL", "CMD_Personalizza");
  ASSERT_EQ(layouts->count(), before + 1) << (errors_.empty() ? "" : errors_.front());
  EXPECT_GE(layouts->findText("PROVA DAL DESKTOP", Qt::MatchContains), 0)
      << layouts->itemText(before).toStdString();

  whenModal("FRMPD_SALVAPERS", [](hostkit::qt::QtFormWindow& w) {
    auto* list = w.root()->findChild<QTableView*>("QGRID_SEL");
    for (int r = 0; r < list->model()->rowCount(); ++r) {
      if (!list->model()->index(r, 0).data().toString().contains("PROVA DAL DESKTOP")) continue;
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualRect(list->model()->index(r, 0)).center());
    }
    QTest::mouseClick(w.root()->findChild<QAbstractButton*>("CMD_ELIMINA"), Qt::LeftButton);
    QTest::keyClick(w.root(), Qt::Key_Escape);
  });
  click("FRMPD_BRISKAL", "CMD_Personalizza");
  EXPECT_EQ(layouts->count(), before);
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST_F(Desktop, QuestionsAreAnsweredAndTheFilterDescribesAndLooksUpCodes) {
  open(hostkit::AnswerPolicy::no());
  click("FRMPD_BRISKAL", "CMD_ImpostaEtich");
  click("FRMPD_BRISKAL", "CMD_Esegui");
  ASSERT_FALSE(window().session().messages().shown().empty());
  EXPECT_EQ(window().formWindow("FRMPD_MODSELEZ"), nullptr);  // no filter, and the answer was No

  QTableWidget& table = filter();
  const int family = filterRow(table, "Famiglia");
  typeInCell(table, family, 1, "flan");
  EXPECT_EQ(table.item(family, 1)->text(), "flan");
  EXPECT_EQ(table.item(family, 3)->text(), "");  // codes are exact
  typeInCell(table, family, 1, "FLAN");
  EXPECT_EQ(table.item(family, 3)->text(), "Flange");

  window().session().runtime().setSearchListDriver(
      [](const hostkit::SearchList& list) -> std::optional<size_t> {
        for (size_t r = 0; r < list.rows.size(); ++r)
          if (list.rows[r].front() == "VITE") return r;
        return std::nullopt;
      });
  table.setCurrentCell(family, 4);
  QTest::keyClick(&table, Qt::Key_F3);
  EXPECT_EQ(table.item(family, 4)->text(), "VITE");
  EXPECT_EQ(table.item(family, 6)->text(), "Viteria e perni");
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST_F(Desktop, AValueTheFieldRefusesIsShownAndNotKept) {
  open();
  QTableWidget& table = filter();
  const int number = filterRow(table, "Numero doc.");
  typeInCell(table, number, 1, "uno");
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(table.item(number, 1)->text(), "");
}

TEST_F(Desktop, CaptionsAreInTheSessionsLanguageWhileTheFormsReadTheirOwn) {
  locale_ = "en";
  open();
  EXPECT_EQ(widget<QAbstractButton>("FRMPD_BRISKAL", "CMD_ImpostaEtich")->text(), "&Next");
  EXPECT_EQ(widget<QTabWidget>("FRMPD_BRISKAL", "SSTab1")->tabText(1), "&Report layout");
  EXPECT_EQ(widget<QLabel>("FRMPD_BRISKAL", "LBL_TipoOrdini")->text(), "Order type");
  auto* orderType = widget<QComboBox>("FRMPD_BRISKAL", "CMB_TipoOrdini");
  EXPECT_EQ(orderType->itemText(0), "Work orders");
  EXPECT_EQ(filter().horizontalHeaderItem(1)->text(), "From");
  // The form still reads its own captions and keys: the main job runs as in Italian.
  selectFirstOrders("Doc. number");
  ASSERT_NE(window().formWindow("FRMPD_MODSELEZ"), nullptr);
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  EXPECT_EQ(grid->model()->headerData(7, Qt::Horizontal, Qt::DisplayRole).toString(), "Item description");
  EXPECT_GT(grid->model()->rowCount(), 0);
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST(DesktopGrid, AMillionRowsScrollToTheLastAndFollowTheCurrentRow) {
  data::Recordset rows;
  rows.appendField("N", data::FieldType::Integer);
  rows.open();
  for (int32_t i = 1; i <= 1'000'000; ++i) {
    rows.addNew();
    rows.setValue(size_t{0}, Value(i));
  }
  rows.update();
  QTableView view;
  hostkit::qt::QtGrid grid("G", &view, RegionalSettings::italian(), hostkit::qt::ScreenTexts());
  grid.addColumn({"N", "Numero", "###,##0", host::GridColumnKind::Numeric, 0});
  grid.setDataSource(&rows);
  view.resize(400, 300);
  view.show();
  rows.moveLast();
  QApplication::processEvents();
  ASSERT_EQ(view.model()->rowCount(), 1'000'000);
  EXPECT_EQ(view.currentIndex().row(), 999'999);
  EXPECT_EQ(view.model()->index(999'999, 0).data().toString(), "1.000.000");
  EXPECT_TRUE(view.viewport()->rect().intersects(view.visualRect(view.currentIndex())));
  // A row a person clicks becomes the recordset's current row.
  const QModelIndex shown = view.indexAt(QPoint(5, 5));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(shown).center());
  EXPECT_EQ(rows.absolutePosition(), shown.row() + 1);
  grid.setDataSource(nullptr);
}

}  // namespace
}  // namespace briskal::testing
