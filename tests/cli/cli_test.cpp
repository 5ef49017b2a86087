// The briskal command line run as a person or a script would run it.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/database_backends.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

const std::string kBriskal = BRISKAL_BIN;

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
  const std::string first = r.out.substr(header.size() + 2, r.out.find("\r\n", header.size() + 2) - header.size() - 2);
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

TEST_F(CommandLine, ErrorsAreClearAndSetTheExitStatus) {
  auto r = sql("SELECT NOPE FROM VDO11_BRISKAL");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("NOPE"), std::string::npos) << r.err;
  r = runProcess(kBriskal, {"frobnicate"});
  EXPECT_EQ(r.exitCode, 2);
  r = runProcess(kBriskal, {"demo-db", "--out", db_});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
  r = runProcess(kBriskal, {"--db", "Data Source=" + db_, "--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("demo-db"), std::string::npos);
  r = runProcess(kBriskal, {"sql", "--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("STATEMENT"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace briskal
