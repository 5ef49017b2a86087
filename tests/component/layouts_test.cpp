// Layouts saved, replaced, loaded and deleted through the parameter form and its save form,
// against real databases; and several workstations saving at once.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

#include "common/convert.h"
#include "component/component_fixture.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "hostkit/demo/demo_database.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal::testing {
namespace {

using hostkit::AnswerPolicy;

class Layouts : public ComponentTest, public ::testing::WithParamInterface<std::string> {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    target_ = freshDatabase(GetParam());
    if (target_.empty()) GTEST_SKIP() << GetParam() << " is not available on this machine";
    data::Connection cn;
    cn.setConnectionString(target_);
    cn.open();
    hostkit::createDemoDatabase(cn, {50, 3});
  }
  void open(AnswerPolicy answers = AnswerPolicy::yes()) {
    session_.reset();
    hostkit::SessionOptions options = sessionOptions(target_);
    options.report.destination = labelsFile();
    options.answers = std::move(answers);
    session_ = std::make_unique<hostkit::HostSession>(std::move(options));
    session().showParameterForm();
    control<hostkit::HeadlessButton>("CMD_ImpostaEtich").click();
  }
  // Opens the save form and runs `use` on its controls, then closes it.
  void onSaveForm(const std::function<void(hostkit::HeadlessControlHost&)>& use) {
    session().runtime().setModalDriver("FRMPD_SALVAPERS", [&](hostkit::HeadlessWindow& w) {
      use(w.headlessControls());
      w.form().keyDown(27, 0);
    });
    control<hostkit::HeadlessButton>("CMD_Personalizza").click();
  }
  void save(const std::string& code, const std::string& title) {
    onSaveForm([&](hostkit::HeadlessControlHost& s) {
      s.find<hostkit::HeadlessTextEdit>("TXT_Codice")->type(code);
      s.find<hostkit::HeadlessTextEdit>("TXT_Titolo")->type(title);
      s.find<hostkit::HeadlessButton>("CMD_SALVA")->click();
    });
  }
  data::StatementResult sql(const std::string& statement) {
    data::Connection cn;
    cn.setConnectionString(target_);
    cn.open();
    return cn.execute(statement);
  }
  int64_t count(const std::string& where) {
    auto r = sql("SELECT COUNT(*) AS N FROM PD45_CONFIGETICH WHERE " + where);
    return toInt64(r.rows->cells[0], RegionalSettings::english());
  }
  std::string labelsFile() const { return logFile_ + ".labels.txt"; }
  data::Recordset& editorLines() { return *control<hostkit::HeadlessGrid>("GridSelezione").dataSource(); }

  std::string target_;
};

TEST_P(Layouts, TheFirstLayoutIsStoredAsHeaderAndNumberedDetails) {
  open();
  control<hostkit::HeadlessTextEdit>("TXT_LUNGETIC").type("");
  save("ab", "Prima");
  EXPECT_EQ(count("PD45_CODICE = 'AB' AND PD45_PROGRIGA = 0 AND PD45_TITOLO = 'PRIMA'"), 1);
  EXPECT_EQ(count("PD45_PROGRIGA = 0 AND PD45_WIDTH = 0 AND PD45_CAMPO = '' AND PD45_DATAFIELD IS NULL"), 1);
  EXPECT_EQ(count("PD45_PROGRIGA BETWEEN 2 AND 37 AND PD45_WIDTH IS NULL AND PD45_HEIGHT IS NULL AND "
                  "PD45_DISTANZA IS NULL AND PD45_INDQTARIP IS NULL"),
            36);
  // The selector offers the new layout and stands on it.
  auto& selector = control<hostkit::HeadlessCombo>("CMB_Personal");
  EXPECT_EQ(selector.count(), 2u);
  EXPECT_EQ(selector.selectedText(), "PRIMA");
}

TEST_P(Layouts, SavingAsksForCodeAndTitleAndBeforeReplacing) {
  open(AnswerPolicy::no());
  control<hostkit::HeadlessTextEdit>("TXT_ALTETIC").type("99");
  control<hostkit::HeadlessTextEdit>("TXT_LUNGETIC").type("999");
  save("AB", "");
  EXPECT_EQ(shownNumbers().back(), 76085);
  EXPECT_EQ(count("1 = 1"), 0);
  save("AB", "Prima");
  save("AB", "Seconda");
  EXPECT_EQ(shownNumbers().back(), 74614);  // answered No: nothing changes
  EXPECT_EQ(count("PD45_TITOLO = 'PRIMA'"), 37);
  session().messages().queueAnswer(6);
  save("AB", "Seconda");
  EXPECT_EQ(count("PD45_TITOLO = 'SECONDA'"), 37);
  EXPECT_EQ(count("PD45_TITOLO = 'PRIMA'"), 0);
}

