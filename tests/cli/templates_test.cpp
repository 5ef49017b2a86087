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

// Height over width of a PNG, from its header.
double pngAspect(const std::string& file) {
  const std::string png = testing::readFile(file);
  const auto number = [&png](size_t at) {
    uint32_t n = 0;
    for (size_t i = at; i < at + 4; ++i) n = (n << 8) | static_cast<unsigned char>(png.at(i));
    return n;
  };
  return static_cast<double>(number(20)) / number(16);
}

// Customisable labels print with a template the database keeps, by its name or as the component's
// own, or with a file; a name that is neither stops the run before anything is printed.
TEST_F(TemplatesCommand, CustomisableLabelsPrintWithAStoredTemplateOrAFile) {
  const std::string tall = folder_ + "/tall.rpt";
  {
    std::string changed =
        testing::readFile(std::string(BRISKAL_DATA_FOLDER) + "/reports/CRPD_BRISKLABPERS.rpt");
    changed.replace(changed.find("width=100 height=50"), 19, "width=100 height=70");
    std::ofstream(tall, std::ios::binary) << changed;
  }
  const auto print = [this](std::vector<std::string> extra, const std::string& out) {
    std::vector<std::string> args = {"print", "--where", "Numero doc.=1", "--label", "custom", "--out", out};
    args.insert(args.end(), extra.begin(), extra.end());
    return run(args);
  };
  auto r = print({}, folder_ + "/shipped.png");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NEAR(pngAspect(folder_ + "/shipped-1.png"), 0.5, 0.01);
  r = print({"--template", "pallet"}, folder_ + "/none.png");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("There is no template pallet"), std::string::npos) << r.err;
  EXPECT_FALSE(std::ifstream(folder_ + "/none-1.png").good());
  r = print({"--template", tall}, folder_ + "/file.png");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NEAR(pngAspect(folder_ + "/file-1.png"), 0.7, 0.01);
  ASSERT_EQ(run({"templates", "import", tall, "--name", "pallet"}).exitCode, 0);
  r = print({"--template", "pallet"}, folder_ + "/stored.png");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NEAR(pngAspect(folder_ + "/stored-1.png"), 0.7, 0.01);
  // Kept under the component's own name, it replaces the shipped file for every run.
  ASSERT_EQ(run({"templates", "import", tall, "--name", "CRPD_BRISKLABPERS"}).exitCode, 0);
  r = print({}, folder_ + "/default.png");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NEAR(pngAspect(folder_ + "/default-1.png"), 0.7, 0.01);
  r = run({"print", "--where", "Numero doc.=1", "--template", "pallet", "--out", folder_ + "/standard.pdf"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--label custom"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace briskal
