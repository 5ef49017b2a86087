// The component's public class as the host sees it, loaded from the shared library.

#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "component/component_fixture.h"
#include "data/connection.h"

namespace briskal::testing {
namespace {

using hostkit::AnswerPolicy;

class ComponentClass : public ComponentTest {};

TEST_F(ComponentClass, KeepsValuesThatFitAndIgnoresThoseThatDoNot) {
  start();
  host::Cinterface& c = session().component();
  EXPECT_EQ(c.ActiveDll(), &c);
  c.setWindowState(2);
  c.setWindowState(40000);
  EXPECT_EQ(c.WindowState(), 2);
  c.setProgramMode(-32769);
  EXPECT_EQ(c.ProgramMode(), 0);
  c.setTop(Value(12.5));
  EXPECT_EQ(c.Top(), Value(int32_t{12}));
  c.setTop(Value("abc"));
  EXPECT_EQ(c.Top(), Value(int32_t{12}));
  c.setLeft(Value("1417,5"));
  EXPECT_EQ(c.Left(), Value(int32_t{1418}));
  EXPECT_EQ(c.Cwindow(), nullptr);
  Value received;
  c.onDataTransfer([&](const Value& data) { received = data; });
  EXPECT_TRUE(c.TransferData(Value("ordine 7")).isEmpty());
  EXPECT_EQ(received, Value("ordine 7"));
}

TEST_F(ComponentClass, WritesTraceLinesWithOneIdPerObject) {
  start();
  session().showParameterForm();
  session().closeParameterForm();
  session_.reset();
  const std::regex line(R"(QRVN:\|([0-9A-F]{32})\|(INI|TER)\|DAZO_BRISKAL\|(\w+))");
  std::map<std::string, std::vector<std::string>> ids;
  for (const std::string& t : traceLines()) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(t, m, line)) << t;
    ids[m[3]].push_back(m[1]);
  }
  ASSERT_EQ(ids["CLSPD_BRISKAL"].size(), 2u);
  EXPECT_EQ(ids["CLSPD_BRISKAL"][0], ids["CLSPD_BRISKAL"][1]);
  ASSERT_EQ(ids["FRMPD_BRISKAL"].size(), 2u);
  EXPECT_EQ(ids["FRMPD_BRISKAL"][0], ids["FRMPD_BRISKAL"][1]);
  EXPECT_NE(ids["FRMPD_BRISKAL"][0], ids["CLSPD_BRISKAL"][0]);
}

TEST_F(ComponentClass, ShowFormOpensTheParameterFormWithTheHostCaption) {
  start();
  session().showParameterForm();
  hostkit::HeadlessWindow* window = session().window("FRMPD_BRISKAL");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isShown());
  EXPECT_FALSE(window->modal());
  EXPECT_EQ(window->caption(), "Stampa etichette da ordine di lavoro");
  const auto& states = session().navigator().registry().formStates();
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back().form, "FRMPD_BRISKAL");
  EXPECT_TRUE(states.back().open);
}

TEST_F(ComponentClass, CloseFormReportsWhetherTheFormReallyClosed) {
  start();
  session().showParameterForm();
  session().navigator().registry().setCancelValue(Value(true));
  EXPECT_FALSE(session().closeParameterForm());
  EXPECT_NE(session().component().ActiveDll(), nullptr);
  session().navigator().registry().setCancelValue(Value());
  EXPECT_TRUE(session().closeParameterForm());
  EXPECT_EQ(session().component().ActiveDll(), nullptr);
  EXPECT_EQ(session().component().Connection(), nullptr);
  // With ActiveDll gone the navigator's company change neither asks nor cancels.
  EXPECT_FALSE(session().navigator().changeCompany());
  EXPECT_TRUE(session().messages().shown().empty());
  // Showing the form again takes the host interface back and loads the form whole.
  session().showParameterForm();
  EXPECT_NE(session().component().ActiveDll(), nullptr);
  EXPECT_EQ(control<hostkit::HeadlessCombo>("CMB_Personal").count(), 1u);
  EXPECT_EQ(logText(), "");
}

TEST_F(ComponentClass, CompanyChangeAsksAndClosesOnYes) {
  start();
  session().showParameterForm();
  session().component().setIsActive(false);
  EXPECT_FALSE(session().navigator().changeCompany());
  EXPECT_TRUE(shownNumbers().empty());
  session().component().setIsActive(true);
  session().messages().queueAnswer(7);
  EXPECT_TRUE(session().navigator().changeCompany());
  EXPECT_EQ(shownNumbers(), std::vector<int32_t>{30178});
  EXPECT_EQ(session().messages().shown().back().buttons, 36);
  EXPECT_NE(session().component().ActiveDll(), nullptr);
  session().messages().queueAnswer(6);
  EXPECT_FALSE(session().navigator().changeCompany());
  EXPECT_EQ(session().component().ActiveDll(), nullptr);
}

TEST_F(ComponentClass, ObjectModelsRegisterTheFormInUse) {
  start(AnswerPolicy::yes());
  session().showParameterForm();
  hostkit::RegistryLayoutModel layout;
  session().navigator().initializeLayoutObjectModel(layout);
  ASSERT_EQ(layout.registrations().size(), 1u);
  EXPECT_TRUE(layout.registrations()[0].current);
  hostkit::RegistryScriptModel script;
  session().navigator().initializeScriptObjectModel(script);
  EXPECT_EQ(script.addedObjects(), std::vector<std::string>{"FRMPD_BRISKAL"});
  // With the selection form open, that one is registered, not as current.
  control<hostkit::HeadlessButton>("CMD_ImpostaEtich").click();
  control<hostkit::HeadlessButton>("CMD_Esegui").click();
  ASSERT_NE(session().window("FRMPD_MODSELEZ"), nullptr);
  session().navigator().initializeLayoutObjectModel(layout);
  ASSERT_EQ(layout.registrations().size(), 2u);
  EXPECT_FALSE(layout.registrations()[1].current);
  EXPECT_EQ(layout.registrations()[1].caption, "Modifica etichette (Ordini lavorazione)");
  session().navigator().initializeScriptObjectModel(script);
  EXPECT_EQ(script.addedObjects().back(), "FRMPD_MODSELEZ");
  ASSERT_TRUE(script.lastAddedForm());
  EXPECT_NE(script.lastAddedForm()->property("StringaRigaOrd").asText().find("VDO11_BRISKAL"),
            std::string::npos);
  session().component().setIsActive(false);
  session().navigator().initializeScriptObjectModel(script);
  EXPECT_EQ(script.addedObjects().size(), 2u);
}

}  // namespace
}  // namespace briskal::testing
