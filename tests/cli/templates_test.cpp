// Templates kept in the database from the command line: a file stored byte for byte as a new
// version, shown and written back alike, a broken one refused before any workstation sees it.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli/briskal_binary.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

class TemplatesCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::temporaryFolder();
    db_ = "Data Source=" + folder_ + "/demo.db";
    ASSERT_EQ(runProcess(kBriskal, {"--db", db_, "demo-db", "--orders", "20", "--seed", "3"}).exitCode, 0);
  }
  testing::ProcessResult run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--db", db_, "--format", "csv"});
    return runProcess(kBriskal, args);
  }
  std::string folder_;
  std::string db_;
};

TEST_F(TemplatesCommand, AFileIsKeptByteForByteAsTheNextVersionOfItsName) {
  const std::string shipped = std::string(BRISKAL_DATA_FOLDER) + "/reports/CRPD_BRISKLABPERS.rpt";
  const std::string original = testing::readFile(shipped);
  auto r = run({"templates", "import", shipped, "--name", "pallet", "--comment", "as shipped"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "imported " + shipped + " as pallet version 1\n");
  r = run({"templates", "show", "pallet"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, original);
  const std::string bigger = folder_ + "/bigger.rpt";
  {
    std::string changed = original;
    changed.replace(changed.find("width=100 height=50"), 19, "width=100 height=60");
    std::ofstream(bigger, std::ios::binary) << changed;
  }
  ASSERT_EQ(run({"templates", "import", bigger, "--name", "pallet"}).exitCode, 0);
  r = run({"templates", "history", "pallet"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.find("NAME,VERSION,ACTIVE,AUTHOR,WORKSTATION,SAVED_UTC,COMMENT\r\npallet,2,*,admin,"), 0U)
      << r.out;
  EXPECT_NE(r.out.find("\r\npallet,1,\"\",admin,"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("as shipped"), std::string::npos) << r.out;
  // The first version printed again; exported as it was stored.
  ASSERT_EQ(run({"templates", "activate", "pallet", "1"}).exitCode, 0);
  EXPECT_EQ(run({"templates", "show", "pallet"}).out, original);
  ASSERT_EQ(run({"templates", "export", "pallet", "--version", "2", "--out", folder_ + "/out.rpt"}).exitCode,
            0);
  EXPECT_EQ(testing::readFile(folder_ + "/out.rpt"), testing::readFile(bigger));
  r = run({"templates", "list"});
  EXPECT_NE(r.out.find("\r\npallet,1,*,"), std::string::npos) << r.out;
}

TEST_F(TemplatesCommand, ABrokenTemplateOrAnUnknownNameChangesNothing) {
  const std::string broken = folder_ + "/broken.rpt";
  std::ofstream(broken)
      << "page kind=label width=100 height=50\nsection name=D height=50\n  text x=1 y=1 w=5 colour=red\n";
  auto r = run({"templates", "import", broken});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("broken.rpt:3:"), std::string::npos) << r.err;
  EXPECT_EQ(run({"templates", "list"}).out, "NAME,VERSION,ACTIVE,AUTHOR,WORKSTATION,SAVED_UTC,COMMENT\r\n");
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"templates", "show", "nothing"},
        {"templates", "history", "nothing"},
        {"templates", "activate", "nothing", "1"},
        {"templates", "export", "nothing", "--out", folder_ + "/x.rpt"}}) {
    r = run(command);
    EXPECT_EQ(r.exitCode, 1) << command[1];
    EXPECT_NE(r.err.find("nothing"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::ifstream(folder_ + "/x.rpt").good()) << "an export of nothing wrote a file";
}

}  // namespace
}  // namespace briskal
