// The briskal command line run as a person or a script would run it.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "cli/briskal_binary.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

class CommandLine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    db_ = testing::temporaryFolder() + "/demo.db";
    const auto made = runProcess(kBriskal, {"demo-db", "--out", db_, "--orders", "400", "--seed", "7"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  static testing::ProcessResult sql(const std::string& statement, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--db", "Data Source=" + db_};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("sql");
    args.push_back(statement);
    return runProcess(kBriskal, args);
  }
  static std::string db_;
};

std::string CommandLine::db_;

TEST_F(CommandLine, SqlPrintsMachineReadableRows) {
  const auto r = sql(
      "SELECT DO11_NUMDOC, DO30_QTA1, DO30_DESCART, DO11_DATADOC, DO30_UM2 FROM VDO11_BRISKAL WITH (NOLOCK) "
      "WHERE ISNULL(DO31_FLGNONPIUEV,0) = 0 ORDER BY DO30_NUMREG_CO99, DO30_PROGRIGA");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string header = r.out.substr(0, r.out.find("\r\n"));
  EXPECT_EQ(header, "DO11_NUMDOC,DO30_QTA1,DO30_DESCART,DO11_DATADOC,DO30_UM2");
  const std::string first =
      r.out.substr(header.size() + 2, r.out.find("\r\n", header.size() + 2) - header.size() - 2);
  // A quantity keeps its three decimals with a point, a date is ISO.
  EXPECT_TRUE(std::regex_search(first, std::regex(R"(^\d+,-?\d+\.\d{3},.*,2026-\d\d-\d\d,)"))) << first;
}

TEST_F(CommandLine, SqlReportsRowsAffectedAndTables) {
  auto r = sql("DELETE FROM PD46_RPTETICHETTE");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "0\n");
  r = sql("SELECT 1.5 AS A, 'x' AS B", {"--format", "table", "--locale", "it"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("1,5"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("(1 row)"), std::string::npos) << r.out;
}

// A run that succeeds prints what was asked on standard output; one that fails prints nothing
// there, says why on standard error and exits 1.
TEST_F(CommandLine, ErrorsAreClearAndSetTheExitStatus) {
  const std::string db = "Data Source=" + db_;
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string said;  // found in standard output on success, in standard error on failure
  };
  const Case cases[] = {
      {{"--db", db, "sql", "SELECT NOPE FROM VDO11_BRISKAL"}, 1, "NOPE"},
      {{"--db", db, "sql", "  "}, 1, "briskal: The statement is empty\n"},
      {{"demo-db", "--out", db_}, 1, "--force"},
      {{"--yes", "--db", db, "--company", "9", "rows"},
       1,
       "briskal: There is no company 9 in the database\n"},
      {{"--db", db, "--help"}, 0, "demo-db"},
      {{"sql", "--help"}, 0, "STATEMENT"},
  };
  for (const Case& c : cases) {
    const auto r = runProcess(kBriskal, c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.said << "\n" << r.err;
    if (c.exitCode == 0) {
      EXPECT_NE(r.out.find(c.said), std::string::npos) << r.out;
    } else {
      EXPECT_EQ(r.out, "") << c.said;
      EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
  }
}

// The component failing is a failure, with the lines it logged; the lines then join the shared log,
// which lies in the temporary folder of the programs the tests run.
TEST_F(CommandLine, AComponentFailureIsAFailureWithWhatItLogged) {
  const std::filesystem::path shared =
      std::filesystem::path(testing::processTemporaryFolder()) / "briskal" / "briskal.log";
  std::error_code none;
  const std::uintmax_t before =
      std::filesystem::exists(shared) ? std::filesystem::file_size(shared, none) : 0;
  const std::string refusing = testing::temporaryFolder() + "/refusing.db";
  std::filesystem::copy_file(db_, refusing, std::filesystem::copy_options::overwrite_existing);
  ASSERT_EQ(runProcess(kBriskal, {"--db", "Data Source=" + refusing, "sql",
                                  "CREATE TRIGGER PD46_NO BEFORE INSERT ON PD46_RPTETICHETTE "
                                  "BEGIN SELECT RAISE(ABORT, 'scrittura rifiutata'); END"})
                .exitCode,
            0);
  const std::string texts = testing::temporaryFolder() + "/refused.txt";
  const auto r = runProcess(
      kBriskal, {"--db", "Data Source=" + refusing, "print", "--where", "Numero doc.=1", "--out", texts});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("scrittura rifiutata"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ImpostaDatiEtichetta"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(texts));
  EXPECT_GT(std::filesystem::file_size(shared, none), before);
}

// A database that is not there is not created; one that is no database, or lacks the work-order
// tables, is named with what is wrong: one sentence, exit 1, for every command that reads one.
TEST_F(CommandLine, AMissingOrForeignDatabaseIsOneClearSentence) {
  const std::string folder = testing::temporaryFolder();
  const std::string missing = folder + "/missing.db";
  const std::string create = "; create the demo database with: briskal demo-db --out ";
  const std::vector<std::vector<std::string>> commands = {
      {"rows"}, {"query"}, {"layouts", "list"}, {"print", "--out", folder + "/x.pdf"}, {"sql", "SELECT 1"}};
  for (const auto& command : commands) {
    std::vector<std::string> args = {"--yes", "--db", "Data Source=" + missing};
    args.insert(args.end(), command.begin(), command.end());
    const auto r = runProcess(kBriskal, args);
    EXPECT_EQ(r.exitCode, 1) << command[0];
    EXPECT_EQ(r.err, "briskal: There is no database " + missing + create + missing + "\n") << command[0];
    EXPECT_FALSE(std::filesystem::exists(missing)) << command[0];
  }
  const std::string notes = folder + "/notes.db";
  { std::ofstream(notes) << "not a database at all"; }
  auto r = runProcess(kBriskal, {"--yes", "--db", "Data Source=" + notes, "rows"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "briskal: " + notes + " is not a database" + create + notes + "\n");
  const std::string other = folder + "/other.db";
  { std::ofstream touch(other); }
  ASSERT_EQ(runProcess(kBriskal,
                       {"--db", "Data Source=" + other, "sql", "CREATE TABLE CG18_DITTE (CG18_DITTA INT)"})
                .exitCode,
            0);
  r = runProcess(kBriskal, {"--yes", "--db", "Data Source=" + other, "rows"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "briskal: The database " + other +
                " is not a work-order database: it lacks VDO11_BRISKAL, VFILTROSTATI, CO5L_ATTRIBUTIDEN, "
                "PD45_CONFIGETICH, PD46_RPTETICHETTE" +
                create + other + "\n");
}

// --db takes a file's path, as demo-db --out does, as well as a connection string; a path holding
// the characters of a connection string is still a path.
TEST_F(CommandLine, ADatabaseIsNamedByItsPathOrByAConnectionString) {
  const std::string folder = testing::temporaryFolder();
  const std::string odd = folder + "/a=b;c.db";
  const auto made = runProcess(kBriskal, {"demo-db", "--out", odd, "--orders", "20"});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  for (const std::string& db : {db_, odd, "Data Source=" + db_, " data source = " + db_ + " ;"}) {
    const auto r = runProcess(kBriskal, {"--db", db, "--format", "csv", "rows", "--where", "Numero doc.=1"});
    EXPECT_EQ(r.exitCode, 0) << db << ": " << r.err;
    EXPECT_EQ(r.out.rfind("SELEZIONE,", 0), 0u) << db;
  }
  const std::string missing = folder + "/missing.db";
  auto r = runProcess(kBriskal, {"--db", missing, "rows"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("briskal: There is no database " + missing + ";", 0), 0u) << r.err;
  EXPECT_FALSE(std::filesystem::exists(missing));
  // Made by demo-db from the same path.
  r = runProcess(kBriskal, {"--db", missing, "demo-db", "--orders", "5"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(runProcess(kBriskal, {"--db", missing, "--yes", "query"}).exitCode, 0);
  // Key=value pairs without a database in them are a connection string that names none.
  r = runProcess(kBriskal, {"--db", "Server=localhost;Database=labels", "rows"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("names no database"), std::string::npos) << r.err;
}

// A damaged file, or a folder where the database should be, fails every command that reads it
// with the cause on standard error.
TEST_F(CommandLine, ADamagedOrUnopenableDatabaseFailsWithItsCause) {
  const std::string folder = testing::temporaryFolder();
  const std::string truncated = folder + "/truncated.db";
  std::filesystem::copy_file(db_, truncated);
  std::filesystem::resize_file(truncated, std::filesystem::file_size(truncated) / 3);
  std::filesystem::create_directory(folder + "/folder.db");
  for (const std::string& db : {truncated, folder + "/folder.db"}) {
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"rows", "--where", "Numero doc.=1..400"},
             {"layouts", "list"},
             {"print", "--where", "Numero doc.=1..400", "--out", folder + "/x.pdf"}}) {
      std::vector<std::string> args = {"--yes", "--db", "Data Source=" + db};
      args.insert(args.end(), command.begin(), command.end());
      const auto r = runProcess(kBriskal, args);
      EXPECT_EQ(r.exitCode, 1) << db << " " << command[0] << ": " << r.err;
      const std::string cause = db == truncated ? "briskal: the database file " + db + " is damaged"
                                                : "briskal: The database " + db + " cannot be opened";
      EXPECT_EQ(r.err.rfind(cause, 0), 0u) << command[0] << ": " << r.err;
      EXPECT_FALSE(std::filesystem::exists(folder + "/x.pdf"));
    }
  }
}

// Typing slips get the nearest command or option and the help of the command being typed;
// help and the version are there to ask for.
TEST_F(CommandLine, UsageErrorsPointToWhatWasMeant) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
    std::string usage;
  };
  const Case cases[] = {
      {{"pirnt"},
       "briskal: unknown command 'pirnt'; did you mean print?",
       "Usage: briskal [OPTIONS] SUBCOMMAND"},
      {{"print", "--otu", "x.pdf"},
       "briskal: unknown option '--otu'; did you mean --out?",
       "Usage: briskal print [OPTIONS]"},
      {{"layouts", "shwo", "AB"},
       "briskal: unknown command 'shwo'; did you mean show?",
       "Usage: briskal layouts [OPTIONS]"},
      {{"--compnay", "2", "rows"},
       "briskal: unknown option '--compnay'; did you mean --company?",
       "Usage: briskal [OPTIONS]"},
      {{"rows", "--basis", "box"},
       "briskal: --basis: box not in {unit,package,custom}",
       "Usage: briskal rows [OPTIONS]"},
      {{"print", "--out", "labels.doc"},
       "briskal: --out: labels.doc: the output is chosen by the file's extension, one of .pdf, .png (a page "
       "each), "
       ".epl or .zpl (label printer) or .txt (label texts)",
       "Usage: briskal print [OPTIONS]"},
      // Global options before the command, flags among them, leave the command's own messages as
      // they are without them.
      {{"--db", "Data Source=x.db", "--yes", "-q", "print", "--wher", "Numero doc.=1"},
       "briskal: unknown option '--wher'; did you mean --where?",
       "Usage: briskal print [OPTIONS]"},
      {{"--db", "Data Source=x.db", "--yes", "print", "--where", "Numero doc.=1", "--out", "x.docx"},
       "briskal: --out: x.docx: the output is chosen by the file's extension, one of .pdf, .png (a page "
       "each), .epl or .zpl (label printer) or .txt (label texts)",
       "Usage: briskal print [OPTIONS]"},
      {{"--no", "--format", "csv", "layouts", "shwo", "AB"},
       "briskal: unknown command 'shwo'; did you mean show?",
       "Usage: briskal layouts [OPTIONS]"},
      {{"help", "prnt"},
       "briskal: unknown command 'prnt'; did you mean print?",
       "Usage: briskal [OPTIONS] SUBCOMMAND"},
      {{"frobnicate"}, "briskal: unknown command 'frobnicate'", "Usage: briskal [OPTIONS] SUBCOMMAND"},
  };
  for (const Case& c : cases) {
    const auto r = runProcess(kBriskal, c.args);
    EXPECT_EQ(r.exitCode, 2) << c.args[0];
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message);
    EXPECT_NE(r.err.find(c.usage), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  auto r = runProcess(kBriskal, {"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.rfind("briskal ", 0), 0u) << r.out;
  r = runProcess(kBriskal, {"help", "layouts", "save"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Usage: briskal layouts save [OPTIONS] CODE"), std::string::npos) << r.out;
  r = runProcess(kBriskal, {"help", "print"});
  EXPECT_NE(r.out.find("--labels N "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("--no-header "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("{false}"), std::string::npos) << r.out;
}

class QueryCommand : public CommandLine {
 protected:
  static testing::ProcessResult query(std::vector<std::string> args) {
    std::vector<std::string> all = {"--db", "Data Source=" + db_};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(kBriskal, all);
  }
};

TEST_F(QueryCommand, PrintsTheQueryTheComponentComposes) {
  const std::string golden = testing::readFile(testing::goldenFile("order_line_query.sql"));
  auto r = query({"--yes", "query"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, golden + "\n");
  EXPECT_NE(r.err.find("[40011]"), std::string::npos) << r.err;
  // Another order type, the second unit and settled lines too: their conditions change.
  r = query({"--yes", "query", "--order-type", "21", "--um", "2", "--no-residual"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string expected = golden;
  expected.erase(expected.find(" AND QTAORD1 > 0 "), std::string(" AND QTAORD1 > 0 ").size());
  expected.replace(expected.find("DO11_TIPODOC = 24"), std::string("DO11_TIPODOC = 24").size(),
                   "DO11_TIPODOC = 21");
  EXPECT_EQ(r.out, expected + "\n");
}

TEST_F(QueryCommand, WithoutAFilterTheDefaultAnswerIsNo) {
  const auto r = query({"query"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("[40011] Non è stato indicato alcun filtro per l'elaborazione, proseguire comunque?"),
            std::string::npos)
      << r.err;
}

TEST_F(QueryCommand, TypedValuesAreQuotedOrRefused) {
  auto r = query({"query", "--where", "Progetto=O'Brien", "--where", "Numero doc.=1..50", "--where",
                  "Data doc.=01/01/2026..31/03/2026", "--company", "2"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("WHERE DO11_DITTA_CG18 = 2 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("(DO41_CODPROGETTO = 'O''Brien')"), std::string::npos) << r.out;
  // The query runs: on the demo database through the data layer's own command.
  const auto rows = sql(r.out.substr(0, r.out.size() - 1));
  EXPECT_EQ(rows.exitCode, 0) << rows.err;
  r = query({"query", "--where", "Numero doc.=1; DROP TABLE X"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("'1; DROP TABLE X' is not a number"), std::string::npos) << r.err;
  // A caption the filter does not have is a usage error that lists those it has.
  r = query({"query", "--where", "Nessun campo=1"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(
      r.err.rfind(
          "briskal: --where 'Nessun campo=1': there is no filter field \"Nessun campo\"; the fields are: ",
          0),
      0u)
      << r.err;
  EXPECT_NE(r.err.find("Numero doc., "), std::string::npos) << r.err;
}

TEST_F(QueryCommand, TraceLinesGoToStandardErrorOnRequest) {
  setenv("BRISKAL_TRACE", "1", 1);
  const auto r = query({"--yes", "query"});
  unsetenv("BRISKAL_TRACE");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(
      std::regex_search(r.err, std::regex(R"(QRVN:\|[0-9A-F]{32}\|INI\|DAZO_BRISKAL\|CLSPD_BRISKAL)")))
      << r.err;
  EXPECT_NE(r.err.find("|INI|DAZO_BRISKAL|FRMPD_BRISKAL"), std::string::npos);
  EXPECT_NE(r.err.find("|TER|DAZO_BRISKAL|FRMPD_MODSELEZ"), std::string::npos);
}

class RowsCommand : public QueryCommand {
 protected:
  static std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
      end = text.find("\r\n", start);
      if (end == std::string::npos) break;
      out.push_back(text.substr(start, end - start));
    }
    return out;
  }
};

TEST_F(RowsCommand, PrintsEveryFieldOfTheLabelRowsForEveryBasis) {
  const std::vector<std::string> filter = {"--where", "Numero doc.=1..40"};
  auto run = [&](std::vector<std::string> options) {
    std::vector<std::string> args = {"rows"};
    args.insert(args.end(), filter.begin(), filter.end());
    args.insert(args.end(), options.begin(), options.end());
    return query(args);
  };
  const auto custom = run({"--basis", "custom", "--labels", "2"});
  ASSERT_EQ(custom.exitCode, 0) << custom.err;
  const auto rows = lines(custom.out);
  ASSERT_GT(rows.size(), 1u);
  EXPECT_EQ(std::count(rows[0].begin(), rows[0].end(), ','), 55);
  EXPECT_EQ(rows[0].substr(0, 22), "SELEZIONE,DO11_SEZDOC,");
  size_t masters = 0;
  for (size_t i = 1; i < rows.size(); ++i) masters += rows[i].find(",M,") != std::string::npos;
  EXPECT_EQ(rows.size() - 1, 2 * masters);
  for (const auto& options : std::vector<std::vector<std::string>>{
           {"--basis", "unit"}, {"--basis", "package"}, {"--reference", "delivered"}, {"--um", "2"}}) {
    const auto r = run(options);
    EXPECT_EQ(r.exitCode, 0) << options[0] << " " << options[1] << ": " << r.err;
    EXPECT_GT(lines(r.out).size(), 1u) << options[0] << " " << options[1];
  }
}

TEST_F(RowsCommand, TableShowsTheGridColumnsWithTheirFormats) {
  const auto r = query({"--format", "table", "rows", "--where", "Numero doc.=1..5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(
      r.out.substr(r.out.find_first_not_of(' ')).rfind("ID  Sel.  Sez.  Ordine  Riga  Deposito  Articolo", 0),
      0u)
      << r.out;
  // Each row starts with the id that --toggle and --label-quantity take.
  const auto firstRow = [](const std::string& table) {
    std::istringstream text(table);
    std::string line;
    for (int n = 0; n < 3; ++n) std::getline(text, line);
    std::istringstream words(line);
    std::string id, selected;
    words >> id >> selected;
    return std::make_pair(id, selected);
  };
  const auto [id, selected] = firstRow(r.out);
  EXPECT_EQ(selected, "1") << r.out;
  const auto toggled = query({"--format", "table", "rows", "--where", "Numero doc.=1..5", "--toggle", id});
  ASSERT_EQ(toggled.exitCode, 0) << toggled.err;
  EXPECT_EQ(firstRow(toggled.out), std::make_pair(id, std::string("0"))) << toggled.out;
  EXPECT_NE(r.out.find("Qta etichetta"), std::string::npos);
  EXPECT_NE(r.out.find("1,000"), std::string::npos);
}

TEST_F(RowsCommand, NoOrderLinesIsAMessageAndAFailure) {
  const auto r = query({"rows", "--where", "Numero doc.=9999990..9999999"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("[64771] Non ci sono righe d'ordine da elaborare"), std::string::npos) << r.err;
}

TEST_F(QueryCommand, LayoutsRoundTripThroughTheForms) {
  const std::string file = testing::temporaryFolder() + "/lines.tsv";
  {
    std::ofstream out(file);
    out << "PD45_RIGA\tPD45_SEQSTP\tPD45_CAMPO\tPD45_DATAFIELD\tPD45_POSINI\tPD45_FLGLBLCAMPO\n"
        << "1\t1\tArticolo\tDO30_CODART_MG66\t0\t1\n"
        << "1\t2\tQta\tQTASUETICH\t40\t0\n"
        << "2\t1\tDescrizione\tDO30_DESCART\t0\t0\n";
  }
  // A code typed in lower case is stored in capitals, and found again however it is typed.
  auto r = query({"layouts", "save", "cli1", "--title", "Da file", "--from", file, "--height", "3", "--width",
                  "60", "--distance", "5", "--printed-qty", "residual"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "saved layout CLI1 \"DA FILE\" with 3 lines\n");
  // Listed and shown as a person reads them: the code as typed, the title, headings in words.
  r = query({"layouts", "list"});
  EXPECT_EQ(r.out.substr(0, r.out.find("\r\n")),
            "Codice,Titolo,Lunghezza,Altezza,Distanza fra etichette (mm),Quantità riportata in stampa");
  EXPECT_NE(r.out.find("\r\nCLI1,DA FILE,60.00,3.00,5.00,residual\r\n"), std::string::npos) << r.out;
  r = query({"layouts", "show", "cli1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find("\n\n")),
            "Codice\tCLI1\nTitolo\tDA FILE\nAltezza\t3\nLunghezza\t60\nDistanza fra etichette (mm)\t5\n"
            "Quantità riportata in stampa\tresidual")
      << r.out;
  EXPECT_NE(r.out.find("\n\nRiga,Seq. stampa,Campo,Campo dati,Pos. iniziale,Desc.\r\n"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("1,2,Qta,QTASUETICH,40,0"), std::string::npos) << r.out;
  r = query({"print", "--where", "Numero doc.=1..2", "--layout", "Cli1", "--out",
             testing::temporaryFolder() + "/cli1.txt"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // Replacing needs --yes: a No saves nothing and fails; the lines then are the default 36.
  r = query({"layouts", "save", "cli1", "--title", "Default", "--height", "40", "--width", "200"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("[74614]"), std::string::npos) << r.err;
  EXPECT_NE(
      sql("SELECT COUNT(*) AS N FROM PD45_CONFIGETICH WHERE PD45_CODICE = 'CLI1'").out.find("\r\n4\r\n"),
      std::string::npos);
  r = query({"--yes", "layouts", "save", "cli1", "--title", "Default", "--height", "40", "--width", "200"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(
      sql("SELECT COUNT(*) AS N FROM PD45_CONFIGETICH WHERE PD45_CODICE = 'CLI1'").out.find("\r\n37\r\n"),
      std::string::npos);
  r = query({"layouts", "check", "CLI1", "--height", "35"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "altezza insufficiente.\n");
  r = query({"layouts", "check", "default", "--width", "200"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "ok\n");
  r = query({"--yes", "layouts", "delete", "cli1"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("deleted layout CLI1\n"), std::string::npos) << r.err;
  r = query({"layouts", "show", "CLI1"});
  EXPECT_EQ(r.exitCode, 1);
  r = query({"--yes", "layouts", "delete", "cli1"});
  EXPECT_EQ(r.exitCode, 1);
  // A file with no lines is refused, saying why.
  { std::ofstream(file) << "PD45_RIGA\tPD45_CAMPO\n"; }
  r = query({"layouts", "save", "CLI2", "--title", "Vuoto", "--from", file});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no layout lines"), std::string::npos) << r.err;
}

// The headings of the layouts speak the session's language, in a table as in CSV.
TEST_F(QueryCommand, LayoutHeadingsSpeakTheSessionsLanguage) {
  ASSERT_EQ(query({"layouts", "save", "en1", "--title", "English", "--printed-qty", "ordered", "--height",
                   "40", "--width", "200"})
                .exitCode,
            0);
  auto r = query({"--locale", "en", "--format", "table", "layouts", "list"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::istringstream table(r.out);
  std::string header, rule, row;
  std::getline(table, header);
  std::getline(table, rule);
  EXPECT_TRUE(std::regex_match(
      header, std::regex("Code +Title +Width +Height +Gap between labels \\(mm\\) +Quantity printed")))
      << header;
  bool listed = false;
  while (std::getline(table, row))
    listed = listed || std::regex_match(row, std::regex("EN1 +ENGLISH .* ordered"));
  EXPECT_TRUE(listed) << r.out;
  r = query({"--locale", "en", "layouts", "show", "EN1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Code\tEN1\nTitle\tENGLISH\n", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("\nQuantity printed\tordered\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n\nLine,Print seq.,Field,Data field,Start pos.,Caption\r\n"), std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("PD45_"), std::string::npos) << r.out;
  ASSERT_EQ(query({"--yes", "layouts", "delete", "en1"}).exitCode, 0);
}

TEST_F(QueryCommand, PrintsEveryKindOfOutput) {
  const std::string folder = testing::temporaryFolder();
  const std::vector<std::string> selection = {"--where", "Numero doc.=1..3", "--basis",
                                              "custom",  "--labels",         "2"};
  auto print = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"print"};
    args.insert(args.end(), selection.begin(), selection.end());
    args.insert(args.end(), extra.begin(), extra.end());
    return query(args);
  };
  auto r = print({"--out", folder + "/labels.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string texts = testing::readFile(folder + "/labels.txt");
  EXPECT_EQ(texts.rfind(" Numero ordine: ", 0), 0u) << texts.substr(0, 80);
  EXPECT_NE(texts.find("\r\n Numero riga ordine: "), std::string::npos);
  // Captions whose numbers are shared with a message or another caption read as captions.
  EXPECT_NE(texts.find("\r\n Quantità per etichetta: "), std::string::npos);
  EXPECT_EQ(texts.find("Inserire"), std::string::npos);
  EXPECT_NE(texts.find("\r\n Via: "), std::string::npos);
  const size_t labels = static_cast<size_t>(std::count(texts.begin(), texts.end(), '\f'));
  EXPECT_GT(labels, 0u);
  EXPECT_EQ(texts.substr(texts.size() - 2), "\f\n");
  // Each run ends with one line saying what went where, unless asked to be quiet.
  const std::string count = std::to_string(labels) + " labels";
  EXPECT_EQ(r.err, "wrote the texts of " + count + " to " + folder + "/labels.txt\n");
  r = print({"--out", folder + "/labels.pdf", "--limits", "--notes", "--note-text", "Urgente"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(std::filesystem::file_size(folder + "/labels.pdf") > 1000);
  EXPECT_TRUE(
      std::regex_match(r.err, std::regex("printed " + count + " on [0-9]+ pages? to .*/labels\\.pdf\n")))
      << r.err;
  r = query({"--quiet", "print", "--where", "Numero doc.=1", "--out", folder + "/quiet.pdf"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  r = print({"--label", "custom", "--out", folder + "/labels.png"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(folder + "/labels-1.png"));
  EXPECT_TRUE(std::filesystem::exists(folder + "/labels-" + std::to_string(labels) + ".png"));
  EXPECT_EQ(r.err, "printed " + count + " on " + std::to_string(labels) + " pages to " + folder +
                       "/labels-1.png ... " + folder + "/labels-" + std::to_string(labels) + ".png\n");
  r = print({"--label", "custom", "--out", folder + "/labels.epl"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "sent " + count + " to the label printer at " + folder + "/labels.epl\n");
  const std::string stream = testing::readFile(folder + "/labels.epl");
  EXPECT_EQ(stream.rfind("\nI8,A,001\n", 0), 0u);
  EXPECT_EQ(static_cast<size_t>(std::count(stream.begin(), stream.end(), 'P') > 0), 1u);
  // The label printer names the company as the printed labels do.
  EXPECT_NE(stream.find("Officine Meccaniche Brambilla S.p.A."), std::string::npos);
  // Standard labels are refused by the selection form's own button.
  r = print({"--out", folder + "/standard.epl"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("[83848] Modalità di stampa non prevista"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(folder + "/standard.epl"));
  // A run that finds nothing to print, or rows none of which is selected (zero pieces per
  // package leaves them out), fails and leaves the earlier output as it was.
  const auto before = std::filesystem::last_write_time(folder + "/labels.pdf");
  r = query({"print", "--where", "Numero doc.=9999990..9999999", "--out", folder + "/labels.pdf"});
  EXPECT_EQ(r.exitCode, 1);
  r = query({"print", "--where", "Numero doc.=14", "--basis", "package", "--out", folder + "/labels.pdf"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("[64770]"), std::string::npos) << r.err;
  EXPECT_EQ(std::filesystem::last_write_time(folder + "/labels.pdf"), before);
  // Nothing half-written is left beside the outputs.
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".briskal-staged-")) << entry.path();
}

// A file's kind is its extension in any case, read alike by the command line and by the output it
// hands the file to; a file's name is no printer.
TEST_F(QueryCommand, AnOutputFilesExtensionCountsInAnyCase) {
  const std::string folder = testing::temporaryFolder();
  struct Case {
    std::string file;
    std::string label;
    std::string starts;  // what the file starts with
  };
  const Case cases[] = {
      {"LABELS.EPL", "custom", "\nI8,A,001\n"},
      {"Labels.Zpl", "custom", "^XA"},
      {"LABELS.PDF", "standard", "%PDF"},
      {"Labels.Txt", "standard", " Numero ordine: "},
  };
  for (const Case& c : cases) {
    const std::string out = folder + "/" + c.file;
    const auto r = query({"print", "--where", "Numero doc.=1..3", "--basis", "custom", "--labels", "1",
                          "--label", c.label, "--out", out});
    EXPECT_EQ(r.exitCode, 0) << c.file << ": " << r.err;
    EXPECT_EQ(testing::readFile(out).rfind(c.starts, 0), 0u) << c.file;
  }
  const auto r = query({"print", "--where", "Numero doc.=1", "--printer", folder + "/printer.Pdf"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.rfind("briskal: --printer: " + folder + "/printer.Pdf names a file", 0), 0u) << r.err;
  EXPECT_FALSE(std::filesystem::exists(folder + "/printer.Pdf"));
}

// A reader that goes away, as `| head` does, ends the run as such writers end: quietly, with the
// usual status, and nothing left behind.
TEST_F(QueryCommand, AClosedPipeEndsTheRunQuietly) {
  const auto before = [] {
    std::vector<std::string> names;
    const auto folder = std::filesystem::path(testing::processTemporaryFolder()) / "briskal";
    if (std::filesystem::exists(folder))
      for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  };
  const auto logsBefore = before();
  for (const std::string format : {"csv", "table"}) {
    const auto r = testing::runProcessClosingOutput(kBriskal,
                                                    {"--db", "Data Source=" + db_, "--yes", "--format",
                                                     format, "rows", "--basis", "custom", "--labels", "40"},
                                                    100);
    EXPECT_EQ(r.exitCode, 128 + SIGPIPE) << format << ": " << r.err;
    EXPECT_EQ(r.err.find("briskal:"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.size(), 100u);
  }
  auto logs = before();
  std::erase(logs, "briskal.log");
  auto expected = logsBefore;
  std::erase(expected, "briskal.log");
  EXPECT_EQ(logs, expected);  // no per-process log is left
}

// On a terminal a table aligns its number columns to the right, as their format says.
TEST_F(QueryCommand, TablesAlignNumbersRight) {
  const auto r = query({"--format", "table", "rows", "--where", "Numero doc.=1..3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::istringstream lines(r.out);
  std::string header, rule, first;
  std::getline(lines, header);
  std::getline(lines, rule);
  std::getline(lines, first);
  // The last column holds formatted quantities: its title and its values end where the rule ends.
  EXPECT_EQ(header.substr(header.size() - 13), "Qta etichetta");
  EXPECT_EQ(first.size(), rule.size()) << first;
  EXPECT_EQ(first.back(), '0') << first;
  const size_t quantity = header.find("Qta residua") + std::string("Qta residua").size();
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(first[quantity - 1]))) << first;
}

// A save the database refuses fails with the database's words, whatever the list shows after.
TEST_F(QueryCommand, ASaveTheDatabaseRefusesFailsWithItsCause) {
  const std::string refusing = testing::temporaryFolder() + "/refusing.db";
  std::filesystem::copy_file(db_, refusing);
  ASSERT_EQ(runProcess(kBriskal,
                       {"--db", "Data Source=" + refusing, "sql",
                        "CREATE TRIGGER PD45_NO BEFORE INSERT ON PD45_CONFIGETICH WHEN NEW.PD45_PROGRIGA > 0 "
                        "BEGIN SELECT RAISE(ABORT, 'salvataggio rifiutato'); END"})
                .exitCode,
            0);
  auto r = runProcess(kBriskal, {"--db", "Data Source=" + refusing, "layouts", "save", "RIF", "--title", "T",
                                 "--height", "40", "--width", "200"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("[900002] La personalizzazione non è stata salvata:\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("salvataggio rifiutato"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("saved layout"), std::string::npos) << r.err;
  // In the session's language, the database's words kept.
  r = runProcess(kBriskal, {"--db", "Data Source=" + refusing, "--locale", "en", "layouts", "save", "RIF",
                            "--title", "T", "--height", "40", "--width", "200"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("[900002] The layout was not saved:\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("salvataggio rifiutato"), std::string::npos) << r.err;
}

// A layout without a height or a width is asked about before it is saved: refused without --yes.
TEST_F(QueryCommand, ALayoutWithoutASizeIsSavedOnlyWhenConfirmed) {
  auto r = query({"layouts", "save", "nosize", "--title", "Senza misure", "--width", "200"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("[74594] Dimensionamento etichetta:\naltezza non indicata."), std::string::npos)
      << r.err;
  EXPECT_EQ(query({"layouts", "show", "nosize"}).exitCode, 1);
  r = query({"--yes", "layouts", "save", "nosize", "--title", "Senza misure", "--width", "200"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(query({"layouts", "show", "nosize"}).exitCode, 0);
}

// A code the layout table cannot hold is refused before anything is looked up or changed: cut to
// its 10 characters it would name another layout.
TEST_F(QueryCommand, ALayoutCodeTooLongOrWithControlsIsRefused) {
  ASSERT_EQ(query({"layouts", "save", "ABCDEFGHIJ", "--title", "Dieci", "--height", "40", "--width", "200"})
                .exitCode,
            0);
  auto r = query({"--yes", "layouts", "delete", "ABCDEFGHIJXYZ"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "briskal: layout code 'ABCDEFGHIJXYZ' is longer than 10 characters\n");
  r = query({"layouts", "show", "ABCDEFGHIJ"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  r = query({"layouts", "save", "AB\nCD", "--title", "Due righe"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "briskal: layout code 'AB\\x0ACD': a code holds no control characters\n");
  ASSERT_EQ(query({"--yes", "layouts", "delete", "ABCDEFGHIJ"}).exitCode, 0);
}

// Blanks around a code are not part of it, when it is saved as when it is named.
TEST_F(QueryCommand, ALayoutCodeIsTheSameWithBlanksAroundIt) {
  auto r = query({"layouts", "save", " BLANK ", "--title", "Con spazi", "--height", "40", "--width", "200"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const std::string code : {"BLANK", " BLANK", "blank  "}) {
    r = query({"layouts", "show", code});
    EXPECT_EQ(r.exitCode, 0) << code << ": " << r.err;
  }
  r = query({"--format", "csv", "sql",
             "SELECT DISTINCT PD45_CODICE FROM PD45_CONFIGETICH WHERE PD45_CODICE LIKE '%BLANK%'"});
  EXPECT_EQ(r.out.substr(r.out.find('\n') + 1), "BLANK\r\n");
  ASSERT_EQ(query({"--yes", "layouts", "delete", " BLANK"}).exitCode, 0);
}

// What a person typed comes back in messages with its control characters escaped: an escape
// sequence in a value does not act on the terminal showing the message.
TEST_F(QueryCommand, TypedControlCharactersAreShownEscaped) {
  auto r = query({"query", "--where", "Numero doc.=1\x1b[2J"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1\\x1B[2J"), std::string::npos) << r.err;
  r = query({"query", "--where",
             "Nessun\x07"
             "campo=1"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err.find('\x07'), std::string::npos) << r.err;
  // So is what the database holds, in a table for people.
  r = query({"--format", "table", "sql", "SELECT 'a' || char(27) || '[2J' || char(10) || 'b' AS \"T\x07\""});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.find_first_of("\x1b\x07"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("a\\x1B[2J\\x0Ab\n"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace briskal

namespace briskal {
namespace {

class FilterCodeCommands : public CommandLine {
 protected:
  static testing::ProcessResult run(std::vector<std::string> args) {
    std::vector<std::string> all = {"--db", "Data Source=" + db_, "--format", "csv"};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(kBriskal, all);
  }
  // The first cells of the CSV lines after the header.
  static std::vector<std::string> codes(const std::string& csv) {
    std::vector<std::string> out;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) out.push_back(line.substr(0, line.find(',')));
    return out;
  }
};

TEST_F(FilterCodeCommands, DecodeTypesTheCodeAndPrintsTheDescriptionTheFormWrote) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::string err;  // the start of standard error
  };
  const Case cases[] = {
      {{"decode", "Famiglia=FLAN"}, 0, "Flange\n", ""},
      {{"decode", "Sottofamiglia=INOX", "--where", "Famiglia=VITE"}, 0, "Acciaio inox AISI 304\n", ""},
      {{"decode", "Sottofamiglia=INOX", "--where", "Famiglia=..VITE"}, 0, "\n", ""},
      {{"decode", "Sottofamiglia=INOX", "--where", "Famiglia=..VITE", "--side", "to"},
       0,
       "Acciaio inox AISI 304\n",
       ""},
      {{"decode", "Famiglia=F'%"}, 0, "\n", ""},
      {{"decode", "Data doc.=01/01/2026"}, 0, "\n", ""},
      {{"decode", "Famiglia=TROPPO"}, 1, "", "briskal: "},
      {{"decode", "Famigla=FLAN"}, 2, "", "briskal: 'Famigla=FLAN': there is no filter field \"Famigla\""},
      {{"decode", "Famiglia"}, 2, "", "briskal: 'Famiglia': write CAPTION=CODE"},
  };
  for (const Case& c : cases) {
    const auto r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1] << r.err;
    EXPECT_EQ(r.out, c.out) << c.args[1];
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.args[1];
  }
}

TEST_F(FilterCodeCommands, LookupPrintsTheListOrTheRowThePickLeaves) {
  auto r = run({"lookup", "Sottofamiglia", "--where", "Famiglia=VITE"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\r')), "Codice,Descrizione,Famiglia");
  const std::vector<std::string> subFamilies = codes(r.out);
  EXPECT_FALSE(subFamilies.empty());
  EXPECT_NE(std::find(subFamilies.begin(), subFamilies.end(), "INOX"), subFamilies.end());
  EXPECT_EQ(std::count_if(r.out.begin(), r.out.end(), [](char ch) { return ch == '\n'; }),
            static_cast<long>(subFamilies.size()) + 1);

  r = run({"lookup", "Famiglia", "--search", "flan"});
  EXPECT_EQ(codes(r.out), std::vector<std::string>{"FLAN"});
  r = run({"lookup", "Sottofamiglia", "--where", "Famiglia=VITE", "--pick", "INOX"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "caption,from,to,description\r\nSottofamiglia,INOX,\"\",Acciaio inox AISI 304\r\n");
  r = run({"lookup", "Sottofamiglia", "--where", "Famiglia=VITE", "--pick", "NOPE"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "briskal: there is no entry NOPE in the list\n");
  r = run({"lookup", "Data doc."});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "briskal: the filter field \"Data doc.\" has no search list\n");

  // A document of the order type, then one of its lines.
  r = run({"lookup", "Numero doc.", "--order-type", "25"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\r')), "Numero,Sezionale,Data,Intestatario");
  const std::string document = codes(r.out).at(0);
  r = run({"lookup", "Numero riga doc.", "--order-type", "25", "--pick", document});
  EXPECT_EQ(r.out.substr(0, r.out.find('\r')), "Riga,Articolo,Descrizione,U.M.,Quantità");
  const std::string line = codes(r.out).at(0);
  r = run({"lookup", "Numero riga doc.", "--order-type", "25", "--pick", document, "--pick", line, "--side",
           "to"});
  EXPECT_EQ(r.out, "caption,from,to,description\r\nNumero riga doc.,\"\"," + line + ",\"\"\r\n");
  r = run({"lookup", "Numero doc.", "--pick", document, "--pick", line});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.err, "briskal: --pick " + line + ": there was no further list to pick from\n");
}

}  // namespace
}  // namespace briskal
