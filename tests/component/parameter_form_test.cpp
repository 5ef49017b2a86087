// The parameter form driven through its controls, as a person uses it.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "component/component_fixture.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "hostkit/demo/demo_database.h"
#include "support/database_backends.h"

namespace briskal::testing {
namespace {

using hostkit::AnswerPolicy;

class ParameterForm : public ComponentTest {
 protected:
  void open(AnswerPolicy answers = AnswerPolicy::defaultButton()) {
    start(std::move(answers));
    session().showParameterForm();
  }
  hostkit::HeadlessCombo& combo(const char* name) { return control<hostkit::HeadlessCombo>(name); }
  hostkit::HeadlessButton& button(const char* name) { return control<hostkit::HeadlessButton>(name); }
  hostkit::HeadlessTab& tabs() { return control<hostkit::HeadlessTab>("SSTab1"); }
  hostkit::HeadlessTextEdit& text(const char* name) { return control<hostkit::HeadlessTextEdit>(name); }
  std::string query() {
    hostkit::HeadlessWindow* w = session().window("FRMPD_MODSELEZ");
    return w ? w->form().property("StringaRigaOrd").asText() : std::string();
  }
};

TEST_F(ParameterForm, FirstActivationFillsTheOptionsAndTheDefaultLayout) {
  open();
  EXPECT_EQ(combo("CMB_TipoEtichetta").selectedText(), "Standard");
  EXPECT_EQ(combo("CMB_TipoOrdini").text(), "24");
  EXPECT_EQ(combo("CMB_TipoOrdini").items().size(), 3u);
  EXPECT_EQ(combo("CMB_TipoQuantità").selectedText(), "Quantita' unitaria");
  EXPECT_EQ(combo("CMB_QtaRifer").text(), "0");
  EXPECT_EQ(combo("CMB_QTARIPORTATA").text(), "0");
  EXPECT_EQ(combo("CMB_Personal").selectedText(), "Default");
  EXPECT_EQ(control<hostkit::HeadlessCheck>("CBX_Gestione").value(), 1);
  EXPECT_FALSE(tabs().tabEnabled(1));
  EXPECT_EQ(text("TXT_ALTETIC").text(), "0");
  EXPECT_EQ(text("TXT_LUNGETIC").text(), "0");
  EXPECT_EQ(text("TXT_SALTO").text(), "");
  // The layout grid shows the 36 catalogue fields; the first row's characters are counted.
  data::Recordset* layout = control<hostkit::HeadlessGrid>("GridSelezione").dataSource();
  ASSERT_NE(layout, nullptr);
  EXPECT_EQ(layout->recordCount(), 36);
  // Captions whose numbers also stand for a message or another caption read as themselves.
  const std::pair<int64_t, const char*> captions[] = {{12, "Quantità per etichetta"},
                                                      {13, "Quantità per confezioni"},
                                                      {32, "Ragione sociale cliente"},
                                                      {33, "Via"}};
  for (const auto& [row, caption] : captions) {
    layout->setAbsolutePosition(row);
    EXPECT_EQ(layout->value("PD45_CAMPO"), Value(caption)) << row;
  }
  layout->moveFirst();
  EXPECT_EQ(text("TXT_RIGA").text(), "1");
  EXPECT_EQ(text("TXT_NRCARATTERI").text(), "22");  // "Numero ordine" 13 + 7 + 1, and a blank
  auto& filter = control<hostkit::HeadlessQueryFilter>("KVX_ADVQ");
  EXPECT_TRUE(filter.started());
  EXPECT_EQ(filter.fields().size(), 26u);
  EXPECT_EQ(filter.statusFields().size(), 2u);
  EXPECT_EQ(filter.attributeGroups().size(), 4u);
  EXPECT_EQ(filter.component(), "DAZO_BRISKAL");
  auto& resizer = control<hostkit::HeadlessResizer>("KVX_RESIZEFORM1");
  ASSERT_EQ(resizer.registrations().size(), 14u);
  EXPECT_EQ(resizer.registrations().front(), (std::pair<std::string, int32_t>{"SSTab1", 15}));
  EXPECT_EQ(resizer.registrations().back(), (std::pair<std::string, int32_t>{"KVX_ADVQ", 15}));
}

TEST_F(ParameterForm, QuantityPerLabelMustBeAPositiveNumber) {
  open();
  combo("CMB_TipoQuantità").choose(2);
  EXPECT_TRUE(text("TXT_NumEtichette").enabled());
  for (const char* typed : {"", "0", "-3", "tre", "0,4", "3000000000"}) {
    text("TXT_NumEtichette").type(typed);
    button("CMD_ImpostaEtich").click();
    EXPECT_EQ(shownNumbers().back(), 64773) << typed;
    EXPECT_EQ(tabs().currentTab(), 0) << typed;
    EXPECT_TRUE(text("TXT_NumEtichette").textSelected());
  }
  text("TXT_NumEtichette").type("3");
  button("CMD_ImpostaEtich").click();
  EXPECT_EQ(tabs().currentTab(), 1);
  // A number changed after "&Avanti" is checked again before executing.
  control<hostkit::HeadlessQueryFilter>("KVX_ADVQ").setRow("Numero doc.", "1", "2");
  text("TXT_NumEtichette").type("0");
  button("CMD_Esegui").click();
  EXPECT_EQ(shownNumbers().back(), 64773);
  EXPECT_EQ(session().window("FRMPD_MODSELEZ"), nullptr);
  combo("CMB_TipoQuantità").choose(0);
  EXPECT_EQ(text("TXT_NumEtichette").text(), "");
  EXPECT_FALSE(text("TXT_NumEtichette").enabled());
}

TEST_F(ParameterForm, AvantiOpensTheLayoutTabForStandardLabels) {
  open();
  combo("CMB_QtaRifer").choose(1);
  button("CMD_ImpostaEtich").click();
  EXPECT_TRUE(tabs().tabEnabled(1));
  EXPECT_EQ(tabs().currentTab(), 1);
  EXPECT_EQ(combo("CMB_QTARIPORTATA").text(), "2");
  // Switching to customisable labels leaves the layout tab.
  combo("CMB_TipoEtichetta").choose(1);
  EXPECT_EQ(tabs().currentTab(), 0);
  EXPECT_FALSE(tabs().tabEnabled(1));
}

TEST_F(ParameterForm, CustomisableLabelsExecuteStraightFromAvanti) {
  open(AnswerPolicy::yes());
  combo("CMB_TipoEtichetta").choose(1);
  button("CMD_ImpostaEtich").click();
  EXPECT_FALSE(tabs().tabEnabled(1));
  EXPECT_EQ(shownNumbers(), std::vector<int32_t>{40011});
  EXPECT_NE(query().find(" AND DO11_TIPODOC = 24"), std::string::npos);
}

TEST_F(ParameterForm, ExecutingWithoutAFilterAsksWithNoAsDefault) {
  open();
  button("CMD_ImpostaEtich").click();
  button("CMD_Esegui").click();
  ASSERT_EQ(shownNumbers(), std::vector<int32_t>{40011});
  EXPECT_EQ(session().messages().shown().back().buttons, 308);
  EXPECT_EQ(session().window("FRMPD_MODSELEZ"), nullptr);
  EXPECT_TRUE(button("CMD_Esegui").enabled());
}

TEST_F(ParameterForm, ExecuteHandsTheQueryToANewSelectionForm) {
  open();
  auto& filter = control<hostkit::HeadlessQueryFilter>("KVX_ADVQ");
  filter.setRow("Numero doc.", "1", "50");
  combo("CMB_TipoOrdini").choose(25);
  control<hostkit::HeadlessCheck>("CBX_Gestione").setValue(0);
  button("CMD_ImpostaEtich").click();
  button("CMD_Esegui").click();
  EXPECT_TRUE(shownNumbers().empty());
  const std::string first = query();
  EXPECT_NE(first.find(" AND QTAORD2 > 0  AND ISNULL(DO31_FLGNONPIUEV,0) = 0  AND DO11_TIPODOC = 25 AND "),
            std::string::npos)
      << first;
  ASSERT_NE(session().window("FRMPD_MODSELEZ"), nullptr);
  // The query opens on the database as it stands.
  data::Connection cn;
  cn.setConnectionString("Data Source=" + databaseFile());
  cn.open();
  data::Recordset rs;
  rs.setCursorLocation(data::cursor::kUseClient);
  rs.open(first, cn, data::cursor::kOpenDynamic, data::lock::kOptimistic);
  EXPECT_GE(rs.recordCount(), 0);
  // A second execute replaces the selection form: the first one terminates, a new one starts.
  combo("CMB_TipoOrdini").choose(21);
  button("CMD_Esegui").click();
  EXPECT_NE(query().find("DO11_TIPODOC = 21"), std::string::npos);
  auto count = [&](const std::string& word) {
    return std::count_if(traceLines().begin(), traceLines().end(), [&](const std::string& line) {
      return line.find("|" + word + "|DAZO_BRISKAL|FRMPD_MODSELEZ") != std::string::npos;
    });
  };
  EXPECT_EQ(count("INI"), 2);
  EXPECT_EQ(count("TER"), 1);
  // The old form goes without giving the layout grid back: moving in it while the new
  // selection form is open does not count characters.
  {
    hostkit::RegistryLayoutModel layout;
    session().navigator().initializeLayoutObjectModel(layout);
    ASSERT_EQ(layout.registrations().size(), 1u);
    EXPECT_FALSE(layout.registrations()[0].current);
    const std::string counted = text("TXT_RIGA").text();
    control<hostkit::HeadlessGrid>("GridSelezione").selectRow(5);
    EXPECT_EQ(text("TXT_RIGA").text(), counted);
  }
  // Closing it gives the parameter form back its layout tab and makes it current again.
  session().window("FRMPD_MODSELEZ")->form().requestClose();
  EXPECT_TRUE(tabs().tabEnabled(1));
  hostkit::RegistryLayoutModel layout;
  session().navigator().initializeLayoutObjectModel(layout);
  ASSERT_EQ(layout.registrations().size(), 1u);
  EXPECT_TRUE(layout.registrations()[0].current);
}

TEST_F(ParameterForm, ATooSmallLabelAsksBeforeExecuting) {
  open();
  control<hostkit::HeadlessQueryFilter>("KVX_ADVQ").setRow("Numero doc.", "1", "");
  button("CMD_ImpostaEtich").click();
  text("TXT_ALTETIC").type("35");
  session().messages().queueAnswer(7);
  button("CMD_Esegui").click();
  ASSERT_EQ(shownNumbers(), std::vector<int32_t>{74594});
  const auto& asked = session().messages().shown().back();
  EXPECT_EQ(asked.buttons, 36);
  EXPECT_NE(asked.text.find("altezza insufficiente."), std::string::npos) << asked.text;
  EXPECT_EQ(session().window("FRMPD_MODSELEZ"), nullptr);
  session().messages().queueAnswer(6);
  button("CMD_Esegui").click();
  EXPECT_NE(session().window("FRMPD_MODSELEZ"), nullptr);
}

TEST_F(ParameterForm, EscapeAndCtrlXCloseTheForm) {
  open();
  hostkit::HeadlessWindow* window = session().window("FRMPD_BRISKAL");
  window->form().keyDown(88, 0);
  EXPECT_NE(session().component().ActiveDll(), nullptr);
  window->form().keyDown(88, 3);  // Ctrl among other modifiers
  EXPECT_EQ(session().component().ActiveDll(), nullptr);
  const auto& states = session().navigator().registry().formStates();
  EXPECT_FALSE(states.back().open);

  open();
  session().window("FRMPD_BRISKAL")->form().keyDown(27, 0);
  EXPECT_EQ(session().component().ActiveDll(), nullptr);
}

TEST_F(ParameterForm, TheHostWindowPlacesTheForm) {
  open();
  session().component().setWindowState(2);
  auto& mdi = control<hostkit::HeadlessMdiHost>("MDIActiveX1");
  mdi.raiseHostEvent();
  EXPECT_EQ(mdi.placement(), (hostkit::Placement{0, 0, 11235, 6990}));
  EXPECT_EQ(mdi.windowState(), 2);
}

// A host of our own, handing the component a context it made itself.
class ParameterFormOfAnotherHost : public ParameterForm {
 protected:
  void SetUp() override {
    ParameterForm::SetUp();
    start();
  }
  void show(std::shared_ptr<host::GlobalContext> context) {
    host::Cinterface& c = session().component();
    c.setClsGlobal(std::move(context));
    c.setActiveNavigator(std::make_shared<hostkit::HeadlessNavigator>());
    c.ShowForm();
  }
  std::shared_ptr<hostkit::HeadlessGlobalContext> context(hostkit::GlobalSettings settings) {
    settings.connectionString = "Data Source=" + databaseFile();
    return std::make_shared<hostkit::HeadlessGlobalContext>(std::move(settings), session().messages());
  }
};

// A database that cannot be opened: the load step fails and says so in the log, and the form
// opens nothing on the connection it does not have.
TEST_F(ParameterFormOfAnotherHost, AFailedLoadIsLoggedAndOpensNothingElse) {
  hostkit::GlobalSettings settings;
  settings.connectionString = "Data Source=/nonexistent-folder/x.db";
  show(std::make_shared<hostkit::HeadlessGlobalContext>(settings, session().messages()));
  EXPECT_NE(logText().find("| Form_Load |"), std::string::npos) << logText();
  control<hostkit::HeadlessQueryFilter>("KVX_ADVQ").setRow("Numero doc.", "1", "5");
  button("CMD_ImpostaEtich").click();
  button("CMD_Esegui").click();
  EXPECT_EQ(session().window("FRMPD_MODSELEZ"), nullptr);
  session().runtime().setModalDriver("FRMPD_SALVAPERS",
                                     [](hostkit::HeadlessWindow&) { FAIL() << "the save form opened"; });
  button("CMD_Personalizza").click();
}

// A log file that cannot be created leaves its entries on standard error; the forms work on.
TEST_F(ParameterForm, AnUncreatableLogFileDoesNotStopTheForms) {
  logFile_ = "/proc/briskal-cannot-be-here.log";
  open(AnswerPolicy::yes());
  control<hostkit::HeadlessQueryFilter>("KVX_ADVQ").setRow("Numero doc.", "1", "5");
  button("CMD_ImpostaEtich").click();
  button("CMD_Esegui").click();
  ASSERT_NE(session().window("FRMPD_MODSELEZ"), nullptr);
  EXPECT_TRUE(session().window("FRMPD_MODSELEZ")->isShown());
}

// A host that has not set its global context gets error 91 in the procedures' own traps, never a
// crash: messages, translations and the buttons that read the context all go through it.
TEST_F(ParameterFormOfAnotherHost, AHostWithoutAGlobalContextGetsErrorsNotACrash) {
  show(nullptr);
  EXPECT_NE(logText().find("| Form_Load |"), std::string::npos) << logText();
  EXPECT_NE(logText().find("91"), std::string::npos) << logText();
  combo("CMB_TipoQuantità").choose(2);
  button("CMD_ImpostaEtich").click();
  button("CMD_Esegui").click();
  button("CMD_Personalizza").click();
  button("CMD_ELIMINA").click();
  EXPECT_EQ(session().window("FRMPD_MODSELEZ"), nullptr);
  EXPECT_NE(logText().find("| CMD_ImpostaEtich_ButtonClick | 91 |"), std::string::npos) << logText();
  EXPECT_TRUE(session().component().CloseForm().asBool());
}

// A message service that has no texts: showing works, asking for a text fails.
class TextlessMessages final : public host::MessageService {
 public:
  int textBox(const std::string&, int32_t, const std::string&) override { return 1; }
  int numberedBox(int32_t, int32_t, const std::string&, const std::vector<Value>&) override { return 1; }
  void showStatus(const std::string&) override {}
  std::string text(int32_t number, const std::vector<Value>&, std::string_view) override {
    throw Error(err::kItemNotFound, "Messages", "No text " + std::to_string(number));
  }
};

// A text that cannot be translated is logged and left empty; the procedure asking for it goes on.
TEST_F(ParameterFormOfAnotherHost, AnUntranslatableTextIsLoggedAndLeftEmpty) {
  TextlessMessages messages;
  hostkit::GlobalSettings settings;
  settings.connectionString = "Data Source=" + databaseFile();
  show(std::make_shared<hostkit::HeadlessGlobalContext>(settings, messages));
  data::Recordset* layout = control<hostkit::HeadlessGrid>("GridSelezione").dataSource();
  ASSERT_NE(layout, nullptr);
  EXPECT_EQ(layout->recordCount(), 36);
  EXPECT_EQ(layout->value("PD45_CAMPO"), Value(""));
  EXPECT_NE(logText().find("| translate |"), std::string::npos) << logText();
  session_.reset();  // before the message service it was given
}

// A query that cannot be composed leaves nothing to run: no selection form opens on an empty
// or an earlier query.
TEST_F(ParameterFormOfAnotherHost, AQueryThatCannotBeComposedOpensNoSelectionForm) {
  hostkit::GlobalSettings settings;
  settings.company = Value::null();
  show(context(settings));
  control<hostkit::HeadlessQueryFilter>("KVX_ADVQ").setRow("Numero doc.", "1", "5");
  button("CMD_ImpostaEtich").click();
  button("CMD_Esegui").click();
  EXPECT_NE(logText().find("| GetStringaRigaOrd |"), std::string::npos) << logText();
  EXPECT_EQ(session().window("FRMPD_BRISKAL")->form().property("StringaRigaOrd"), Value(""));
  EXPECT_EQ(session().window("FRMPD_MODSELEZ"), nullptr);
  EXPECT_TRUE(button("CMD_Esegui").enabled());
}

TEST_F(ParameterForm, TheLayoutGridRefusesWhatItCannotHold) {
  open();
  button("CMD_ImpostaEtich").click();
  auto& grid = control<hostkit::HeadlessGrid>("GridSelezione");
  data::Recordset& lines = *grid.dataSource();
  lines.moveFirst();
  EXPECT_FALSE(grid.editCell("PD45_RIGA", Value("123")));
  EXPECT_EQ(shownNumbers().back(), 64774);
  EXPECT_FALSE(grid.editCell("PD45_POSINI", Value("12345")));
  EXPECT_EQ(shownNumbers().back(), 64775);
  EXPECT_TRUE(grid.editCell("PD45_POSINI", Value("1234")));
  EXPECT_EQ(lines.value("PD45_POSINI"), Value(Decimal(1234)));
  const size_t before = shownNumbers().size();
  EXPECT_FALSE(grid.editCell("PD45_SEQSTP", Value("")));  // a cell cannot be emptied
  EXPECT_FALSE(grid.editCell("PD45_CAMPO", Value("x")));  // nor the caption edited
  EXPECT_EQ(shownNumbers().size(), before);
  // The caption flag flips on a double click or Enter.
  grid.doubleClickCell("PD45_FLGLBLCAMPO");
  EXPECT_EQ(lines.value("PD45_FLGLBLCAMPO"), Value(Decimal(0)));
  grid.pressKey("PD45_FLGLBLCAMPO", 13);
  EXPECT_EQ(lines.value("PD45_FLGLBLCAMPO"), Value(Decimal(1)));
}

TEST_F(ParameterForm, RowButtonsWrapAroundAndKeepOneRow) {
  open();
  button("CMD_ImpostaEtich").click();
  data::Recordset& lines = *control<hostkit::HeadlessGrid>("GridSelezione").dataSource();
  lines.moveFirst();
  button("CMD_RIGASU").click();
  EXPECT_EQ(lines.value("PD45_RIGA"), Value(Decimal(36)));
  button("CMD_RIGAGIU").click();
  EXPECT_EQ(lines.value("PD45_RIGA"), Value(Decimal(1)));
  for (int i = 0; i < 35; ++i) button("CMD_ELIMINA").click();
  EXPECT_EQ(lines.recordCount(), 1);
  button("CMD_ELIMINA").click();
  EXPECT_EQ(shownNumbers().back(), 64777);
  EXPECT_EQ(lines.recordCount(), 1);
}

TEST_F(ParameterForm, TheComposedQueryOpensOnEveryDatabase) {
  for (const std::string backend : {"sqlite", "postgresql"}) {
    const std::string target = freshDatabase(backend);
    if (target.empty()) {
      std::cout << "skipping " << backend << ": not available on this machine\n";
      continue;
    }
    data::Connection cn;
    cn.setConnectionString(target);
    cn.open();
    hostkit::createDemoDatabase(cn, {200, 5});
    session_ = std::make_unique<hostkit::HostSession>(sessionOptions(target));
    session().showParameterForm();
    auto& filter = control<hostkit::HeadlessQueryFilter>("KVX_ADVQ");
    filter.setRow("Progetto", "O'Brien", "");
    filter.setRow("Data doc.", "01/01/2026", "31/12/2026");
    filter.setRow("Num. doc. origine", "1", "");
    filter.setRow("Stato riga (Stati)", "1", "9");
    button("CMD_ImpostaEtich").click();
    button("CMD_Esegui").click();
    const std::string sql = query();
    ASSERT_NE(sql.find("TORIG_NUMDOC"), std::string::npos) << sql;
    data::Recordset rs;
    rs.setCursorLocation(data::cursor::kUseClient);
    EXPECT_NO_THROW(rs.open(sql, cn, data::cursor::kOpenDynamic, data::lock::kOptimistic))
        << backend << ": " << sql;
    session_.reset();
  }
}

}  // namespace
}  // namespace briskal::testing