// Saving closes the form and says so where the host shows its status; a label without a height or
// a width is asked about first, as one too small for its lines is.
TEST_P(Layouts, ASavedLayoutClosesTheFormWithAStatusLineAndAMissingSizeIsAskedAbout) {
  open(AnswerPolicy::no());
  control<hostkit::HeadlessTextEdit>("TXT_ALTETIC").type("0");
  control<hostkit::HeadlessTextEdit>("TXT_LUNGETIC").type("999");
  save("AB", "Prima");
  ASSERT_FALSE(shownNumbers().empty());
  EXPECT_EQ(shownNumbers().back(), 74594);
  EXPECT_NE(session().messages().shown().back().text.find("altezza non indicata."), std::string::npos);
  EXPECT_EQ(count("1 = 1"), 0) << "answered No, yet saved";
  control<hostkit::HeadlessTextEdit>("TXT_ALTETIC").type("99");
  bool closed = false;
  session().runtime().setModalDriver("FRMPD_SALVAPERS", [&](hostkit::HeadlessWindow& w) {
    auto& s = w.headlessControls();
    s.find<hostkit::HeadlessTextEdit>("TXT_Codice")->type("AB");
    s.find<hostkit::HeadlessTextEdit>("TXT_Titolo")->type("Prima");
    s.find<hostkit::HeadlessButton>("CMD_SALVA")->click();
    closed = !w.isShown();
  });
  control<hostkit::HeadlessButton>("CMD_Personalizza").click();
  EXPECT_TRUE(closed) << "the save form stayed open after saving";
  EXPECT_EQ(count("PD45_CODICE = 'AB'"), 37);
  ASSERT_FALSE(session().messages().statuses().empty());
  EXPECT_EQ(session().messages().statuses().back(), "Personalizzazione AB salvata.");
}

TEST_P(Layouts, AFailedReplacementLeavesTheOldLayoutWhole) {
  open();
  save("AB", "Prima");
  // A row the database refuses: the new layout's 36th line.
  editorLines().moveLast();
  editorLines().setValue("PD45_DATAFIELD", Value("RIFIUTATO"));
  editorLines().update();
  if (GetParam() == "sqlite") {
    sql("CREATE TRIGGER PD45_NO BEFORE INSERT ON PD45_CONFIGETICH WHEN NEW.PD45_DATAFIELD = 'RIFIUTATO' "
        "BEGIN SELECT RAISE(ABORT, 'rifiutato'); END");
  } else {
    sql("ALTER TABLE PD45_CONFIGETICH ADD CONSTRAINT PD45_NO CHECK (PD45_DATAFIELD <> 'RIFIUTATO')");
  }
  save("AB", "Seconda");
  EXPECT_EQ(count("PD45_CODICE = 'AB'"), 37);
  EXPECT_EQ(count("PD45_TITOLO = 'PRIMA'"), 37);
  // The database's own words, in the catalogue's sentence.
  EXPECT_EQ(shownNumbers().back(), 900002);
  const std::string frame = "La personalizzazione non è stata salvata:\r\n";
  const std::string& shown = session().messages().shown().back().text;
  EXPECT_EQ(shown.rfind(frame, 0), 0u) << shown;
  EXPECT_GT(shown.size(), frame.size()) << shown;
}

