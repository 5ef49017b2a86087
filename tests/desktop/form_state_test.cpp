// The parameter form and the windows as operators use them: what was typed and where a window was
// left come back at its next opening, Escape closes only what it is pressed in, the form opens
// wide enough for its filter, unknown codes are marked as they are typed, and the keyboard moves
// through the filter, the search lists and the layout's check column.

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolTip>

#include "desktop/desktop_fixture.h"
#include "host/message_box.h"
#include "hostkit/qt/qt_query_filter.h"

namespace briskal::testing {
namespace {

using Side = host::QueryFilterControl::Side;
constexpr int kFrom = 1;
constexpr int kTo = 4;

// Whether a cell of the view is being edited: its editor has the focus.
bool editing(const QAbstractItemView& view) {
  QWidget* focus = QApplication::focusWidget();
  return focus && view.viewport()->isAncestorOf(focus) && qobject_cast<QLineEdit*>(focus);
}

class FormState : public DesktopTest {
 protected:
  QMdiSubWindow* parameterWindow() { return form("FRMPD_BRISKAL").subWindow(); }
  hostkit::qt::QtQueryFilter& filterControl() {
    return *form("FRMPD_BRISKAL").qtControls().find<hostkit::qt::QtQueryFilter>("KVX_ADVQ");
  }
  QComboBox* combo(const char* name) { return widget<QComboBox>("FRMPD_BRISKAL", name); }
  QCheckBox* check(const char* name) { return widget<QCheckBox>("FRMPD_BRISKAL", name); }
  QLineEdit* labels() { return widget<QLineEdit>("FRMPD_BRISKAL", "TXT_NumEtichette"); }
  // The form closed with Escape, as a person closes it, and opened again from the menu.
  void escapeAndReopen() {
    QTest::keyClick(form("FRMPD_BRISKAL").root(), Qt::Key_Escape);
    ASSERT_FALSE(form("FRMPD_BRISKAL").isShown());
    window().openComponent();
    ASSERT_TRUE(eventually([&] { return parameterWindow() && parameterWindow()->isVisible(); }));
  }
  // Everything the form remembers, typed or chosen as a person does.
  void fillTheForm() {
    QTableWidget& table = filter();
    typeInCell(table, filterRow(table, "Numero doc."), kFrom, "1");
    typeInCell(table, filterRow(table, "Numero doc."), kTo, "2");
    typeInCell(table, filterRow(table, "Famiglia"), kFrom, "FLAN");
    combo("CMB_TipoOrdini")->setCurrentIndex(1);
    combo("CMB_TipoQuantità")->setCurrentIndex(2);
    labels()->clear();
    QTest::keyClicks(labels(), "3");
    combo("CMB_QtaRifer")->setCurrentIndex(1);
    QTest::mouseClick(check("CBX_OrdiniSaldati"), Qt::LeftButton);
    QTest::mouseClick(check("CBX_Gestione"), Qt::LeftButton);
  }
  void expectTheFormFilled() {
    QTableWidget& table = filter();
    const int number = filterRow(table, "Numero doc.");
    const int family = filterRow(table, "Famiglia");
    EXPECT_EQ(table.item(number, kFrom)->text(), "1");
    EXPECT_EQ(table.item(number, kTo)->text(), "2");
    EXPECT_EQ(table.item(family, kFrom)->text(), "FLAN");
    // The decode event ran for the value as it does for a typed one.
    EXPECT_EQ(table.item(family, 3)->text(), "Flange");
    EXPECT_EQ(filterControl().value("DO11_NUMDOC", Side::To), "2");
    EXPECT_EQ(combo("CMB_TipoOrdini")->currentIndex(), 1);
    EXPECT_EQ(combo("CMB_TipoQuantità")->currentIndex(), 2);
    // The basis' change event let the number be typed.
    EXPECT_TRUE(labels()->isEnabled());
    EXPECT_EQ(labels()->text(), "3");
    EXPECT_EQ(combo("CMB_QtaRifer")->currentIndex(), 1);
    EXPECT_TRUE(check("CBX_OrdiniSaldati")->isChecked());
    EXPECT_FALSE(check("CBX_OrdiniNoResiduo")->isChecked());
    EXPECT_FALSE(check("CBX_Gestione")->isChecked());
  }
};

// --- what comes back ---------------------------------------------------------------------------

TEST_F(FormState, WhatWasTypedComesBackAfterEscapeAndInTheNextSessionOfTheSameUser) {
  open();
  fillTheForm();
  escapeAndReopen();
  expectTheFormFilled();
  // The orders it selects are those of the values that came back.
  EXPECT_NE(filterControl().filterText().find("DO11_NUMDOC"), std::string::npos);

  window_.reset();  // the program closed with the form open
  open();
  ASSERT_TRUE(eventually([&] { return parameterWindow()->isVisible(); }));
  expectTheFormFilled();
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST_F(FormState, AnotherUserOpensTheFormAsItComes) {
  open();
  fillTheForm();
  window_.reset();
  user_ = "other";
  open();
  ASSERT_TRUE(eventually([&] { return parameterWindow()->isVisible(); }));
  EXPECT_EQ(filter().item(filterRow(filter(), "Numero doc."), kFrom)->text(), "");
  EXPECT_EQ(combo("CMB_TipoQuantità")->currentIndex(), 0);
  EXPECT_FALSE(labels()->isEnabled());
  EXPECT_TRUE(check("CBX_Gestione")->isChecked());
}

TEST_F(FormState, TheWindowComesBackWhereItWasLeftAndMaximisedIfItWas) {
  open();
  ASSERT_TRUE(eventually([&] { return parameterWindow()->isVisible(); }));
  const QRect placed(40, 30, 700, 520);
  parameterWindow()->setGeometry(placed);
  escapeAndReopen();
  EXPECT_EQ(parameterWindow()->geometry(), placed);

  parameterWindow()->showMaximized();
  escapeAndReopen();
  EXPECT_TRUE(parameterWindow()->isMaximized());
  parameterWindow()->showNormal();
  EXPECT_EQ(parameterWindow()->geometry(), placed);
}

// --- Escape --------------------------------------------------------------------------------------

TEST_F(FormState, EscapeInAnOpenListOrACellEditorClosesOnlyThatAndTheFormOnlyWhenItGetsIt) {
  open();
  QComboBox* orders = combo("CMB_TipoOrdini");
  orders->showPopup();
  ASSERT_TRUE(eventually([&] { return orders->view()->isVisible(); }));
  QTest::keyClick(orders->view(), Qt::Key_Escape);
  ASSERT_TRUE(eventually([&] { return !orders->view()->isVisible(); }));
  EXPECT_TRUE(form("FRMPD_BRISKAL").isShown());
  // Offscreen, the closed list stays the active window until the main window is clicked again.
  window().activateWindow();
  ASSERT_TRUE(eventually([&] { return QApplication::activeWindow() == &window(); }));

  QTableWidget& table = filter();
  const int number = filterRow(table, "Numero doc.");
  table.setCurrentCell(number, kFrom);
  table.editItem(table.item(number, kFrom));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "7");
  QTest::keyClick(editor, Qt::Key_Escape);
  ASSERT_TRUE(eventually([&] { return !editing(table); }));
  EXPECT_TRUE(form("FRMPD_BRISKAL").isShown());

  selectFirstOrders();
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  ASSERT_NE(grid, nullptr);
  ASSERT_TRUE(eventually([&] { return grid->isVisible(); }));
  const QModelIndex cell = grid->model()->index(0, 2);
  grid->setCurrentIndex(cell);
  grid->edit(cell);
  ASSERT_TRUE(eventually([&] { return editing(*grid); }));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  ASSERT_TRUE(eventually([&] { return !editing(*grid); }));
  EXPECT_TRUE(form("FRMPD_MODSELEZ").isShown());
  QTest::keyClick(grid, Qt::Key_Escape);
  EXPECT_FALSE(form("FRMPD_MODSELEZ").isShown());
}

// --- sizes -----------------------------------------------------------------------------------------

TEST_F(FormState, TheParameterFormOpensShowingEveryColumnOfTheFilter) {
  open();
  QTableWidget& table = filter();
  ASSERT_TRUE(eventually([&] { return table.isVisible(); }));
  QApplication::processEvents();
  EXPECT_LE(table.horizontalHeader()->length(), table.viewport()->width());
  EXPECT_FALSE(table.horizontalScrollBar()->isVisible());
  const QRect area(QPoint(0, 0), window().workArea().viewport()->size());
  EXPECT_TRUE(area.contains(parameterWindow()->geometry())) << "the form opens inside the work area";
}

TEST_F(FormState, ANarrowDescriptionShowsItsWholeTextInAToolTip) {
  open();
  QTableWidget& table = filter();
  ASSERT_TRUE(eventually([&] { return table.isVisible(); }));
  const int family = filterRow(table, "Famiglia");
  typeInCell(table, family, kFrom, "FLAN");
  const auto tipOf = [&table](int row, int column) {
    QToolTip::hideText();
    const QRect cell = table.visualRect(table.model()->index(row, column));
    QHelpEvent help(QEvent::ToolTip, cell.center(), table.viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(table.viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  table.scrollToItem(table.item(family, 3));
  EXPECT_EQ(tipOf(family, 3), "") << "a description that fits needs no tip";
  table.setColumnWidth(3, 20);
  EXPECT_EQ(tipOf(family, 3), "Flange");
}

TEST_F(FormState, TheSelectionShowsEveryItemCodeWhole) {
  open();
  selectFirstOrders();
  auto* grid = widget<QTableView>("FRMPD_MODSELEZ", "KVX_QGRIDWRAPPER1");
  ASSERT_NE(grid, nullptr);
  ASSERT_TRUE(eventually([&] { return grid->isVisible(); }));
  int item = -1;
  for (int c = 0; c < grid->model()->columnCount(); ++c)
    if (grid->model()->headerData(c, Qt::Horizontal).toString() == "Articolo") item = c;
  ASSERT_GE(item, 0);
  const QFontMetrics metrics(grid->font());
  for (int r = 0; r < grid->model()->rowCount(); ++r) {
    const QString code = grid->model()->index(r, item).data().toString();
    EXPECT_LT(metrics.horizontalAdvance(code), grid->columnWidth(item)) << code.toStdString();
  }
}

// --- unknown codes -------------------------------------------------------------------------------

TEST_F(FormState, ACodeThatDoesNotExistIsMarkedAsSoonAsItIsTyped) {
  open();
  QTableWidget& table = filter();
  const int family = filterRow(table, "Famiglia");
  typeInCell(table, family, kFrom, "ZZZZ");
  EXPECT_TRUE(filterControl().unknownCode("Famiglia", Side::From));
  EXPECT_TRUE(table.item(family, kFrom)->toolTip().contains("Codice inesistente: ZZZZ"));
  EXPECT_TRUE(table.item(family, kFrom)->background().style() != Qt::NoBrush);
  EXPECT_TRUE(window().statusBar()->currentMessage().contains("Codice inesistente: ZZZZ"))
      << window().statusBar()->currentMessage().toStdString();

  typeInCell(table, family, kFrom, "FLAN");
  EXPECT_FALSE(filterControl().unknownCode("Famiglia", Side::From));
  EXPECT_EQ(table.item(family, kFrom)->toolTip(), "");
  EXPECT_EQ(table.item(family, kFrom)->background().style(), Qt::NoBrush);
  EXPECT_EQ(window().statusBar()->currentMessage(), "");

  // A number the form does not decode is no unknown code.
  typeInCell(table, filterRow(table, "Numero doc."), kFrom, "999999");
  EXPECT_FALSE(filterControl().unknownCode("Numero doc.", Side::From));
}

TEST_F(FormState, ACodeUnknownWithoutItsParentIsKnownOnceTheParentIsTyped) {
  open();
  QTableWidget& table = filter();
  const int family = filterRow(table, "Famiglia");
  const int subFamily = filterRow(table, "Sottofamiglia");
  typeInCell(table, family, kTo, "ZZZZ");
  typeInCell(table, subFamily, kTo, "C45");
  EXPECT_TRUE(filterControl().unknownCode("Sottofamiglia", Side::To));
  // The newest unknown code is the one the status bar names.
  EXPECT_EQ(window().statusBar()->currentMessage(), "Sottofamiglia – Codice inesistente: C45");
  typeInCell(table, family, kTo, "FLAN");
  EXPECT_FALSE(filterControl().unknownCode("Sottofamiglia", Side::To));
  EXPECT_EQ(table.item(subFamily, 6)->text(), "Acciaio C45");
}

TEST_F(FormState, TheSelectionFormNeverShowsBehindTheNoOrderLinesMessage) {
  bool shownBehind = false;
  int asked = 0;
  open(hostkit::AnswerPolicy::interactive([&](const hostkit::ShownMessage&) -> int {
    ++asked;
    // A real box, whose event loop runs while it is up.
    QMessageBox box(&window());
    QTimer::singleShot(0, &box, [&] {
      const hostkit::qt::QtFormWindow* selection = window().formWindow("FRMPD_MODSELEZ");
      shownBehind = selection && selection->subWindow() && selection->subWindow()->isVisible();
      box.accept();
    });
    box.exec();
    return host::msg::kOk;
  }));
  QTableWidget& table = filter();
  typeInCell(table, filterRow(table, "Numero doc."), kFrom, "9999999");
  click("FRMPD_BRISKAL", "CMD_ImpostaEtich");
  click("FRMPD_BRISKAL", "CMD_Esegui");
  ASSERT_GE(asked, 1);
  EXPECT_FALSE(shownBehind);
  QApplication::processEvents();
  const hostkit::qt::QtFormWindow* selection = window().formWindow("FRMPD_MODSELEZ");
  EXPECT_FALSE(selection && selection->subWindow() && selection->subWindow()->isVisible());
}

// --- keyboard --------------------------------------------------------------------------------------

TEST_F(FormState, TabGoesFromEachRowsFromToItsToAndOnCtrlTabLeavesTheFilter) {
  open();
  QTableWidget& table = filter();
  ASSERT_TRUE(eventually([&] { return table.isVisible(); }));
  const int number = filterRow(table, "Numero doc.");
  table.setFocus();
  table.setCurrentCell(number, kFrom);
  QTest::keyClick(&table, Qt::Key_Tab);
  EXPECT_EQ(table.currentIndex(), table.model()->index(number, kTo));
  QTest::keyClick(&table, Qt::Key_Tab);
  EXPECT_EQ(table.currentIndex(), table.model()->index(number + 1, kFrom));
  QTest::keyClick(&table, Qt::Key_Backtab);
  EXPECT_EQ(table.currentIndex(), table.model()->index(number, kTo));

  // From an editor the value is kept and the next cell is being edited.
  table.setCurrentCell(number, kFrom);
  table.editItem(table.item(number, kFrom));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "5");
  QTest::keyClick(editor, Qt::Key_Tab);
  EXPECT_EQ(table.item(number, kFrom)->text(), "5");
  EXPECT_EQ(filterControl().value("DO11_NUMDOC", Side::From), "5");
  EXPECT_EQ(table.currentIndex(), table.model()->index(number, kTo));
  ASSERT_TRUE(eventually([&] { return editing(table); }));

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
  QWidget* focus = window().focusWidget();
  ASSERT_NE(focus, nullptr);
  EXPECT_TRUE(focus != &table && !table.isAncestorOf(focus)) << focus->objectName().toStdString();
  EXPECT_TRUE(form("FRMPD_BRISKAL").root()->isAncestorOf(focus)) << focus->objectName().toStdString();
}

TEST_F(FormState, DownInASearchListsSearchBoxGoesIntoTheList) {
  open();
  QTableWidget& table = filter();
  const int family = filterRow(table, "Famiglia");
  bool inList = false;
  whenDialog("SearchList", [&inList](QDialog& list) {
    auto* search = list.findChild<QLineEdit*>("SearchText");
    auto* rows = list.findChild<QTableWidget*>("SearchRows");
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Down);
    inList = list.focusWidget() == rows;
    list.reject();
  });
  table.setCurrentCell(family, kFrom);
  QTest::keyClick(&table, Qt::Key_F3);
  EXPECT_TRUE(inList);
}

TEST_F(FormState, TheDescCheckOfALayoutLineTogglesWithOneClickOrSpace) {
  open();
  click("FRMPD_BRISKAL", "CMD_ImpostaEtich");
  auto* grid = widget<QTableView>("FRMPD_BRISKAL", "GridSelezione");
  ASSERT_NE(grid, nullptr);
  ASSERT_TRUE(eventually([&] { return grid->isVisible(); }));
  int desc = -1;
  for (int c = 0; c < grid->model()->columnCount(); ++c)
    if (grid->model()->headerData(c, Qt::Horizontal).toString() == "Desc.") desc = c;
  ASSERT_GE(desc, 0);
  const QModelIndex cell = grid->model()->index(1, desc);
  const auto state = [&] { return grid->model()->index(1, desc).data(Qt::CheckStateRole).toInt(); };
  const int before = state();
  QStyleOptionViewItem option;
  option.initFrom(grid->viewport());
  option.rect = grid->visualRect(cell);
  option.features = QStyleOptionViewItem::HasCheckIndicator;
  const QRect box = grid->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, grid);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, box.center());
  EXPECT_NE(state(), before);
  grid->setFocus();
  grid->setCurrentIndex(cell);
  QTest::keyClick(grid, Qt::Key_Space);
  EXPECT_EQ(state(), before);
  EXPECT_TRUE(errors_.empty()) << errors_.front();
}

}  // namespace
}  // namespace briskal::testing
