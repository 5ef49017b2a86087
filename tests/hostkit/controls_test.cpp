#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "common/utf8.h"
#include "data/binding_collection.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "hostkit/controls/filter_condition.h"
#include "hostkit/controls/headless_control_host.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/demo_test_support.h"
#include "support/database_backends.h"
#include "support/postgres_server.h"
#include "test_helpers.h"

namespace briskal::hostkit {
namespace {

using briskal::testing::errorNumber;
using briskal::testing::errorText;
using Side = host::QueryFilterControl::Side;

Decimal decimal(const char* text) { return *Decimal::parse(text); }

// ---------------------------------------------------------------------------------------------
// The control host

TEST(ControlHost, GivesTheSameControlForTheSameNameAndRefusesAnotherKind) {
  HeadlessControlHost host;
  host::ComboControl& combo = host.combo("CMB_TipoOrdini");
  host.textEdit("TXT_NumEtichette");
  EXPECT_EQ(&host.combo("CMB_TipoOrdini"), &combo);
  EXPECT_EQ(host.find<HeadlessCombo>("CMB_TipoOrdini"), &combo);
  EXPECT_EQ(host.find<HeadlessTextEdit>("CMB_TipoOrdini"), nullptr);
  EXPECT_EQ(host.find<HeadlessCombo>("CMB_Nessuno"), nullptr);

  EXPECT_EQ(errorNumber([&] { host.textEdit("CMB_TipoOrdini"); }), err::kTypeMismatch);
  const std::string why = errorText([&] { host.button("TXT_NumEtichette"); });
  EXPECT_NE(why.find("TXT_NumEtichette"), std::string::npos) << why;
  EXPECT_NE(why.find("text edit"), std::string::npos) << why;
  EXPECT_NE(why.find("button"), std::string::npos) << why;

  // A name keeps its exact spelling: another case or accent is another control.
  host.label("Quantità");
  host.label("quantità");
  EXPECT_EQ(host.names(),
            (std::vector<std::string>{"CMB_TipoOrdini", "TXT_NumEtichette", "Quantità", "quantità"}));
}

TEST(ControlHost, OneControlOfAFormHasTheFocusAndOnlyAReachableOne) {
  HeadlessControlHost host;
  host::TextEditControl& height = host.textEdit("TXT_ALTETIC");
  host::TextEditControl& width = host.textEdit("TXT_LUNGETIC");
  host::TabControl& tabs = host.tab("SSTab1");
  height.setFocus();
  width.setFocus();
  EXPECT_FALSE(height.hasFocus());
  EXPECT_TRUE(width.hasFocus());
  EXPECT_EQ(host.focused(), &width);

  tabs.setEnabled(false);
  tabs.setFocus();
  EXPECT_TRUE(width.hasFocus());
  width.setVisible(false);
  EXPECT_FALSE(width.hasFocus());
  EXPECT_EQ(host.focused(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Events raised by code

TEST(ControlEvents, ComboRaisesChangeWhenItsSelectionChangesEvenWhenDisabled) {
  HeadlessControlHost host;
  host::ComboControl& combo = host.combo("CMB_TipoOrdini");
  int changes = 0;
  combo.onChange([&] { ++changes; });
  combo.addItem("Ordini lavorazione", 24);
  combo.addItem("Ordini conto lavoro passivo", 25);
  combo.addItem("Ordini conto lavoro attivo", 21);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(combo.text(), "");

  combo.setEnabled(false);
  combo.selectIndex(0);
  EXPECT_EQ(changes, 1);
  combo.selectIndex(0);
  EXPECT_EQ(changes, 1);
  combo.selectKey(21);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(combo.selectedIndex(), 2);
  EXPECT_EQ(combo.text(), "21");
  EXPECT_EQ(combo.selectedText(), "Ordini conto lavoro attivo");
  combo.selectKey(99);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(combo.text(), "21");

  EXPECT_EQ(errorNumber([&] { combo.selectIndex(3); }), kInvalidPropertyValue);
  EXPECT_EQ(errorNumber([&] { combo.selectIndex(-2); }), kInvalidPropertyValue);
  combo.clear();
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(combo.selectedIndex(), -1);
  combo.clear();
  EXPECT_EQ(changes, 3);
}

TEST(ControlEvents, TextCheckAndTabRaiseTheirEventsOnlyForARealChange) {
  HeadlessControlHost host;
  host::TextEditControl& text = host.textEdit("TXT_SALTO");
  host::CheckControl& check = host.check("CBX_Gestione");
  host::TabControl& tabs = host.tab("SSTab1");
  int textChanges = 0, clicks = 0;
  std::vector<int> previousTabs;
  text.onChange([&] { ++textChanges; });
  check.onClick([&] { ++clicks; });
  tabs.onChange([&](int previous) { previousTabs.push_back(previous); });

  text.setEnabled(false);
  text.setText("3");
  text.setText("3");
  EXPECT_EQ(textChanges, 1);
  EXPECT_EQ(text.text(), "3");

  check.setValue(1);
  check.setValue(1);
  check.setValue(0);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(errorNumber([&] { check.setValue(3); }), kInvalidPropertyValue);
  EXPECT_EQ(check.value(), 0);

  tabs.setTabs({"Parametri", "Layout", "Filtri"});
  tabs.setTabEnabled(1, false);
  tabs.setCurrentTab(1);  // the code may show a disabled tab
  tabs.setCurrentTab(2);
  tabs.setCurrentTab(2);
  EXPECT_EQ(previousTabs, (std::vector<int>{0, 1}));
  EXPECT_EQ(errorNumber([&] { tabs.setCurrentTab(3); }), kInvalidPropertyValue);
  EXPECT_EQ(tabs.currentTab(), 2);
}

TEST(ControlEvents, HandlersMayReplaceThemselvesWhileRunning) {
  HeadlessControlHost host;
  host::ToolbarButtonControl& button = host.button("CMD_Esegui");
  int first = 0, second = 0;
  button.onClick([&] {
    ++first;
    button.onClick([&] { ++second; });
  });
  auto& driver = *host.find<HeadlessButton>("CMD_Esegui");
  driver.click();
  driver.click();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
}

// ---------------------------------------------------------------------------------------------
// What a person does

TEST(ControlDrivers, ButtonsClickOnlyWhenEnabledAndVisible) {
  HeadlessControlHost host;
  host.button("CMD_Esegui");
  auto& button = *host.find<HeadlessButton>("CMD_Esegui");
  int clicks = 0;
  button.onClick([&] { ++clicks; });
  EXPECT_TRUE(button.click());
  button.setEnabled(false);
  EXPECT_FALSE(button.click());
  button.setEnabled(true);
  button.setVisible(false);
  EXPECT_FALSE(button.click());
  EXPECT_EQ(clicks, 1);
}

TEST(ControlDrivers, TabClicksRespectTheTabAndTheStrip) {
  HeadlessControlHost host;
  host.tab("SSTab1");
  auto& tabs = *host.find<HeadlessTab>("SSTab1");
  std::vector<int> previousTabs;
  tabs.onChange([&](int previous) { previousTabs.push_back(previous); });
  tabs.setTabs({"Parametri", "Layout"});
  tabs.setTabEnabled(1, false);
  EXPECT_FALSE(tabs.clickTab(1));
  EXPECT_EQ(tabs.currentTab(), 0);
  tabs.setTabEnabled(1, true);
  EXPECT_TRUE(tabs.clickTab(1));
  EXPECT_EQ(tabs.currentTab(), 1);
  tabs.setEnabled(false);
  EXPECT_FALSE(tabs.clickTab(0));
  EXPECT_EQ(previousTabs, (std::vector<int>{0}));
}

TEST(ControlDrivers, ChoosingInAComboSelectsByKeyOrCaption) {
  HeadlessControlHost host;
  host.combo("CMB_TipoOrdini");
  auto& combo = *host.find<HeadlessCombo>("CMB_TipoOrdini");
  int changes = 0;
  combo.onChange([&] { ++changes; });
  combo.addItem("Ordini lavorazione", 24);
  combo.addItem("Ordini conto lavoro passivo", 25);
  EXPECT_TRUE(combo.chooseText("Ordini conto lavoro passivo"));
  EXPECT_EQ(combo.text(), "25");
  EXPECT_TRUE(combo.choose(24));
  EXPECT_EQ(combo.text(), "24");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(errorNumber([&] { combo.choose(21); }), err::kItemNotFound);
  EXPECT_EQ(errorNumber([&] { combo.chooseText("Ordini"); }), err::kItemNotFound);
  combo.setEnabled(false);
  EXPECT_FALSE(combo.choose(25));
  EXPECT_EQ(combo.text(), "24");
}

TEST(ControlDrivers, TypingReplacesTheTextAsTheBoxAllowsAndLeavingValidates) {
  HeadlessControlHost host;
  host.textEdit("TXT_Codice");
  auto& box = *host.find<HeadlessTextEdit>("TXT_Codice");
  int changes = 0, validations = 0;
  bool refuse = true;
  box.onChange([&] { ++changes; });
  box.onValidate([&](bool& cancel) {
    ++validations;
    cancel = refuse;
  });
  box.setSetting("MaxChar", Value(int32_t{5}));
  box.setSetting("displayformat", Value("Maiuscolo"));
  EXPECT_EQ(box.setting("maxchar"), Value(int32_t{5}));
  EXPECT_TRUE(box.setting("tag").isEmpty());

  box.setFocus();
  box.selectAll();
  EXPECT_TRUE(box.textSelected());
  EXPECT_TRUE(box.type("etichetta"));
  EXPECT_EQ(box.text(), "ETICH");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(validations, 0);
  EXPECT_FALSE(box.textSelected());

  EXPECT_TRUE(box.leave());
  EXPECT_TRUE(box.hasFocus());
  refuse = false;
  EXPECT_FALSE(box.leave());
  EXPECT_FALSE(box.hasFocus());
  EXPECT_EQ(validations, 2);

  box.setFocus();
  host.textEdit("TXT_Titolo");
  EXPECT_TRUE(host.find<HeadlessTextEdit>("TXT_Titolo")->type("Pallet"));
  EXPECT_EQ(host.focused(), host.find<HeadlessTextEdit>("TXT_Titolo"));  // typing goes into the box

  box.setEnabled(false);
  EXPECT_FALSE(box.type("X"));
  EXPECT_EQ(box.text(), "ETICH");
}

TEST(ControlDrivers, TogglingACheckBoxClicksIt) {
  HeadlessControlHost host;
  host.check("CBX_OrdiniSaldati");
  auto& check = *host.find<HeadlessCheck>("CBX_OrdiniSaldati");
  int clicks = 0;
  check.onClick([&] { ++clicks; });
  EXPECT_TRUE(check.toggle());
  EXPECT_EQ(check.value(), 1);
  EXPECT_TRUE(check.toggle());
  EXPECT_EQ(check.value(), 0);
  check.setVisible(false);
  EXPECT_FALSE(check.toggle());
  EXPECT_EQ(clicks, 2);
}

TEST(ControlDrivers, ResizerRegistersDuringItsSetUpAndProgressStaysInRange) {
  HeadlessControlHost host;
  host.resizer("KVX_RESIZEFORM1");
  auto& resizer = *host.find<HeadlessResizer>("KVX_RESIZEFORM1");
  resizer.onSetup([&] {
    resizer.registerControl("GridSelezione", 15);
    resizer.registerControl("CMD_Esegui", 4);
    resizer.registerControl("GridSelezione", 3);
  });
  EXPECT_TRUE(resizer.registrations().empty());
  resizer.start();
  EXPECT_EQ(resizer.registrations().size(), 2u);
  EXPECT_EQ(resizer.anchorOf("GridSelezione"), 3);
  EXPECT_EQ(resizer.anchorOf("TXT_SALTO"), std::nullopt);

  host::ProgressControl& bar = host.progress("PBAR");
  bar.setRange(0, 40);
  bar.setValue(55);
  EXPECT_EQ(bar.value(), 40);
  bar.setRange(0, 10);
  EXPECT_EQ(bar.value(), 10);
  EXPECT_EQ(errorNumber([&] { bar.setRange(5, 1); }), kInvalidPropertyValue);
}

// ---------------------------------------------------------------------------------------------
// Binding and grids over a real recordset

class BoundControls : public ::testing::Test {
 protected:
  void SetUp() override {
    rows_.appendField("CODE", data::FieldType::Char, 5, data::attr::kIsNullable);
    rows_.appendField("QTY", data::FieldType::Decimal, 14, data::attr::kIsNullable);
    rows_.editableField("QTY").numericScale = 3;
    rows_.open();
    const char* quantities[] = {"1.5", "2", "12.125"};
    for (int i = 0; i < 3; ++i) {
      rows_.addNew();
      rows_.setValue("CODE", Value("C" + std::to_string(i)));
      rows_.setValue("QTY", Value(decimal(quantities[i])));
      rows_.update();
    }
    rows_.moveFirst();
  }

  // Declared first so that it outlives the grid that listens to it.
  data::Recordset rows_;
  HeadlessControlHost host_;
};

TEST_F(BoundControls, TextBoxShowsTheCurrentRowAndWritesWhatIsTypedBack) {
  host_.textEdit("TXT_QTASUETIC");
  auto& quantity = *host_.find<HeadlessTextEdit>("TXT_QTASUETIC");
  int changes = 0;
  quantity.onChange([&] { ++changes; });
  data::BindingCollection bindings;
  bindings.add(quantity, "Text", "QTY");
  bindings.setDataSource(&rows_);
  bindings.setUpdateMode(data::BindingCollection::kUpdateWhenPropertyChanges);
  EXPECT_EQ(quantity.text(), "1,5");
  EXPECT_EQ(changes, 1);  // a bound box raises its change event when it shows a new value

  rows_.moveNext();
  EXPECT_EQ(quantity.text(), "2");
  EXPECT_EQ(changes, 2);

  quantity.type("2,75");
  EXPECT_EQ(rows_.value("QTY"), Value(decimal("2.75")));
  quantity.setText("4");  // a change made by code is written as well
  EXPECT_EQ(rows_.value("QTY"), Value(decimal("4")));
  EXPECT_EQ(changes, 4);

  rows_.moveFirst();
  EXPECT_EQ(quantity.text(), "1,5");
  rows_.moveNext();
  EXPECT_EQ(quantity.text(), "4");
  EXPECT_EQ(quantity.property("text"), Value("4"));
}

TEST_F(BoundControls, ValuesFromTheBindingAreNotEchoedToItsListener) {
  host_.textEdit("TXT_NORDINE");
  auto& box = *host_.find<HeadlessTextEdit>("TXT_NORDINE");
  int told = 0, changes = 0;
  box.setChangeListener([&](std::string_view property) {
    EXPECT_EQ(property, "Text");
    ++told;
  });
  box.onChange([&] { ++changes; });
  box.setProperty("Text", Value(decimal("1234.50")));
  EXPECT_EQ(box.text(), "1234,5");
  box.setProperty("Text", Value::null());
  EXPECT_EQ(box.text(), "");
  EXPECT_EQ(told, 0);
  EXPECT_EQ(changes, 2);
  box.type("7");
  EXPECT_EQ(told, 1);
  EXPECT_EQ(errorNumber([&] { box.setProperty("Caption", Value("x")); }), err::kItemNotFound);
}

// What a person types that the box's input check refuses leaves the box and its field as they
// were and raises nothing; the binding and the code set any text.
TEST_F(BoundControls, AnInputCheckRefusesTypedTextOnly) {
  host_.textEdit("TXT_QTASUETIC");
  auto& quantity = *host_.find<HeadlessTextEdit>("TXT_QTASUETIC");
  int changes = 0;
  quantity.onChange([&] { ++changes; });
  quantity.setInputCheck([](const std::string& text) { return !text.empty() && text != "0"; });
  data::BindingCollection bindings;
  bindings.add(quantity, "Text", "QTY");
  bindings.setDataSource(&rows_);
  for (const char* refused : {"", "0"}) {
    EXPECT_FALSE(quantity.type(refused)) << refused;
    EXPECT_EQ(quantity.text(), "1,5");
    EXPECT_EQ(rows_.value("QTY"), Value(decimal("1.5")));
  }
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(quantity.type("3"));
  EXPECT_EQ(rows_.value("QTY"), Value(decimal("3")));
  rows_.setValue("QTY", Value::null());
  EXPECT_EQ(quantity.text(), "");
  bindings.setDataSource(nullptr);
  quantity.setText("0");
  EXPECT_EQ(quantity.text(), "0");
}

TEST_F(BoundControls, GridFollowsTheCurrentRowWhoeverMovesIt) {
  host_.grid("KVX_QGRIDWRAPPER1");
  auto& grid = *host_.find<HeadlessGrid>("KVX_QGRIDWRAPPER1");
  int rowChanges = 0;
  std::vector<std::string> doubleClicked;
  grid.onRowChanged([&] { ++rowChanges; });
  grid.onCellDoubleClick([&](const std::string& field) { doubleClicked.push_back(field); });
  grid.addColumn({"CODE", "Codice", "", host::GridColumnKind::Text, 0});
  grid.addColumn({"QTY", "Qta", "###,##0.000", host::GridColumnKind::Numeric, 0});
  grid.setKeyField("CODE");
  grid.setDataSource(&rows_);
  EXPECT_EQ(rowChanges, 0);

  rows_.moveNext();
  EXPECT_EQ(rowChanges, 1);
  EXPECT_TRUE(grid.selectRow(3));
  EXPECT_EQ(rows_.absolutePosition(), 3);
  EXPECT_EQ(rowChanges, 2);
  EXPECT_TRUE(grid.selectRow(3));
  rows_.setValue("QTY", Value(decimal("9")));
  rows_.update();
  EXPECT_EQ(rowChanges, 2);  // neither clicking the same row nor saving it is a move

  EXPECT_TRUE(grid.doubleClickCell("QTY"));
  EXPECT_EQ(doubleClicked, (std::vector<std::string>{"QTY"}));
  EXPECT_EQ(errorNumber([&] { grid.doubleClickCell("NOPE"); }), err::kItemNotFound);
  grid.setEnabled(false);
  EXPECT_FALSE(grid.doubleClickCell("QTY"));
  EXPECT_FALSE(grid.selectRow(1));
  EXPECT_EQ(rows_.absolutePosition(), 3);

  grid.releaseContents();
  EXPECT_EQ(grid.dataSource(), nullptr);
  EXPECT_TRUE(grid.columns().empty());
  rows_.moveFirst();
  EXPECT_EQ(rowChanges, 2);
  EXPECT_EQ(errorNumber([&] { grid.selectRow(1); }), err::kObjectClosed);
}

TEST_F(BoundControls, GridEditIsSavedIntoTheCurrentRowUnlessCancelledOrRefused) {
  host_.grid("KVX_QGRIDWRAPPER1");
  auto& grid = *host_.find<HeadlessGrid>("KVX_QGRIDWRAPPER1");
  std::vector<std::pair<std::string, Value>> edited;
  int rowChanges = 0;
  grid.onRowChanged([&] { ++rowChanges; });
  grid.onEdited([&](const std::string& field, const Value& value, bool& cancel) {
    edited.emplace_back(field, value);
    cancel = field == "CODE";
  });
  grid.setDataSource(&rows_);
  rows_.moveNext();
  rowChanges = 0;

  EXPECT_TRUE(grid.editCell("QTY", Value(decimal("3.25"))));
  EXPECT_EQ(rows_.value("QTY"), Value(decimal("3.25")));
  EXPECT_EQ(rows_.editMode(), data::EditMode::None);
  EXPECT_EQ(rows_.absolutePosition(), 2);
  EXPECT_EQ(rowChanges, 0);

  const Value code = rows_.value("CODE");
  EXPECT_FALSE(grid.editCell("CODE", Value("X9")));
  EXPECT_EQ(rows_.value("CODE"), code);
  EXPECT_EQ(rows_.editMode(), data::EditMode::None);

  // The handler accepts it, the field does not: the recordset's error, and the old value stays.
  EXPECT_EQ(errorNumber([&] { grid.editCell("QTY", Value("tanti")); }), err::kDataConversion);
  EXPECT_EQ(rows_.value("QTY"), Value(decimal("3.25")));
  EXPECT_EQ(rows_.editMode(), data::EditMode::None);
  EXPECT_EQ(edited, (std::vector<std::pair<std::string, Value>>{
                        {"QTY", Value(decimal("3.25"))}, {"CODE", Value("X9")}, {"QTY", Value("tanti")}}));

  rows_.moveFirst();
  EXPECT_EQ(rows_.value("QTY"), Value(decimal("1.5")));

  // A handler that detaches the grid leaves no row to save into.
  grid.onEdited([&](const std::string&, const Value&, bool&) { grid.setDataSource(nullptr); });
  EXPECT_FALSE(grid.editCell("QTY", Value(decimal("8"))));
  EXPECT_EQ(rows_.value("QTY"), Value(decimal("1.5")));
}

TEST_F(BoundControls, GridRaisesEditsAndKeysOnlyWhenAPersonCanReachIt) {
  host_.grid("KVX_QGRIDWRAPPER1");
  auto& grid = *host_.find<HeadlessGrid>("KVX_QGRIDWRAPPER1");
  int edits = 0;
  std::vector<std::pair<std::string, int32_t>> keys;
  grid.onEdited([&](const std::string&, const Value&, bool&) { ++edits; });
  grid.onKeyPress([&](const std::string& field, int32_t keyCode) { keys.emplace_back(field, keyCode); });

  EXPECT_FALSE(grid.pressKey("QTY", 13));
  EXPECT_FALSE(grid.editCell("QTY", Value(decimal("5"))));

  grid.setDataSource(&rows_);
  EXPECT_TRUE(grid.pressKey("QTY", 13));
  EXPECT_TRUE(grid.pressKey("CODE", 46));
  EXPECT_EQ(keys, (std::vector<std::pair<std::string, int32_t>>{{"QTY", 13}, {"CODE", 46}}));
  EXPECT_FALSE(grid.editCell("NOPE", Value(decimal("5"))));
  rows_.moveLast();
  rows_.moveNext();
  EXPECT_FALSE(grid.editCell("QTY", Value(decimal("5"))));  // past the last row
  EXPECT_EQ(edits, 0);

  rows_.moveFirst();
  grid.setEnabled(false);
  EXPECT_FALSE(grid.pressKey("QTY", 13));
  EXPECT_FALSE(grid.editCell("QTY", Value(decimal("5"))));
  grid.setEnabled(true);
  grid.setVisible(false);
  EXPECT_FALSE(grid.pressKey("QTY", 13));
  EXPECT_FALSE(grid.editCell("QTY", Value(decimal("5"))));
  EXPECT_EQ(edits, 0);
  EXPECT_EQ(keys.size(), 2u);
  EXPECT_EQ(rows_.value("QTY"), Value(decimal("1.5")));
}

// ---------------------------------------------------------------------------------------------
// The query filter

// The fields the parameter form declares that these tests use, as it declares them.
void declareFormFields(host::QueryFilterControl& filter) {
  using K = host::FilterValueKind;
  const std::vector<host::FilterField> fields = {
      {"Default", "Sezionale doc.", "DO11_SEZDOC", true, 1, K::Text, 2, true, {}},
      {"Default", "Numero doc.", "DO11_NUMDOC", true, 2, K::Number, 7, true, {}},
      {"Default", "Data doc.", "DO11_DATADOC", true, 4, K::Date, 0, false, {}},
      {"Default", "Data consegna", "DO31_DATACONS", true, 6, K::Date, 0, false, {}},
      {"Default", "Sottoprogetto", "DO41_CODSPROGETTO", true, 10, K::Number, 4, true, {}},
      {"Default", "Nodo", "DO41_NODORIF_PD0C", true, 11, K::Text, 0, true, {}},
      {"Default", "Famiglia", "MG66_FAM_MG53", true, 14, K::Text, 4, true, {}},
      {"Default",
       "Cliente doc. origine",
       "TORDCLI.DO11_CLIFOR_CG44",
       true,
       22,
       K::Number,
       6,
       true,
       {Value(""), Value(false), Value(true), Value(""), Value(int32_t{2})}},
      {"Default", "Sez. doc. origine", "TORDCLI.DO11_SEZDOC", true, 23, K::Text, 0, true, {}},
  };
  for (const auto& f : fields) filter.addField(f);
  filter.addStatusField({"Default", "Stato ordine (Stati)", "VS_DO11.V_IDSTATO", false, 27, 7});
  filter.addStatusField({"Default", "Stato riga (Stati)", "VS_DO30.V_IDSTATO", false, 28, 8});
  filter.addAttributeGroup({"Default", false, 6, "CO5L_PRO"});
  filter.addAttributeGroup({"Default", false, 19, "CO5L_DOT"});
}

class QueryFilter : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.queryFilter("KVX_ADVQ");
    filter_ = host_.find<HeadlessQueryFilter>("KVX_ADVQ");
    declareFormFields(*filter_);
    filter_->start();
  }
  // The condition of one row on its own.
  std::string condition(const std::string& caption, const std::string& from, const std::string& to) {
    filter_->clearRows();
    filter_->setRow(caption, from, to);
    return filter_->filterText();
  }

  HeadlessControlHost host_;
  HeadlessQueryFilter* filter_ = nullptr;
};

TEST(QueryFilterDeclarations, AreKeptUntilStartAndCaptionsAreUnique) {
  HeadlessControlHost host;
  host.queryFilter("KVX_ADVQ");
  auto& filter = *host.find<HeadlessQueryFilter>("KVX_ADVQ");
  declareFormFields(filter);
  EXPECT_EQ(filter.fields().size(), 9u);
  EXPECT_EQ(filter.fields()[7].extra.size(), 5u);
  EXPECT_EQ(filter.statusFields().size(), 2u);
  EXPECT_EQ(filter.attributeGroups().size(), 2u);
  ASSERT_EQ(filter.columns().size(), 9u + 2u + 8u);
  const FilterColumn& date = filter.columns()[18];
  EXPECT_EQ(date.caption, "Attributi documento testata - attributo 4");
  EXPECT_EQ(date.column, "CO5L_DOT.CO5L_ATTRIB04");
  EXPECT_EQ(date.kind, ColumnKind::Date);

  EXPECT_EQ(errorNumber([&] { filter.setRow("Sezionale doc.", "01", ""); }), err::kIllegalOperation);
  EXPECT_EQ(errorNumber([&] {
              filter.addStatusField({"Default", "Stato ordine (Stati)", "X", false, 29, 7});
            }),
            err::kInvalidProcedureCall);
  EXPECT_EQ(errorNumber([&] {
              filter.addAttributeGroup({"Default", false, 6, "CO5L_ALTRO"});
            }),
            err::kInvalidProcedureCall);
  EXPECT_EQ(errorNumber([&] {
              filter.addAttributeGroup({"Default", false, 5, "CO5L_X"});
            }),
            err::kInvalidProcedureCall);
  EXPECT_EQ(filter.columns().size(), 19u);

  filter.start();
  EXPECT_EQ(
      errorNumber([&] {
        filter.addField(
            {"Default", "Reparto", "DO11_CODREP_PD07", true, 8, host::FilterValueKind::Text, 5, true, {}});
      }),
      err::kInvalidProcedureCall);
  EXPECT_EQ(errorNumber([&] { filter.setRow("Reparto", "R01", ""); }), err::kItemNotFound);
}

TEST(QueryFilterDeclarations, ConfigurationIsKeptUntilDetached) {
  HeadlessControlHost host;
  host.queryFilter("KVX_ADVQ");
  auto& filter = *host.find<HeadlessQueryFilter>("KVX_ADVQ");
  data::Connection connection;
  filter.configure(Value(int32_t{1}), "admin", "ADMIN", nullptr, "DAZO_BRISKAL", &connection);
  EXPECT_EQ(filter.company(), Value(int32_t{1}));
  EXPECT_EQ(filter.user(), "admin");
  EXPECT_EQ(filter.userGroup(), "ADMIN");
  EXPECT_EQ(filter.component(), "DAZO_BRISKAL");
  EXPECT_EQ(filter.connection(), &connection);
  filter.detach();
  EXPECT_EQ(filter.connection(), nullptr);
  EXPECT_EQ(filter.host(), nullptr);
  EXPECT_TRUE(filter.company().isEmpty());
  EXPECT_EQ(filter.component(), "");
}

TEST_F(QueryFilter, WritesTextAndNumberRowsAsEqualityOrRange) {
  EXPECT_EQ(condition("Sezionale doc.", "01", "01"), "(DO11_SEZDOC = '01')");
  EXPECT_EQ(condition("Sezionale doc.", "01  ", "02"), "(DO11_SEZDOC >= '01' AND DO11_SEZDOC <= '02')");
  EXPECT_EQ(condition("Sezionale doc.", "", "02"), "(DO11_SEZDOC <= '02')");
  EXPECT_EQ(condition("Numero doc.", "10", ""), "(DO11_NUMDOC >= 10)");
  EXPECT_EQ(condition("Numero doc.", "10", "25"), "(DO11_NUMDOC >= 10 AND DO11_NUMDOC <= 25)");
  EXPECT_EQ(condition("Numero doc.", "+007", "7,0"), "(DO11_NUMDOC = 7)");
  EXPECT_EQ(condition("Sottoprogetto", "-0,50", ",5"),
            "(DO41_CODSPROGETTO >= -0.5 AND DO41_CODSPROGETTO <= 0.5)");
  EXPECT_EQ(condition("Sottoprogetto", " 1.25 ", ""), "(DO41_CODSPROGETTO >= 1.25)");
  // The originating order's columns are written as declared; the query renames them afterwards.
  EXPECT_EQ(condition("Sez. doc. origine", "A1", "A1"), "(TORDCLI.DO11_SEZDOC = 'A1')");
  EXPECT_EQ(condition("Cliente doc. origine", "", "1200"), "(TORDCLI.DO11_CLIFOR_CG44 <= 1200)");
}

TEST_F(QueryFilter, WritesDateRowsUpToTheDayAfterSoThatTimesOfDayAreIncluded) {
  EXPECT_EQ(condition("Data doc.", "05/03/2026", "2026-03-05"),
            "(DO11_DATADOC >= '2026-03-05' AND DO11_DATADOC < '2026-03-06')");
  EXPECT_EQ(condition("Data doc.", "1/2/2026", "28/02/2026"),
            "(DO11_DATADOC >= '2026-02-01' AND DO11_DATADOC < '2026-03-01')");
  EXPECT_EQ(condition("Data consegna", "", "31/12/2026"), "(DO31_DATACONS < '2027-01-01')");
  EXPECT_EQ(condition("Data consegna", "2026-06-30", ""), "(DO31_DATACONS >= '2026-06-30')");
  EXPECT_EQ(condition("Data consegna", "", "31/12/9999"), "(DO31_DATACONS <= '9999-12-31')");
}

TEST_F(QueryFilter, WritesStatusAndAttributeRowsOnTheirAliases) {
  EXPECT_EQ(condition("Stato ordine (Stati)", "73", "73"), "(VS_DO11.V_IDSTATO = 73)");
  EXPECT_EQ(condition("Stato riga (Stati)", "81", "83"),
            "(VS_DO30.V_IDSTATO >= 81 AND VS_DO30.V_IDSTATO <= 83)");
  EXPECT_EQ(condition("Attributi progetto - attributo 1", "Alta", "Alta"),
            "(CO5L_PRO.CO5L_ATTRIB01 = 'Alta')");
  EXPECT_EQ(condition("Attributi progetto - attributo 2", "", "Normale"),
            "(CO5L_PRO.CO5L_ATTRIB02 <= 'Normale')");
  EXPECT_EQ(condition("Attributi progetto - attributo 3", "250,5", ""), "(CO5L_PRO.CO5L_ATTRIB03 >= 250.5)");
  EXPECT_EQ(condition("Attributi documento testata - attributo 4", "01/06/2026", "30/06/2026"),
            "(CO5L_DOT.CO5L_ATTRIB04 >= '2026-06-01' AND CO5L_DOT.CO5L_ATTRIB04 < '2026-07-01')");
}

TEST_F(QueryFilter, JoinsRowsWithAndAndReplacesARowOfTheSameCaption) {
  EXPECT_EQ(filter_->filterText(), "");
  filter_->setRow("Numero doc.", "10", "");
  filter_->setRow("Famiglia", "VITI", "VITI");
  filter_->setRow("Numero doc.", "", "20");
  EXPECT_EQ(filter_->filterText(), "(DO11_NUMDOC <= 20) AND (MG66_FAM_MG53 = 'VITI')");
  EXPECT_EQ(filter_->rows(),
            (std::vector<FilterRow>{{"Numero doc.", "", "20"}, {"Famiglia", "VITI", "VITI"}}));
  filter_->setRow("Numero doc.", " ", "");
  EXPECT_EQ(filter_->filterText(), "(MG66_FAM_MG53 = 'VITI')");
  filter_->clearRows();
  EXPECT_EQ(filter_->filterText(), "");
  EXPECT_TRUE(filter_->rows().empty());
}

TEST_F(QueryFilter, QuotesTextAndRefusesWhatIsNotANumberOrADate) {
  EXPECT_EQ(condition("Attributi progetto - attributo 1", "O'Brien", "O'Brien"),
            "(CO5L_PRO.CO5L_ATTRIB01 = 'O''Brien')");
  EXPECT_EQ(condition("Nodo", "x' OR '1'='1", ""), "(DO41_NODORIF_PD0C >= 'x'' OR ''1''=''1')");

  filter_->clearRows();
  filter_->setRow("Numero doc.", "5", "");
  const std::string before = filter_->filterText();
  EXPECT_EQ(errorNumber([&] { filter_->setRow("Numero doc.", "1; DROP TABLE X", ""); }), err::kTypeMismatch);
  EXPECT_EQ(errorText([&] { filter_->setRow("Numero doc.", "1; DROP TABLE X", ""); }),
            "Numero doc.: '1; DROP TABLE X' is not a number");
  EXPECT_EQ(errorNumber([&] { filter_->setRow("Numero doc.", "6", "1--"); }), err::kTypeMismatch);
  EXPECT_EQ(filter_->filterText(), before);  // the refused row left the earlier one in place

  for (const char* notANumber : {"1.234,5", "1e3", "12 3", "-", ",", "0x1F", "١٢"}) {
    EXPECT_EQ(errorNumber([&] { filter_->setRow("Sottoprogetto", notANumber, ""); }), err::kTypeMismatch)
        << notANumber;
  }
  EXPECT_EQ(errorNumber([&] { filter_->setRow("Stato ordine (Stati)", "7,5", ""); }), err::kTypeMismatch);
  for (const char* notADate : {"31/02/2026", "29/02/2026", "2026-13-01", "00/01/2026", "5/3/26", "05-03-2026",
                               "2026/03/05", "5 marzo 2026", "2026-03-05'; --"}) {
    EXPECT_EQ(errorNumber([&] { filter_->setRow("Data doc.", notADate, ""); }), err::kTypeMismatch)
        << notADate;
  }
  EXPECT_EQ(errorText([&] { filter_->setRow("Data doc.", "31/02/2026", ""); }),
            "Data doc.: '31/02/2026' is not a date (dd/mm/yyyy)");
  EXPECT_EQ(condition("Data doc.", "29/02/2028", ""), "(DO11_DATADOC >= '2028-02-29')");
}

TEST_F(QueryFilter, RefusesValuesLongerThanTheirField) {
  EXPECT_EQ(errorNumber([&] { filter_->setRow("Sezionale doc.", "ABC", ""); }), kInvalidPropertyValue);
  EXPECT_EQ(errorText([&] { filter_->setRow("Sezionale doc.", "ABC", ""); }),
            "Sezionale doc.: 'ABC' is longer than 2 characters");
  EXPECT_EQ(errorNumber([&] { filter_->setRow("Numero doc.", "12345678", ""); }), kInvalidPropertyValue);
  EXPECT_EQ(condition("Numero doc.", "1234567", ""), "(DO11_NUMDOC >= 1234567)");
  EXPECT_EQ(errorNumber([&] { filter_->setRow("Famiglia", "AB\nC", ""); }), kInvalidPropertyValue);

  // Length counts characters, not bytes; fields declared without a length take any.
  const std::string forty = "Per. Ind. Nicolò Sala, Responsabile Qual";
  ASSERT_EQ(utf8::length(forty), 40u);
  EXPECT_EQ(condition("Attributi progetto - attributo 1", forty, ""),
            "(CO5L_PRO.CO5L_ATTRIB01 >= '" + forty + "')");
  EXPECT_EQ(errorNumber([&] { filter_->setRow("Attributi progetto - attributo 1", forty + "e", ""); }),
            kInvalidPropertyValue);
  const std::string longNode(60, 'N');
  EXPECT_EQ(condition("Nodo", longNode, longNode), "(DO41_NODORIF_PD0C = '" + longNode + "')");
}

TEST_F(QueryFilter, WritesDatesForTheConnectedDatabase) {
  data::Connection file;
  file.setConnectionString(briskal::testing::freshDatabase("sqlite"));
  filter_->configure(Value(int32_t{1}), "admin", "", nullptr, "DAZO_BRISKAL", &file);
  filter_->setRow("Data doc.", "05/03/2026", "");
  EXPECT_EQ(filter_->filterText(), "(DO11_DATADOC >= '2026-03-05')");  // not open: ISO
  file.open();
  EXPECT_EQ(filter_->filterText(), "(DO11_DATADOC >= '2026-03-05')");

  const DateTime day = DateTime::fromParts(2026, 3, 5);
  EXPECT_EQ(dateLiteral(day, data::Dialect::SqlServer), "'20260305'");
  EXPECT_EQ(dateLiteral(day, data::Dialect::PostgreSQL), "'2026-03-05'");
  EXPECT_EQ(data::textLiteral("Nicolò D'Angelo", data::Dialect::SqlServer), "N'Nicolò D''Angelo'");
  EXPECT_EQ(data::textLiteral("D'Angelo", data::Dialect::SqlServer), "'D''Angelo'");
  EXPECT_EQ(data::textLiteral("Nicolò", data::Dialect::SQLite), "'Nicolò'");
}

TEST_F(QueryFilter, TypingACodeEntersItAndAsksTheFormForItsDescription) {
  std::vector<std::pair<std::string, Side>> asked;
  filter_->onStartDecode([&](const std::string& caption, Side side, data::Bindable& description) {
    asked.emplace_back(caption, side);
    if (caption == "Famiglia") description.setProperty("Text", Value("Viteria e bulloneria"));
  });
  EXPECT_EQ(filter_->typeCode("Famiglia", Side::From, "VITI"), "Viteria e bulloneria");
  EXPECT_EQ(filter_->typeCode("Famiglia", Side::To, "VITZ"), "Viteria e bulloneria");
  EXPECT_EQ(filter_->typeCode("Sezionale doc.", Side::To, "01"), "");  // no stale description
  EXPECT_EQ(asked, (std::vector<std::pair<std::string, Side>>{
                       {"Famiglia", Side::From}, {"Famiglia", Side::To}, {"Sezionale doc.", Side::To}}));
  EXPECT_EQ(filter_->rows(),
            (std::vector<FilterRow>{{"Famiglia", "VITI", "VITZ"}, {"Sezionale doc.", "", "01"}}));
  EXPECT_EQ(errorNumber([&] { filter_->typeCode("Famiglia", Side::From, "TROPPO"); }), kInvalidPropertyValue);
  EXPECT_EQ(asked.size(), 3u);  // a refused code is not decoded
}

TEST_F(QueryFilter, ALookupHandsItsValueBackThroughTheColumnAndTheRowIsDescribedAgain) {
  filter_->setRow("Numero doc.", "12", "");
  std::string chosen;
  std::vector<std::string> decoded;
  filter_->onStartDecode([&](const std::string& caption, Side, data::Bindable& description) {
    decoded.push_back(caption);
    description.setProperty("Text", Value("documento " + filter_->value("DO11_NUMDOC", Side::To)));
  });
  filter_->onStartLookup([&](const std::string& caption, Side side, data::Bindable&, bool& handled) {
    EXPECT_EQ(caption, "Numero doc.");
    handled = !chosen.empty();
    if (handled) filter_->setValue("DO11_NUMDOC", side, chosen);
  });
  LookupOutcome outcome = filter_->requestLookup("Numero doc.", Side::To);
  EXPECT_FALSE(outcome.handled);
  EXPECT_EQ(filter_->filterText(), "(DO11_NUMDOC >= 12)");
  EXPECT_TRUE(decoded.empty());

  chosen = "1234";
  outcome = filter_->requestLookup("Numero doc.", Side::To);
  EXPECT_TRUE(outcome.handled);
  EXPECT_EQ(outcome.value, "1234");
  EXPECT_EQ(outcome.description, "documento 1234");
  EXPECT_EQ(filter_->filterText(), "(DO11_NUMDOC >= 12 AND DO11_NUMDOC <= 1234)");
  EXPECT_EQ(filter_->value("DO11_NUMDOC", Side::From), "12");
  EXPECT_EQ(filter_->value("DO11_SEZDOC", Side::From), "");  // no row

  chosen = "non un numero";
  EXPECT_EQ(errorNumber([&] { filter_->requestLookup("Numero doc.", Side::From); }), err::kTypeMismatch);
  EXPECT_EQ(filter_->rows().front(), (FilterRow{"Numero doc.", "12", "1234"}));
  EXPECT_EQ(errorNumber([&] { filter_->value("DO11_NUMERO", Side::From); }), err::kItemNotFound);
}

// ---------------------------------------------------------------------------------------------
// The filter's conditions on a real database

constexpr const char* kCountQuery =
    "SELECT COUNT(*) FROM VDO11_BRISKAL"
    " LEFT OUTER JOIN VFILTROSTATI AS VS_DO11 ON DO11_GUID = VS_DO11.V_GUID"
    " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_PRO ON PD68_GUID = CO5L_PRO.CO5L_GUID"
    " WHERE DO11_DITTA_CG18 = 1 AND ";

struct Scenario {
  const char* name;
  std::vector<FilterRow> rows;
};

// Rows whose counts must add up: a closed range and what lies on either side of it.
const std::vector<Scenario> kScenarios = {
    {"everything", {{"Numero doc.", "0", ""}}},
    {"March", {{"Data doc.", "01/03/2026", "31/03/2026"}}},
    {"up to February", {{"Data doc.", "", "28/02/2026"}}},
    {"from April", {{"Data doc.", "2026-04-01", ""}}},
    {"numbers up to 10", {{"Numero doc.", "", "10"}}},
    {"numbers from 11", {{"Numero doc.", "11", ""}}},
    {"section 02", {{"Sezionale doc.", "02", "02"}}},
    {"order state 73", {{"Stato ordine (Stati)", "73", "73"}}},
    {"quoted name", {{"Attributi progetto - attributo 1", "Geom. Luca O'Brien", "Geom. Luca O'Brien"}}},
    {"accented name",
     {{"Attributi progetto - attributo 1", "Per. Ind. Nicolò Sala", "Per. Ind. Nicolò Sala"}}},
    {"project hours", {{"Attributi progetto - attributo 3", "400,5", "800"}}},
    {"project dates", {{"Attributi progetto - attributo 4", "01/06/2026", "30/09/2026"}}},
    {"combined",
     {{"Data consegna", "01/05/2026", ""},
      {"Stato ordine (Stati)", "72", "73"},
      {"Sezionale doc.", "01", "01"}}},
};

struct DemoCounts {
  int64_t beforeRename = 0;  // the quoted name's rows under its former name
  std::vector<int64_t> counts;
};

int64_t countRows(data::Connection& connection, const std::string& condition) {
  return demo_test::integerOf(demo_test::cell(demo_test::query(connection, kCountQuery + condition), 0, 0));
}

std::string conditionOf(HeadlessQueryFilter& filter, const std::vector<FilterRow>& rows) {
  filter.clearRows();
  for (const FilterRow& r : rows) filter.setRow(r.caption, r.from, r.to);
  return filter.filterText();
}

// Builds the demo database, gives one person of the project attributes a name with a quote, and
// counts the order lines of company 1 that each scenario selects.
DemoCounts countScenarios(data::Connection& connection) {
  createDemoDatabase(connection, {400, 11});
  HeadlessControlHost host;
  host.queryFilter("KVX_ADVQ");
  auto& filter = *host.find<HeadlessQueryFilter>("KVX_ADVQ");
  declareFormFields(filter);
  filter.configure(Value(int32_t{1}), "admin", "", nullptr, "DAZO_BRISKAL", &connection);
  filter.start();

  DemoCounts result;
  const std::string former = "Geom. Luca Perego";
  result.beforeRename =
      countRows(connection, conditionOf(filter, {{"Attributi progetto - attributo 1", former, former}}));
  connection.execute(
      "UPDATE CO5L_ATTRIBUTIDEN SET CO5L_ATTRIB01 = 'Geom. Luca O''Brien' WHERE CO5L_ATTRIB01 = 'Geom. Luca "
      "Perego'");
  for (const Scenario& s : kScenarios)
    result.counts.push_back(countRows(connection, conditionOf(filter, s.rows)));
  return result;
}

TEST(QueryFilterOnDatabase, ConditionsSelectTheRowsTheyDescribeOnTheEmbeddedFile) {
  data::Connection file;
  file.setConnectionString(briskal::testing::freshDatabase("sqlite"));
  file.open();
  const DemoCounts demo = countScenarios(file);
  ASSERT_EQ(demo.counts.size(), kScenarios.size());
  for (size_t i = 0; i < kScenarios.size(); ++i) {
    EXPECT_GT(demo.counts[i], 0) << kScenarios[i].name;
    if (i > 0) {
      EXPECT_LT(demo.counts[i], demo.counts[0]) << kScenarios[i].name;
    }
  }
  const int64_t all = demo.counts[0];
  EXPECT_EQ(demo.counts[1] + demo.counts[2] + demo.counts[3], all)
      << "the date ranges leave a gap or overlap";
  EXPECT_EQ(demo.counts[4] + demo.counts[5], all) << "the number ranges leave a gap or overlap";
  EXPECT_EQ(demo.counts[8], demo.beforeRename);
}

class QueryFilterOnPostgres : public briskal::testing::PostgresTest {};

TEST_F(QueryFilterOnPostgres, SelectsAsManyRowsAsOnTheEmbeddedFile) {
  data::Connection postgres;
  postgres.setConnectionString(server().createDatabase());
  postgres.open();
  data::Connection file;
  file.setConnectionString(briskal::testing::freshDatabase("sqlite"));
  file.open();
  const DemoCounts onServer = countScenarios(postgres);
  const DemoCounts inFile = countScenarios(file);
  EXPECT_EQ(onServer.beforeRename, inFile.beforeRename);
  ASSERT_EQ(onServer.counts.size(), inFile.counts.size());
  for (size_t i = 0; i < kScenarios.size(); ++i)
    EXPECT_EQ(onServer.counts[i], inFile.counts[i]) << kScenarios[i].name;
}

}  // namespace
}  // namespace briskal::hostkit
