// Text in the database that is not valid UTF-8, as another program may have typed it, prints on
// every output as U+FFFD in place of each invalid sequence, with one warning that says where it is.

#include <gtest/gtest.h>

#include <string>

#include "cli/briskal_binary.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"
#include "test_helpers.h"

namespace briskal {
namespace {

using testing::runProcess;

// A stray byte, an overlong NUL, an overlong form of three bytes, a surrogate and a code point
// past U+10FFFF, after "Dad" and a blank.
constexpr const char* kBadDescription = "X'446164FF20C080E0819EEDA080F4908080'";
const std::string kReplacement = "\xEF\xBF\xBD";

std::string repeated(const std::string& text, size_t times) {
  std::string result;
  for (size_t n = 0; n < times; ++n) result += text;
  return result;
}

class InvalidDatabaseText : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = testing::temporaryFolder();
    db_ = "Data Source=" + folder_ + "/demo.db";
    ASSERT_EQ(runProcess(kBriskal, {"--db", db_, "demo-db", "--orders", "60", "--seed", "3"}).exitCode, 0);
    const auto updated =
        runProcess(kBriskal, {"--db", db_, "sql",
                              std::string("UPDATE DO30_RIGHE SET DO30_DESCART = CAST(") + kBadDescription +
                                  " AS TEXT) WHERE DO30_NUMREG_CO99 = '202600000002' AND DO30_PROGRIGA = 1"});
    ASSERT_EQ(updated.exitCode, 0) << updated.err;
  }
  // Prints the labels of the order with the bad description to `file`, which must succeed with
  // one warning naming the record and the field.
  static std::string print(const std::string& file, const std::string& label) {
    const std::string out = folder_ + "/" + file;
    const auto run = runProcess(kBriskal, {"--db", db_, "print", "--where", "Numero doc.=1..3", "--basis",
                                           "custom", "--labels", "1", "--label", label, "--out", out});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(testing::occurrences(run.err, "not valid UTF-8"), 1U) << run.err;
    EXPECT_NE(run.err.find("DO30_RIGHE.DO30_DESCART of the record with DO30_NUMREG_CO99 = 202600000002, "
                           "DO30_PROGRIGA = 1 "),
              std::string::npos)
        << run.err;
    return out;
  }
  static std::string folder_;
  static std::string db_;
};

std::string InvalidDatabaseText::folder_;
std::string InvalidDatabaseText::db_;

// Each maximal invalid part is one replacement character: 1 + 2 + 3 + 3 + 4 of them.
const std::string kRepaired = "Dad" + kReplacement + " " + repeated(kReplacement, 12);

TEST_F(InvalidDatabaseText, PrintsOnEveryOutputWithReplacementCharacters) {
  const std::string pdf = print("labels.pdf", "custom");
  const auto text = runProcess("/usr/bin/pdftotext", {pdf, "-"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find(kRepaired), std::string::npos);
  print("labels.png", "custom");
  EXPECT_TRUE(std::filesystem::exists(folder_ + "/labels-1.png"));
  EXPECT_NE(testing::readFile(print("labels.zpl", "custom")).find(kRepaired), std::string::npos);
  // EPL2 prints Windows-1252, which has no replacement character.
  EXPECT_NE(testing::readFile(print("labels.epl", "custom")).find("\"Dad? " + repeated("?", 12) + "\""),
            std::string::npos);
  EXPECT_NE(testing::readFile(print("labels.txt", "standard")).find("Descrizione articolo: " + kRepaired),
            std::string::npos);
}

}  // namespace
}  // namespace briskal
