// Printing from the selection form: the scratch table of composed texts, the report run's
// formulas and sections, and the customisable print support.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "common/convert.h"
#include "component/component_fixture.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/labelprinter/headless_label_printer.h"
#include "support/database_backends.h"

namespace briskal::testing {
namespace {

using hostkit::AnswerPolicy;

// Records what the component tells the report service, and raises BeforePrintReport with an
// engine that records formulas and sections.
struct Recorded {
  std::map<std::string, std::string> formulas;
  std::map<std::string, int32_t> heights;
  std::vector<std::string> suppressed;
  std::string templateFile;
  std::string dataSource;
  int64_t supportRecords = -1;
  int runs = 0;
};

class RecordingEngine final : public host::ReportEngine {
 public:
  explicit RecordingEngine(Recorded& r) : r_(r) {}
  void setFormula(const std::string& name, const std::string& text) override { r_.formulas[name] = text; }
  void setSectionHeight(const std::string& section, int32_t twips) override { r_.heights[section] = twips; }
  void suppressSection(const std::string& section, bool) override { r_.suppressed.push_back(section); }
  void refresh(const std::string&) override {}

 private:
  Recorded& r_;
};

class RecordingReportService final : public host::ReportService {
 public:
  RecordingReportService(Recorded& r, bool header, bool limits, bool notes)
      : r_(r), header_(header), limits_(limits), notes_(notes) {}
  void setGlobalContext(host::Cinterface*) override {}
  void setClassName(const std::string&) override {}
  void setOwner(const std::string&) override {}
  void setTitle(const std::string&) override {}
  void setTemplate(const std::string& file) override { r_.templateFile = file; }
  void setTemplateFolder(const std::filesystem::path&) override {}
  void setPreview(bool) override {}
  void setLogon(const std::string&, const std::string&, const std::string&, const std::string&) override {}
  void setDataSource(const std::string& sql) override { r_.dataSource = sql; }
  void setDataRecordset(data::Recordset* rs) override { r_.supportRecords = rs->recordCount(); }
  void setHostValue(const Value&) override {}
  void onBeforePrintReport(std::function<void(host::ReportEngine&)> handler) override {
    handler_ = std::move(handler);
  }
  void start() override {
    RecordingEngine engine(r_);
    handler_(engine);
    ++r_.runs;
  }
  bool completed() const override { return true; }
  void release() override {}
  bool printHeader() const override { return header_; }
  bool printLimits() const override { return limits_; }
  bool printNotes() const override { return notes_; }
  std::string performedBy() const override { return "Mario Rossi"; }
  std::string addressedTo() const override { return "Magazzino"; }
  std::string notes() const override { return "Urgente"; }