TEST_P(Layouts, ACodeWithAQuoteFindsReplacesAndDeletesOnlyItsOwnRows) {
  open();
  save("O", "Semplice");
  save("O'B", "Apice");
  EXPECT_EQ(count("PD45_CODICE = 'O''B'"), 37);
  save("O'B", "Apice due");
  EXPECT_EQ(count("PD45_TITOLO = 'APICE DUE'"), 37);
  EXPECT_EQ(count("PD45_CODICE = 'O'"), 37);
  // Loading it into the editor takes its rows only.
  auto& selector = control<hostkit::HeadlessCombo>("CMB_Personal");
  selector.chooseText("APICE DUE");
  data::Recordset& lines = editorLines();
  EXPECT_EQ(lines.recordCount(), 36);
  lines.moveFirst();
  lines.setValue("PD45_CAMPO", Value("MODIFICATO"));
  lines.update();
  onSaveForm([&](hostkit::HeadlessControlHost& s) {
    auto& grid = *s.find<hostkit::HeadlessGrid>("QGRID_SEL");
    // Typing an existing code finds its row and shows its title.
    auto& code = *s.find<hostkit::HeadlessTextEdit>("TXT_Codice");
    code.type("O'B");
    code.leave();
    EXPECT_EQ(s.find<hostkit::HeadlessTextEdit>("TXT_Titolo")->text(), "APICE DUE");
    ASSERT_NE(grid.dataSource(), nullptr);
    data::Recordset& list = *grid.dataSource();
    int64_t position = 0;
    for (list.moveFirst(); !list.eof(); list.moveNext()) {
      ++position;
      if (toText(list.value("PD45_CODICE"), RegionalSettings::italian()) == "O'B       ") break;
    }
    grid.selectRow(position);
    s.find<hostkit::HeadlessButton>("CMD_ELIMINA")->click();
    // The editor is back on the default layout, in the rows this form holds: saving now
    // stores the default lines, not the deleted layout's edited ones.
    code.type("N");
    s.find<hostkit::HeadlessTextEdit>("TXT_Titolo")->type("Nuovo");
    s.find<hostkit::HeadlessButton>("CMD_SALVA")->click();
  });
  EXPECT_EQ(count("PD45_CODICE = 'O''B'"), 0);
  EXPECT_EQ(count("PD45_CODICE = 'O'"), 37);
  EXPECT_EQ(count("PD45_CODICE = 'N'"), 37);
  EXPECT_EQ(count("PD45_CAMPO = 'MODIFICATO'"), 0);
  EXPECT_EQ(&editorLines(), &lines);
}

TEST_P(Layouts, TheDefaultChosenWhileTheSelectionFormIsOpenIsWhatPrints) {
  open();
  save("AB", "Prima");
  editorLines().moveFirst();
  editorLines().setValue("PD45_CAMPO", Value("MODIFICATO"));
  editorLines().update();
  control<hostkit::HeadlessQueryFilter>("KVX_ADVQ").setRow("Numero doc.", "1", "1");
  control<hostkit::HeadlessButton>("CMD_Esegui").click();
  hostkit::HeadlessWindow* selection = session().window("FRMPD_MODSELEZ");
  ASSERT_NE(selection, nullptr);
  control<hostkit::HeadlessCombo>("CMB_Personal").selectIndex(0);
  selection->headlessControls().find<hostkit::HeadlessButton>("CmdExec")->click();
  const std::string labels = testing::readFile(labelsFile());
  EXPECT_NE(labels.find("Numero ordine"), std::string::npos) << labels;
  EXPECT_EQ(labels.find("MODIFICATO"), std::string::npos);
}

TEST_P(Layouts, LoadedLayoutsBindTheirSizesToTheHeaderRow) {
  open();
  control<hostkit::HeadlessTextEdit>("TXT_ALTETIC").type("40");
  save("AB", "Prima");
  auto& height = control<hostkit::HeadlessTextEdit>("TXT_ALTETIC");
  control<hostkit::HeadlessCombo>("CMB_Personal").selectIndex(0);
  EXPECT_EQ(height.text(), "0");
  EXPECT_EQ(editorLines().recordCount(), 36);
  control<hostkit::HeadlessCombo>("CMB_Personal").selectIndex(1);
  EXPECT_EQ(height.text(), "40");
  // An edit of a size goes to the stored header row.
  height.type("42");
  control<hostkit::HeadlessCombo>("CMB_Personal").selectIndex(0);
  EXPECT_EQ(count("PD45_PROGRIGA = 0 AND PD45_HEIGHT = 42"), 1);
}

// When the selection form closes, the sizes show again what the loaded layout holds: a distance
// typed finer than the layout keeps it reads as the layout keeps it.
TEST_P(Layouts, TheDistanceIsRefilledWhenTheSelectionFormCloses) {
  open();
  control<hostkit::HeadlessTextEdit>("TXT_SALTO").type("5");
  save("AB", "Prima");
  control<hostkit::HeadlessCombo>("CMB_Personal").selectIndex(1);
  auto& distance = control<hostkit::HeadlessTextEdit>("TXT_SALTO");
  distance.type("7,126");
  control<hostkit::HeadlessQueryFilter>("KVX_ADVQ").setRow("Numero doc.", "1", "5");
  control<hostkit::HeadlessButton>("CMD_Esegui").click();
  ASSERT_NE(session().window("FRMPD_MODSELEZ"), nullptr);
  session().window("FRMPD_MODSELEZ")->form().requestClose();
  EXPECT_EQ(distance.text(), "7,13");
}

