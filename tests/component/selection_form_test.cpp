// The selection form as "&Esegui" opens it: order lines loaded, expanded, shown and bound.

#include <gtest/gtest.h>

#include "component/component_fixture.h"
#include "data/recordset.h"

namespace briskal::testing {
namespace {

using hostkit::AnswerPolicy;

class SelectionForm : public ComponentTest {
 protected:
  // Runs the parameter form with `filter` rows on "Numero doc." and the options given.
  hostkit::HeadlessWindow* execute(const std::string& from, const std::string& to, int basis = 0,
                                   const std::string& labels = "", int labelType = 0) {
    start(AnswerPolicy::yes());
    session().showParameterForm();
    control<hostkit::HeadlessQueryFilter>("KVX_ADVQ").setRow("Numero doc.", from, to);
    control<hostkit::HeadlessCombo>("CMB_TipoEtichetta").choose(labelType);
    control<hostkit::HeadlessCombo>("CMB_TipoQuantità").choose(basis);
    if (!labels.empty()) control<hostkit::HeadlessTextEdit>("TXT_NumEtichette").type(labels);
    control<hostkit::HeadlessButton>("CMD_ImpostaEtich").click();
    if (labelType == 0) control<hostkit::HeadlessButton>("CMD_Esegui").click();
    return session().window("FRMPD_MODSELEZ");
  }
  data::Recordset& labelRows(hostkit::HeadlessWindow& w) {
    return *w.headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1")->dataSource();
  }
};

TEST_F(SelectionForm, ShowsTheLabelRowsInItsGridAndDetailFields) {
  hostkit::HeadlessWindow* w = execute("1", "20");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isShown());
  EXPECT_EQ(w->caption(), "Modifica etichette (Ordini lavorazione)");
  EXPECT_EQ(w->mousePointer(), 0);
  auto& grid = *w->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1");
  ASSERT_EQ(grid.columns().size(), 10u);
  EXPECT_EQ(grid.columns()[0].title, "Sel.");
  EXPECT_EQ(grid.columns()[9].format, "###,##0.000");
  EXPECT_EQ(grid.keyField(), "IDGRIGLIA");
  data::Recordset& rows = labelRows(*w);
  EXPECT_EQ(rows.fieldCount(), 56u);
  EXPECT_EQ(rows.field(size_t{27}).name, "D031_DATACONS");
  ASSERT_GT(rows.recordCount(), 0);
  rows.moveFirst();
  EXPECT_EQ(rows.value("TIPORIGA"), Value("M"));
  // The detail fields follow the current row.
  auto& article = *w->headlessControls().find<hostkit::HeadlessTextEdit>("TXT_ARTICOLO");
  EXPECT_EQ(article.text(), rows.value("DO30_CODART_MG66").asText());
  rows.moveLast();
  EXPECT_EQ(article.text(), rows.value("DO30_CODART_MG66").asText());
  EXPECT_EQ(session().navigator().registry().formStates().back().form, "FRMPD_MODSELEZ");
}

// The label printer takes customisable labels only: for standard ones its button answers so,
// sends the operator to "&Stampa" and goes away.
TEST_F(SelectionForm, TheLabelPrinterButtonRefusesStandardLabels) {
  hostkit::HeadlessWindow* w = execute("1", "5");
  ASSERT_NE(w, nullptr);
  auto& epl = *w->headlessControls().find<hostkit::HeadlessButton>("CMD_EPL");
  ASSERT_TRUE(epl.click());
  EXPECT_EQ(shownNumbers().back(), 83848);
  EXPECT_EQ(session().messages().shown().back().text, "Modalità di stampa non prevista");
  EXPECT_FALSE(epl.visible());
  EXPECT_TRUE(w->headlessControls().find<hostkit::HeadlessButton>("CmdExec")->hasFocus());
}

TEST_F(SelectionForm, NoOrderLinesIsToldAndTheFormCloses) {
  hostkit::HeadlessWindow* w = execute("9999990", "9999999");
  EXPECT_EQ(shownNumbers().back(), 64771);
  EXPECT_EQ(session().messages().shown().back().text, "Non ci sono righe d'ordine da elaborare");
  EXPECT_TRUE(w == nullptr || !w->isShown());
  EXPECT_TRUE(control<hostkit::HeadlessTab>("SSTab1").tabEnabled(1));
}

TEST_F(SelectionForm, EveryBasisExpandsTheSameOrderLines) {
  hostkit::HeadlessWindow* w = execute("1", "30", 2, "3");
  ASSERT_NE(w, nullptr);
  data::Recordset& rows = labelRows(*w);
  rows.setFilter("TIPORIGA = 'M'");
  const int64_t lines = rows.recordCount();
  rows.setFilter("");
  EXPECT_EQ(rows.recordCount(), 3 * lines);  // three labels per line, whatever the quantity
  session_.reset();
  w = execute("1", "30", 1);
  ASSERT_NE(w, nullptr);
  data::Recordset& packages = labelRows(*w);
  packages.setFilter("TIPORIGA = 'M'");
  EXPECT_EQ(packages.recordCount(), lines);
}

TEST_F(SelectionForm, CustomisableLabelsOfferTheLabelPrinter) {
  hostkit::HeadlessWindow* w = execute("1", "5", 0, "", 1);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->headlessControls().find<hostkit::HeadlessButton>("CMD_EPL")->enabled());
}

TEST_F(SelectionForm, EscapeClosesItAndGivesTheParameterFormBack) {
  hostkit::HeadlessWindow* w = execute("1", "5");
  ASSERT_NE(w, nullptr);
  // Ctrl+X closes it only with Ctrl alone; Ctrl+Shift+X does not.
  w->form().keyDown(88, 3);
  EXPECT_TRUE(w->isShown());
  w->form().keyDown(27, 0);
  EXPECT_FALSE(w->isShown());
  EXPECT_TRUE(control<hostkit::HeadlessTab>("SSTab1").tabEnabled(1));
  EXPECT_FALSE(session().navigator().registry().formStates().back().open);
}

TEST_F(SelectionForm, TheHostWindowPlacesIt) {
  hostkit::HeadlessWindow* w = execute("1", "5");
  ASSERT_NE(w, nullptr);
  auto& mdi = *w->headlessControls().find<hostkit::HeadlessMdiHost>("MDIActiveX1");
  mdi.raiseHostEvent();
  EXPECT_EQ(mdi.placement(), (hostkit::Placement{0, 0, 11160, 7020}));
}

}  // namespace
}  // namespace briskal::testing