 private:
  Recorded& r_;
  std::function<void(host::ReportEngine&)> handler_;
  bool header_, limits_, notes_;
};

class Printing : public ComponentTest {
 protected:
  hostkit::HeadlessWindow* run(const std::string& from, const std::string& to, int labelType = 0,
                               const std::string& distance = "", bool header = true, bool limits = true,
                               bool notes = false) {
    start(AnswerPolicy::yes());
    session().runtime().setReportServiceFactory([this, header, limits, notes] {
      return std::make_unique<RecordingReportService>(recorded_, header, limits, notes);
    });
    session().showParameterForm();
    control<hostkit::HeadlessQueryFilter>("KVX_ADVQ").setRow("Numero doc.", from, to);
    control<hostkit::HeadlessCombo>("CMB_TipoEtichetta").choose(labelType);
    control<hostkit::HeadlessCombo>("CMB_TipoQuantità").choose(2);
    control<hostkit::HeadlessTextEdit>("TXT_NumEtichette").type("2");
    control<hostkit::HeadlessButton>("CMD_ImpostaEtich").click();
    if (labelType == 0) {
      control<hostkit::HeadlessTextEdit>("TXT_SALTO").type(distance);
      control<hostkit::HeadlessButton>("CMD_Esegui").click();
    }
    return session().window("FRMPD_MODSELEZ");
  }
  void print(hostkit::HeadlessWindow& w) {
    w.headlessControls().find<hostkit::HeadlessButton>("CmdExec")->click();
  }
  int64_t scratchRows(const std::string& where = "1 = 1") {
    data::Connection cn;
    cn.setConnectionString("Data Source=" + databaseFile());
    cn.open();
    auto r = cn.execute("SELECT COUNT(*) AS N FROM PD46_RPTETICHETTE WHERE " + where);
    return toInt64(r.rows->cells[0], RegionalSettings::english());
  }
  void sql(const std::string& statement) {
    data::Connection cn;
    cn.setConnectionString("Data Source=" + databaseFile());
    cn.open();
    cn.execute(statement);
  }
  Recorded recorded_;
};

TEST_F(Printing, StandardLabelsAreComposedIntoTheWorkstationsOwnRows) {
  sql("DELETE FROM PD46_RPTETICHETTE");
  sql("INSERT INTO PD46_RPTETICHETTE VALUES ('ALTRA', 1, 'g', 'altro', 'di un altro')");
  hostkit::HeadlessWindow* w = run("1", "3", 0, "25");
  ASSERT_NE(w, nullptr);
  data::Recordset& rows =
      *w->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1")->dataSource();
  const int64_t labels = rows.recordCount();
  print(*w);
  EXPECT_EQ(recorded_.runs, 1);
  EXPECT_EQ(recorded_.templateFile, "CRPD_BRISKLAB.RPT");
  EXPECT_NE(recorded_.dataSource.find("ORDER BY PD46_PROGETICH"), std::string::npos) << recorded_.dataSource;
  EXPECT_EQ(scratchRows("PD46_UTENTE_FW07 = 'admin'"), labels);
  EXPECT_EQ(scratchRows("PD46_UTENTE_FW07 = 'altro'"), 1);  // another workstation's run is left alone
  // The grid gets its rows back, unfiltered.
  EXPECT_EQ(rows.filter(), "");
  EXPECT_EQ(w->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1")->dataSource(), &rows);
  // Formulas and sections.
  EXPECT_EQ(recorded_.formulas["DITTA"], "1");
  EXPECT_EQ(recorded_.formulas["RAGSOC"], "Officine Meccaniche Brambilla S.p.A.");  // company 1's own name
  EXPECT_EQ(recorded_.heights["Db"], 1418);  // 25 mm: 1417.5 twips, the half to the even neighbour
  EXPECT_EQ(recorded_.formulas["DANUMERODOC"], "1");
  EXPECT_EQ(recorded_.formulas["ANUMERODOC"], "3");
  EXPECT_EQ(recorded_.formulas["QUANTITAPERETIC"], "Quantita' personalizzabile");
  EXPECT_EQ(recorded_.formulas["NUMEROETICHETTE"], "2");
  EXPECT_EQ(recorded_.formulas.count("BARCODE"), 0u);  // left as the template has it
  EXPECT_EQ(recorded_.formulas["NOTE"], "");
  EXPECT_TRUE(recorded_.suppressed.empty());
}

// A user code typed with a trailing blank is the same user: its labels are written and read
// back under one form of the code, and another user's are left alone.
TEST_F(Printing, AUserCodeWithATrailingBlankIsTheSameUser) {
  sql("DELETE FROM PD46_RPTETICHETTE");
  sql("INSERT INTO PD46_RPTETICHETTE VALUES ('ALTRA', 1, 'g', 'mario', 'di mario')");
  userCode_ = "admin ";
  hostkit::HeadlessWindow* w = run("1", "2");
  ASSERT_NE(w, nullptr);
  print(*w);
  EXPECT_GT(scratchRows("PD46_UTENTE_FW07 = 'admin'"), 0);
  EXPECT_EQ(scratchRows("PD46_UTENTE_FW07 <> 'admin' AND PD46_UTENTE_FW07 <> 'mario'"), 0);
  EXPECT_EQ(scratchRows("PD46_UTENTE_FW07 = 'mario'"), 1);
}

TEST_F(Printing, ARunThatFailsLeavesThePreviousRunWhole) {
  sql("DELETE FROM PD46_RPTETICHETTE");
  hostkit::HeadlessWindow* w = run("1", "2");
  ASSERT_NE(w, nullptr);
  print(*w);
  const int64_t before = scratchRows();
  ASSERT_GT(before, 3);
  sql("CREATE TRIGGER PD46_NO BEFORE INSERT ON PD46_RPTETICHETTE WHEN NEW.PD46_PROGETICH = 3 "
      "BEGIN SELECT RAISE(ABORT, 'rifiutato'); END");
  print(*w);
  sql("DROP TRIGGER PD46_NO");
  EXPECT_EQ(scratchRows(), before);
  EXPECT_NE(logText().find("ImpostaDatiEtichetta"), std::string::npos);
  // Nothing is printed from the previous run's rows, and the grid gets its rows back.
  EXPECT_EQ(recorded_.runs, 1);
  EXPECT_NE(w->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1")->dataSource(), nullptr);
}

TEST_F(Printing, SectionsAndNotesFollowTheServicesOptions) {
  hostkit::HeadlessWindow* w = run("1", "2", 0, "", true, false, false);
  ASSERT_NE(w, nullptr);
  print(*w);
  EXPECT_EQ(recorded_.heights["Db"], 0);
  EXPECT_EQ(recorded_.suppressed, std::vector<std::string>{"RH"});  // header on, limits and notes off
  EXPECT_EQ(recorded_.formulas["BARCODE"], "");
  EXPECT_EQ(recorded_.formulas["DANUMERODOC"], "");
}

TEST_F(Printing, NoSelectedRowIsToldAndNothingIsWritten) {
  sql("DELETE FROM PD46_RPTETICHETTE");
  hostkit::HeadlessWindow* w = run("1", "2");
  ASSERT_NE(w, nullptr);
  data::Recordset& rows =
      *w->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1")->dataSource();
  for (rows.moveFirst(); !rows.eof(); rows.moveNext()) rows.setValue("SELEZIONE", Value("0"));
  print(*w);
  EXPECT_EQ(shownNumbers().back(), 64770);
  EXPECT_EQ(scratchRows(), 0);
  EXPECT_EQ(recorded_.runs, 0);
  EXPECT_EQ(w->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1")->dataSource(), &rows);
}

// An order line that the view returns once per cycle detail still gives each selected label
// once.
TEST_F(Printing, CustomisableLabelsPrintEachSelectedLabelOnce) {
  data::Connection cn;
  cn.setConnectionString("Data Source=" + databaseFile());
  cn.open();
  const auto twice = cn.execute(
      "SELECT DO11_NUMDOC FROM VDO11_BRISKAL WHERE DO11_DITTA_CG18 = 1 AND DO11_TIPODOC = 24 "
      "GROUP BY DO11_NUMDOC, DO11_NUMREG_CO99, DO30_PROGRIGA HAVING COUNT(*) > 1");
  ASSERT_TRUE(twice.rows && twice.rows->rowCount > 0) << "the demo has no line with two cycle details";
  const std::string order = toText(twice.rows->cells[0], RegionalSettings::italian());
  hostkit::HeadlessWindow* w = run(order, order, 1);
  ASSERT_NE(w, nullptr);
  print(*w);
  EXPECT_EQ(recorded_.templateFile, "CRPD_BRISKLABPERS.rpt");
  data::Recordset& rows =
      *w->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1")->dataSource();
  rows.setFilter("SELEZIONE = '1'");
  EXPECT_EQ(recorded_.supportRecords, rows.recordCount());
  EXPECT_EQ(recorded_.formulas["CodiceDitta"], "1");
  EXPECT_EQ(recorded_.formulas["RagioneSociale"], "Officine Meccaniche Brambilla S.p.A.");
  EXPECT_EQ(recorded_.formulas["PaginaIniziale"], "False");
}

// A label the print support cannot hold stops a customisable run whole: the person is shown why,
// neither the report nor the label printer gets a part of the labels, and the grid gets its rows
// back on the row it stood on.
TEST_F(Printing, ALabelThePrintSupportCannotHoldStopsTheRunAndIsShown) {
  hostkit::HeadlessWindow* w = run("1", "3", 1);
  ASSERT_NE(w, nullptr);
  auto& grid = *w->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1");
  data::Recordset& rows = *grid.dataSource();
  grid.selectRow(4);
  rows.setValue("QTASUETICH", Value("abc"));
  rows.update();
  const Value id = rows.value("IDGRIGLIA");
  const RegionalSettings& it = RegionalSettings::italian();
  const std::string label = "Label of order " + toText(rows.value("DO11_NUMDOC"), it) + " line " +
                            toText(rows.value("DO30_PROGRIGA"), it) + ": ";
  const std::string labelFile = temporaryFolder() + "/refused.epl";
  std::filesystem::remove(labelFile);
  session().runtime().setLabelPrinterFactory([&] {
    return std::make_unique<hostkit::labelprinter::HeadlessLabelPrinter>(
        labelFile, [](const data::Recordset&, const hostkit::report::RunSettings&) {
          return [] { return hostkit::report::Page{100, 50, {}}; };
        });
  });
  const auto& shown = session().messages().shown();
  for (const char* button : {"CmdExec", "CMD_EPL"}) {
    const size_t boxes = shown.size();
    w->headlessControls().find<hostkit::HeadlessButton>(button)->click();
    ASSERT_EQ(shown.size(), boxes + 1) << button;
    EXPECT_NE(shown.back().text.find("AlimentaSupportoStampaPersonalizzata"), std::string::npos)
        << shown.back().text;
    EXPECT_NE(shown.back().text.find(label), std::string::npos) << shown.back().text;
    EXPECT_EQ(grid.dataSource(), &rows) << button;
    EXPECT_EQ(rows.value("IDGRIGLIA"), id) << button;
  }
  EXPECT_EQ(recorded_.runs, 0);
  EXPECT_FALSE(std::filesystem::exists(labelFile));
}

// Every kind of run gives the operator back the label row they stood on.
TEST_F(Printing, ARunKeepsTheCurrentLabelRow) {
  for (const int labelType : {0, 1}) {
    hostkit::HeadlessWindow* w = run("1", "3", labelType);
    ASSERT_NE(w, nullptr);
    auto& grid = *w->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1");
    grid.selectRow(5);
    const Value id = grid.dataSource()->value("IDGRIGLIA");
    print(*w);
    EXPECT_EQ(grid.dataSource()->value("IDGRIGLIA"), id) << labelType;
    if (labelType == 1) {
      session().runtime().setLabelPrinterFactory([] {
        return std::make_unique<hostkit::labelprinter::HeadlessLabelPrinter>(
            temporaryFolder() + "/row.epl", [](const data::Recordset&, const hostkit::report::RunSettings&) {
              return [] { return hostkit::report::Page{100, 50, {}}; };
            });
      });
      w->headlessControls().find<hostkit::HeadlessButton>("CMD_EPL")->click();
      EXPECT_EQ(grid.dataSource()->value("IDGRIGLIA"), id);
    }
  }
}

// The host names the company it works for as its company table does, and refuses one it does
// not know before any form opens.
TEST_F(Printing, TheCompanyIsTheOneChosenAsTheDatabaseNamesIt) {
  hostkit::SessionOptions options = sessionOptions("Data Source=" + databaseFile());
  options.settings.company = Value(int32_t{2});
  EXPECT_EQ(hostkit::HostSession(options).global().companyName(), Value("Brambilla Carpenterie S.r.l."));
  options.settings.company = Value(int32_t{9});
  try {
    hostkit::HostSession unknown(options);
    FAIL() << "company 9 was accepted";
  } catch (const Error& e) {
    EXPECT_EQ(e.description(), "There is no company 9 in the database");
  }
}

}  // namespace
}  // namespace briskal::testing