// Two workstations creating the same new code: the one that comes second is told so once, and
// the layout of the first one stays whole.
TEST_P(Layouts, ANewCodeSavedElsewhereMeanwhileIsToldOnce) {
  open();
  onSaveForm([&](hostkit::HeadlessControlHost& s) {
    s.find<hostkit::HeadlessTextEdit>("TXT_Codice")->type("NUOVO");
    s.find<hostkit::HeadlessTextEdit>("TXT_Titolo")->type("Mia");
    const ProcessResult other =
        runProcess(BRISKAL_BIN, {"--db", target_, "--yes", "layouts", "save", "nuovo", "--title", "Sua"});
    ASSERT_EQ(other.exitCode, 0) << other.err;
    s.find<hostkit::HeadlessButton>("CMD_SALVA")->click();
  });
  EXPECT_EQ(count("PD45_CODICE = 'NUOVO' AND PD45_PROGRIGA = 0 AND PD45_TITOLO = 'SUA'"), 1);
  EXPECT_EQ(count("PD45_CODICE = 'NUOVO'"), 37);
  const auto& shown = session().messages().shown();
  const auto told =
      std::find_if(shown.begin(), shown.end(), [](const auto& m) { return m.number == 900001; });
  ASSERT_NE(told, shown.end());
  EXPECT_EQ(
      told->text,
      "Un'altra postazione ha appena salvato la personalizzazione NUOVO: salvare di nuovo per sostituirla.");
  EXPECT_EQ(std::count_if(shown.begin(), shown.end(), [](const auto& m) { return m.number == 900001; }), 1);
}

// A replacement that another workstation's delete overtook fails with the database's words,
// and the save form does not report it as done.
TEST_P(Layouts, AReplacementOvertakenByADeleteFails) {
  open();
  save("AB", "Prima");
  onSaveForm([&](hostkit::HeadlessControlHost& s) {
    s.find<hostkit::HeadlessTextEdit>("TXT_Codice")->type("AB");
    s.find<hostkit::HeadlessTextEdit>("TXT_Codice")->leave();
    s.find<hostkit::HeadlessTextEdit>("TXT_Titolo")->type("Seconda");
    const ProcessResult other =
        runProcess(BRISKAL_BIN, {"--db", target_, "--yes", "layouts", "delete", "ab"});
    ASSERT_EQ(other.exitCode, 0) << other.err;
    s.find<hostkit::HeadlessButton>("CMD_SALVA")->click();
    EXPECT_FALSE(session().window("FRMPD_SALVAPERS")->form().property("Succeeded").asBool());
  });
  EXPECT_EQ(session().messages().shown().back().buttons & 48, 48);  // the database's error, as a warning
  EXPECT_EQ(session().messages().shown().back().number, 900002);
  EXPECT_EQ(count("PD45_CODICE = 'AB'"), 0);
}

TEST_P(Layouts, SeveralWorkstationsSavingAtOnceNeverShareANumber) {
  constexpr int kWorkstations = 6;
  std::vector<std::thread> workstations;
  std::vector<ProcessResult> results(kWorkstations);
  for (int i = 0; i < kWorkstations; ++i) {
    workstations.emplace_back([&, i] {
      // Codes typed in lower case, stored in capitals.
      results[static_cast<size_t>(i)] = runProcess(
          BRISKAL_BIN,
          {"--db", target_, "--yes", "layouts", "save", "p" + std::to_string(i), "--title", "Postazione"});
    });
  }
  for (auto& w : workstations) w.join();
  for (const auto& r : results) EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(count("PD45_PROGRIGA = 0 AND PD45_CODICE LIKE 'P%'"), kWorkstations);
  EXPECT_EQ(count("PD45_PROGRIGA <> 0"), 36 * kWorkstations);
  auto distinct =
      sql("SELECT COUNT(DISTINCT PD45_PROGRIGA) AS N FROM PD45_CONFIGETICH WHERE PD45_PROGRIGA <> 0");
  EXPECT_EQ(toInt64(distinct.rows->cells[0], RegionalSettings::english()), 36 * kWorkstations);
}

INSTANTIATE_TEST_SUITE_P(Databases, Layouts, ::testing::Values("sqlite", "postgresql"), backendTestName);

}  // namespace
}  // namespace briskal::testing
