// Numbers on the command line mean the same in every locale: digits, '.' as the decimal point, in
// the bounds of the fields they fill; anything else is a usage error that names the option.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/briskal_binary.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

class NumberOptions : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    db_ = "Data Source=" + testing::temporaryFolder() + "/demo.db";
    ASSERT_EQ(runProcess(kBriskal, {"--db", db_, "demo-db", "--orders", "40", "--seed", "2"}).exitCode, 0);
  }
  static testing::ProcessResult run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--db", db_, "--format", "csv"});
    return runProcess(kBriskal, args);
  }
  // The only cell of a one-value statement's result.
  static std::string scalar(const std::string& statement) {
    const auto r = run({"sql", statement});
    const std::string rows = r.out.substr(r.out.find('\n') + 1);
    return rows.substr(0, rows.find('\r'));
  }
  static std::string db_;
};

std::string NumberOptions::db_;

TEST_F(NumberOptions, AreRefusedOutsideTheirNotationAndBoundsNamingTheOption) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"rows", "--basis", "custom", "--labels", "1.5"}, "--labels"},
      {{"rows", "--basis", "custom", "--labels", "1e3"}, "--labels"},
      {{"rows", "--basis", "custom", "--labels", "2147483647"}, "--labels"},
      {{"rows", "--basis", "custom", "--labels", "10000"}, "--labels"},
      {{"rows", "--basis", "custom", "--labels", "0"}, "--labels"},
      {{"layouts", "check", "default", "--height", "abc"}, "--height"},
      {{"layouts", "check", "default", "--width", "3.0"}, "--width"},
      {{"layouts", "save", "N1", "--title", "T", "--distance", "-1"}, "--distance"},
      {{"layouts", "save", "N1", "--title", "T", "--distance", "nan"}, "--distance"},
      {{"layouts", "save", "N1", "--title", "T", "--distance", "1e400"}, "--distance"},
      {{"layouts", "save", "N1", "--title", "T", "--distance", "2,5"}, "--distance"},
      {{"layouts", "save", "N1", "--title", "T", "--distance", "2.555"}, "--distance"},
      {{"--user", std::string(21, 'u'), "rows"}, "--user"},
  };
  for (const auto& [args, option] : refused) {
    const auto r = run(args);
    EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.err;
    EXPECT_NE(r.err.find(option), std::string::npos) << r.err;
  }
  EXPECT_EQ(scalar("SELECT COUNT(*) FROM PD45_CONFIGETICH WHERE PD45_CODICE = 'N1'"), "0");
}

// With Italian settings "1.5" typed into a field is fifteen: the command line types the
// session's own notation.
TEST_F(NumberOptions, MeanTheSameInEveryLocale) {
  const std::string folder = testing::temporaryFolder();
  const std::pair<std::string, std::string> locales[] = {{"it", "Quantità per etichetta: 1,5\r"},
                                                         {"en", "Quantity per label: 1.5\r"}};
  for (const auto& [locale, quantity] : locales) {
    const std::string code = "D" + locale;
    const auto saved =
        run({"--locale", locale, "--yes", "layouts", "save", code, "--title", "T", "--distance", "2.5"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_EQ(scalar("SELECT PD45_DISTANZA FROM PD45_CONFIGETICH WHERE PD45_CODICE = 'D" +
                     std::string(locale == "it" ? "IT" : "EN") + "' AND PD45_PROGRIGA = 0"),
              "2.50")
        << locale;
    const std::string texts = folder + "/" + locale + ".txt";
    const auto printed = run(
        {"--locale", locale, "print", "--where", "Numero doc.=1", "--quantity", "1.5:all", "--out", texts});
    ASSERT_EQ(printed.exitCode, 0) << printed.err;
    const std::string labels = testing::readFile(texts);
    EXPECT_NE(labels.find(quantity), std::string::npos) << locale;
  }
}

}  // namespace
}  // namespace briskal
