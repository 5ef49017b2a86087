// The selection form as "&Esegui" opens it: order lines loaded, expanded, shown and bound.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "common/convert.h"
#include "common/routines.h"
#include "component/component_fixture.h"
#include "data/recordset.h"
#include "host/message_box.h"
#include "hostkit/report/report_service.h"
#include "support/database_backends.h"

namespace briskal::testing {
namespace {

using hostkit::AnswerPolicy;

// A count as Italians write it: 12.345.
std::string grouped(uint64_t n) {
  std::string digits = std::to_string(n);
  for (auto at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<size_t>(at), ".");
  return digits;
}

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

// A run of more labels than the host's threshold asks first, with their number; No prints nothing.
TEST_F(SelectionForm, ARunOfMoreLabelsThanTheThresholdAsksWithTheirNumber) {
  confirmAbove_ = 5;
  hostkit::HeadlessWindow* w = execute("1", "2");
  ASSERT_NE(w, nullptr);
  const std::filesystem::path pdf = std::filesystem::path(temporaryFolder()) / "labels.pdf";
  session().runtime().setReportServiceFactory([pdf] {
    hostkit::report::ReportOptions options;
    options.destination = pdf.string();
    return std::make_unique<hostkit::report::HeadlessReportService>(options, RegionalSettings::italian());
  });
  data::Recordset& rows = labelRows(*w);
  uint64_t labels = 0;
  for (rows.moveFirst(); !rows.eof(); rows.moveNext())
    labels += rows.value("SELEZIONE") == Value("1") ? 1 : 0;
  ASSERT_GT(labels, 5U);
  auto& print = *w->headlessControls().find<hostkit::HeadlessButton>("CmdExec");
  session().messages().queueAnswer(host::msg::kNo);
  print.click();
  ASSERT_FALSE(session().messages().shown().empty());
  const hostkit::ShownMessage& asked = session().messages().shown().back();
  EXPECT_EQ(asked.number, 900008);
  EXPECT_EQ(asked.text, "Stampare " + grouped(labels) + " etichette?");
  EXPECT_FALSE(std::filesystem::exists(pdf)) << "declined, yet printed";
  session().messages().queueAnswer(host::msg::kYes);
  print.click();
  EXPECT_TRUE(std::filesystem::exists(pdf));
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

// Selection editing through the form's own controls, as an operator does it.
class SelectionEditing : public SelectionForm {
 protected:
  void SetUp() override {
    SelectionForm::SetUp();
    w_ = execute("1", "6");
    ASSERT_NE(w_, nullptr);
  }
  template <typename T>
  T& find(const std::string& name) {
    return *w_->headlessControls().find<T>(name);
  }
  // The batch action: action, parameter type, operator key, parameter and new quantity.
  void confirm(int action, int type, int op, const std::string& parameter, const std::string& quantity = "") {
    find<hostkit::HeadlessCombo>("CMB_TIPOATT").choose(action);
    find<hostkit::HeadlessCombo>("CMB_TIPOPAR").choose(type);
    find<hostkit::HeadlessCombo>("CMB_OPERAT").choose(op);
    if (!parameter.empty()) find<hostkit::HeadlessTextEdit>("TXT_PARAM").type(parameter);
    if (!quantity.empty()) find<hostkit::HeadlessTextEdit>("TXT_NEWQTASUETIC").type(quantity);
    find<hostkit::HeadlessButton>("CmdConf").click();
  }
  // SELEZIONE of the rows of order `order`, in row order.
  std::string selections(int order) {
    data::Recordset& rows = labelRows(*w_);
    const data::Bookmark here = rows.bookmark();
    std::string all;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
      if (rows.value("DO11_NUMDOC") == Value(Decimal(order))) all += rows.value("SELEZIONE").asText();
    rows.setBookmark(here);
    return all;
  }
  hostkit::HeadlessWindow* w_ = nullptr;
};

TEST_F(SelectionEditing, TheEditingControlsFollowTheActionAndTheParameterType) {
  auto& types = find<hostkit::HeadlessCombo>("CMB_TIPOPAR");
  auto& quantity = find<hostkit::HeadlessTextEdit>("TXT_NEWQTASUETIC");
  find<hostkit::HeadlessCombo>("CMB_TIPOATT").choose(2);
  EXPECT_EQ(types.count(), 9u);
  EXPECT_TRUE(quantity.enabled());
  quantity.type("3");
  find<hostkit::HeadlessCombo>("CMB_TIPOATT").choose(1);
  EXPECT_EQ(types.count(), 8u);  // no "Globale" for cancelling
  EXPECT_FALSE(quantity.enabled());
  EXPECT_EQ(quantity.text(), "");
  find<hostkit::HeadlessCombo>("CMB_TIPOATT").choose(3);
  types.choose(99);
  EXPECT_FALSE(find<hostkit::HeadlessCombo>("CMB_OPERAT").enabled());
  EXPECT_FALSE(find<hostkit::HeadlessTextEdit>("TXT_PARAM").enabled());
  types.choose(1);
  EXPECT_TRUE(find<hostkit::HeadlessTextEdit>("TXT_PARAM").enabled());
  // A numeric parameter takes digits only, and leaving it without a number is refused.
  auto& parameter = find<hostkit::HeadlessTextEdit>("TXT_PARAM");
  parameter.type("1a2");
  EXPECT_EQ(parameter.text(), "12");
  parameter.type("x");
  EXPECT_TRUE(parameter.leave());
  EXPECT_EQ(shownNumbers().back(), 33812);
  types.choose(4);
  parameter.type("FLP-1");
  EXPECT_EQ(parameter.text(), "FLP-1");
}

TEST_F(SelectionEditing, CancelRestoreAndChangeQuantityByParameter) {
  const std::string before = selections(2);
  data::Recordset& rows = labelRows(*w_);
  rows.setAbsolutePosition(7);
  confirm(1, 1, 3, "1");
  EXPECT_EQ(selections(1).find('1'), std::string::npos) << selections(1);
  EXPECT_EQ(selections(2), before);
  EXPECT_EQ(rows.filter(), "");
  EXPECT_EQ(rows.absolutePosition(), 7) << "the action moved the operator off their row";
  EXPECT_EQ(find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1").dataSource(), &rows);
  confirm(3, 99, 3, "");
  EXPECT_EQ(selections(1).find('0'), std::string::npos) << selections(1);
  // A new quantity: refused when zero; otherwise written with the weights that follow from it.
  confirm(2, 1, 3, "2", "0");
  EXPECT_EQ(shownNumbers().back(), 64773);
  confirm(2, 1, 3, "2", "2,5");
  const RegionalSettings en = RegionalSettings::english();
  const Decimal newQuantity = *Decimal::parse("2.5");
  for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
    if (rows.value("DO11_NUMDOC") != Value(Decimal(2)) || rows.value("SELEZIONE") != Value("1")) continue;
    EXPECT_EQ(rows.value("QTASUETICH"), Value(newQuantity));
    const Value unit = NVL(rows.value("MG68_PESONUNIT"), Value(""));
    if (unit.isText()) continue;
    EXPECT_EQ(rows.value("MG68_PESON"), Value(Arrotonda(Value(newQuantity * toDecimal(unit, en)), 5, en)));
  }
  confirm(2, 1, 3, "999999", "3");
  EXPECT_EQ(shownNumbers().back(), 64772);
}

// Project and job codes are text: typed as they are and matched as text.
TEST_F(SelectionEditing, ProjectCodesAreTypedAndMatchedAsText) {
  data::Recordset& rows = labelRows(*w_);
  std::vector<std::pair<std::string, std::string>> before;  // project and selection of each row
  for (rows.moveFirst(); !rows.eof(); rows.moveNext())
    before.emplace_back(
        RTrim(toText(NVL(rows.value("DO41_CODPROGETTO"), Value("")), RegionalSettings::italian())),
        rows.value("SELEZIONE").asText());
  const auto withProject =
      std::find_if(before.begin(), before.end(), [](const auto& r) { return !r.first.empty(); });
  ASSERT_NE(withProject, before.end()) << "the demo orders have no project";
  const std::string project = withProject->first;
  auto& parameter = find<hostkit::HeadlessTextEdit>("TXT_PARAM");
  find<hostkit::HeadlessCombo>("CMB_TIPOPAR").choose(6);
  parameter.type(project);
  EXPECT_EQ(parameter.text(), project);
  EXPECT_FALSE(parameter.leave());
  confirm(1, 6, 3, project);
  size_t row = 0, cancelled = 0, wrong = 0;
  for (rows.moveFirst(); !rows.eof(); rows.moveNext(), ++row) {
    const auto& [code, selection] = before[row];
    const std::string expected = code == project && selection == "1" ? "0" : selection;
    cancelled += expected != selection;
    wrong += rows.value("SELEZIONE").asText() != expected;
  }
  EXPECT_GT(cancelled, 0u);
  EXPECT_EQ(wrong, 0u);
}

// "Globale" takes no operator, which is switched off for it: with none chosen it acts all the same.
TEST_F(SelectionEditing, RestoringAllNeedsNoOperator) {
  data::Recordset& rows = labelRows(*w_);
  const auto removed = [&] {
    int64_t count = 0;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) count += rows.value("SELEZIONE") == Value("0");
    return count;
  };
  rows.moveFirst();
  find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1").doubleClickCell("SELEZIONE");
  ASSERT_GT(removed(), 0);
  ASSERT_EQ(find<hostkit::HeadlessCombo>("CMB_OPERAT").selectedIndex(), -1);
  find<hostkit::HeadlessCombo>("CMB_TIPOATT").choose(3);
  find<hostkit::HeadlessCombo>("CMB_TIPOPAR").choose(99);
  find<hostkit::HeadlessButton>("CmdConf").click();
  EXPECT_EQ(removed(), 0);
}

// Every selected label gets the new quantity and the measures that follow from it; labels out of
// the print keep theirs. With no label selected the operator is told and nothing changes.
TEST_F(SelectionEditing, ChangingTheQuantityOfAllReachesEverySelectedLabel) {
  data::Recordset& rows = labelRows(*w_);
  auto& grid = find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1");
  rows.moveFirst();
  grid.doubleClickCell("SELEZIONE");  // the first order line out of the print
  struct Label {
    Value selection, quantity, weight, unitWeight;
  };
  const auto labels = [&] {
    std::vector<Label> all;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
      all.push_back({rows.value("SELEZIONE"), rows.value("QTASUETICH"), rows.value("MG68_PESON"),
                     rows.value("MG68_PESONUNIT")});
    return all;
  };
  const std::vector<Label> before = labels();
  find<hostkit::HeadlessCombo>("CMB_TIPOATT").choose(2);
  find<hostkit::HeadlessCombo>("CMB_TIPOPAR").choose(99);
  find<hostkit::HeadlessTextEdit>("TXT_NEWQTASUETIC").type("4");
  find<hostkit::HeadlessButton>("CmdConf").click();
  EXPECT_EQ(rows.filter(), "");
  EXPECT_EQ(rows.absolutePosition(), 1);
  EXPECT_EQ(grid.dataSource(), &rows);
  EXPECT_TRUE(find<hostkit::HeadlessButton>("CmdExec").enabled());
  const RegionalSettings en = RegionalSettings::english();
  const std::vector<Label> after = labels();
  ASSERT_EQ(after.size(), before.size());
  // Rows that ended other than expected, each row counted once.
  size_t changed = 0, wrong = 0;
  for (size_t i = 0; i < after.size(); ++i) {
    const Label& was = before[i];
    Label expected = was;
    if (was.selection == Value("1")) {
      ++changed;
      expected.quantity = Value(Decimal(4));
      expected.weight = NVL(was.weight, Value("")) == Value("")
                            ? Value("")
                            : Value(Arrotonda(Value(Decimal(4) * toDecimal(was.unitWeight, en)), 5, en));
    }
    wrong += after[i].selection != expected.selection || after[i].quantity != expected.quantity ||
             after[i].weight != expected.weight;
  }
  EXPECT_EQ(wrong, 0u);
  EXPECT_GT(changed, 0u);

  confirm(1, 1, 0, "0");  // every order out of the print
  const std::vector<Label> none = labels();
  confirm(2, 99, 0, "", "5");
  EXPECT_EQ(shownNumbers().back(), 40134);
  const std::vector<Label> unchanged = labels();
  ASSERT_EQ(unchanged.size(), none.size());
  EXPECT_TRUE(std::equal(none.begin(), none.end(), unchanged.begin(),
                         [](const Label& a, const Label& b) { return a.quantity == b.quantity; }));
}

// The label quantity takes a number above zero only, typed in its detail field or in the grid's
// cell: anything else leaves the field, the label and its measures as they were.
TEST_F(SelectionEditing, ALabelQuantityTakesOnlyANumberAboveZero) {
  data::Recordset& rows = labelRows(*w_);
  auto& grid = find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1");
  auto& quantity = find<hostkit::HeadlessTextEdit>("TXT_QTASUETIC");
  rows.moveFirst();
  rows.find("MG68_PESONUNIT > 0");
  ASSERT_FALSE(rows.eof());
  ASSERT_TRUE(quantity.type("2"));
  const Value weight = rows.value("MG68_PESON");
  const RegionalSettings& it = RegionalSettings::italian();
  for (const char* refused : {"abc", "", "0", "-1", "2,0001"}) {
    EXPECT_FALSE(quantity.type(refused)) << refused;
    EXPECT_FALSE(grid.editCell("QTASUETICH", Value(refused))) << refused;
    EXPECT_EQ(quantity.text(), "2") << refused;
    EXPECT_EQ(toText(rows.value("QTASUETICH"), it), "2") << refused;
    EXPECT_EQ(rows.value("MG68_PESON"), weight) << refused;
  }
  ASSERT_TRUE(grid.editCell("QTASUETICH", Value("3")));
  EXPECT_EQ(quantity.text(), "3");
  const RegionalSettings en = RegionalSettings::english();
  EXPECT_EQ(rows.value("MG68_PESON"),
            Value(Arrotonda(Value(Decimal(3) * toDecimal(rows.value("MG68_PESONUNIT"), en)), 5, en)));
}

TEST_F(SelectionEditing, DoubleClickingSelTogglesAnOrderLineOrALabel) {
  data::Recordset& rows = labelRows(*w_);
  auto& grid = find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1");
  rows.moveFirst();
  const Value firstLine = rows.value("IDRIGAORDINE");
  // SELEZIONE of the first order line's rows, and of all the others.
  const auto selections = [&] {
    std::pair<std::string, std::string> found;
    const data::Bookmark here = rows.bookmark();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
      (rows.value("IDRIGAORDINE") == firstLine ? found.first : found.second) +=
          rows.value("SELEZIONE").asText();
    rows.setBookmark(here);
    return found;
  };
  const auto [line, others] = selections();
  ASSERT_TRUE(grid.doubleClickCell("SELEZIONE"));
  EXPECT_EQ(selections(), std::pair(std::string(line.size(), '0'), others));
  EXPECT_EQ(rows.absolutePosition(), 1);
  grid.doubleClickCell("SELEZIONE");
  EXPECT_EQ(selections(), std::pair(std::string(line.size(), '1'), others));
  grid.doubleClickCell("DO30_CODART_MG66");
  EXPECT_EQ(selections(), std::pair(std::string(line.size(), '1'), others));
  // A label row changes alone.
  rows.moveNext();
  grid.doubleClickCell("SELEZIONE");
  EXPECT_EQ(selections(), std::pair("1" + std::string("0") + std::string(line.size() - 2, '1'), others));
}

// Under the grid: the order lines, label rows and labels the run would print, counted afresh as
// the selection changes, and after an editing action the rows it changed.
TEST_F(SelectionEditing, TotalsFollowTheSelectionAndAnActionSaysWhatItChanged) {
  data::Recordset& rows = labelRows(*w_);
  const auto expected = [&rows] {
    std::set<std::string> lines, printedLines;
    int64_t labelRows = 0, printedLabelRows = 0, labels = 0;
    const data::Bookmark here = rows.bookmark();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
      const std::string line = toText(rows.value("IDRIGAORDINE"), RegionalSettings::italian());
      const bool master = rows.value("TIPORIGA") == Value("M");
      if (master) lines.insert(line);
      else ++labelRows;
      if (rows.value("SELEZIONE") != Value("1")) continue;
      ++labels;
      printedLines.insert(line);
      if (!master) ++printedLabelRows;
    }
    rows.setBookmark(here);
    return "Righe d'ordine: " + grouped(printedLines.size()) + " di " + grouped(lines.size()) +
           " · Righe etichetta: " + grouped(printedLabelRows) + " di " + grouped(labelRows) +
           " · Etichette da stampare: " + grouped(labels);
  };
  auto& totals = find<hostkit::HeadlessLabel>("LBL_Totali");
  EXPECT_EQ(totals.caption(), expected());
  rows.moveFirst();
  rows.moveNext();
  find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1").doubleClickCell("SELEZIONE");
  EXPECT_EQ(totals.caption(), expected());
  const size_t orderOne = selections(1).size();
  confirm(1, 1, 3, "1");
  EXPECT_EQ(totals.caption(), "Righe modificate: " + grouped(orderOne - 1) + " — " + expected());
}

// Typing a label's quantity gives it the weights and volumes of that quantity; moving through the
// rows changes none.
TEST_F(SelectionEditing, TypingALabelsQuantityRecomputesItsMeasures) {
  data::Recordset& rows = labelRows(*w_);
  const auto measures = [&] {
    std::vector<Value> all;
    const data::Bookmark here = rows.bookmark();
    for (rows.moveFirst(); !rows.eof(); rows.moveNext())
      for (const char* f : {"MG68_PESON", "MG68_PESOL", "MG68_VOLUME", "MG68_CAPAC"})
        all.push_back(rows.value(f));
    rows.setBookmark(here);
    return all;
  };
  const std::vector<Value> before = measures();
  for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
  }
  rows.moveFirst();
  EXPECT_EQ(measures(), before);
  const RegionalSettings en = RegionalSettings::english();
  rows.moveFirst();
  rows.find("MG68_PESONUNIT > 0");
  ASSERT_FALSE(rows.eof());
  rows.find("TIPORIGA = 'D'");
  ASSERT_FALSE(rows.eof());
  const Decimal unit = toDecimal(rows.value("MG68_PESONUNIT"), en);
  ASSERT_TRUE(find<hostkit::HeadlessTextEdit>("TXT_QTASUETIC").type("2,5"));
  EXPECT_EQ(toDecimal(rows.value("QTASUETICH"), RegionalSettings::italian()), *Decimal::parse("2.5"));
  EXPECT_EQ(rows.value("MG68_PESON"), Value(Arrotonda(Value(*Decimal::parse("2.5") * unit), 5, en)));
}

}  // namespace
}  // namespace briskal::testing
