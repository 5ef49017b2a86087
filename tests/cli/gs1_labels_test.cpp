// GS1 logistic labels from the command line: the shipped example prints SSCCs the company's counter
// gives once, keeps them in the print history and prints them again on a reprint without taking
// others; a label whose element string breaks GS1's rules stops the run before anything is sent and
// leaves its numbers void; the counters are changed and numbers voided only as the rules allow.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/briskal_binary.h"
#include "hostkit/gs1/element_string.h"
#include "support/files.h"
#include "support/print_servers.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

const std::string kExample = std::string(BRISKAL_DATA_FOLDER) + "/reports/gs1-logistics.rpt";
constexpr const char* kPrefix = "8012341";  // the demo company's GS1 prefix

// The data of a ZPL job's GS1-128 barcodes that start with AI `ai`, in order.
std::vector<std::string> barcodesOf(const std::string& zpl, const std::string& ai) {
  std::vector<std::string> found;
  const std::string start = ">;>8" + ai;
  for (size_t at = zpl.find(start); at != std::string::npos; at = zpl.find(start, at + 1))
    found.push_back(zpl.substr(at + 4, zpl.find("^FS", at) - at - 4));
  return found;
}

class Gs1Labels : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::temporaryFolder();
    db_ = "Data Source=" + folder_ + "/demo.db";
    const auto made = runProcess(kBriskal, {"--db", db_, "demo-db"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  testing::ProcessResult run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--db", db_, "--format", "csv"});
    return runProcess(kBriskal, args);
  }
  // The example label, two a line of `orders`, to `destination`: --out FILE or --printer ADDRESS.
  testing::ProcessResult print(const std::string& orders, std::vector<std::string> destination) const {
    std::vector<std::string> args{"print",      "--where", "Numero doc.=" + orders,
                                  "--basis",    "custom",  "--labels",
                                  "2",          "--label", "custom",
                                  "--template", kExample};
    args.insert(args.end(), destination.begin(), destination.end());
    return run(args);
  }
  std::string path(const std::string& file) const { return folder_ + "/" + file; }
  std::string folder_;
  std::string db_;
};

TEST_F(Gs1Labels, TheExamplePrintsEachSsccOnceAndAReprintPrintsTheSameAgain) {
  const auto printed = print("123", {"--out", path("pallets.zpl")});
  ASSERT_EQ(printed.exitCode, 0) << printed.err;
  const std::string zpl = testing::readFile(path("pallets.zpl"));
  const std::vector<std::string> ssccs = barcodesOf(zpl, "00");
  ASSERT_GE(ssccs.size(), 2U);
  for (size_t n = 0; n < ssccs.size(); ++n) EXPECT_EQ(ssccs[n], "00" + hostkit::gs1::sscc(3, kPrefix, n + 1));
  // The contents' barcode: the package's GTIN, the count, the best-before date, FNC1 after the
  // count, and the batch last.
  for (std::string contents : barcodesOf(zpl, "02")) {
    for (size_t at = contents.find(">8"); at != std::string::npos; at = contents.find(">8", at))
      contents.replace(at, 2, "\x1d");
    std::vector<std::string> ais;
    for (const hostkit::gs1::Element& e : hostkit::gs1::parseEncoded(contents)) ais.push_back(e.ai);
    EXPECT_EQ(ais, (std::vector<std::string>{"02", "37", "15", "10"})) << contents;
  }
  EXPECT_NE(zpl.find("^FD(00)" + hostkit::gs1::sscc(3, kPrefix, 1) + "^FS"), std::string::npos)
      << "the readable line names the AI in brackets";

  const auto counter = run({"counters", "show", "SSCC"});
  EXPECT_NE(counter.out.find("1," + std::to_string(ssccs.size()) + ",380123410000000017,"), std::string::npos)
      << counter.out;
  EXPECT_NE(counter.out.find(",printed,"), std::string::npos) << counter.out;
  EXPECT_NE(run({"history", "show", "1"}).out.find("SSCC=" + hostkit::gs1::sscc(3, kPrefix, 2)),
            std::string::npos);

  const auto again =
      run({"reprint", "1", "--labels", "2-3", "--reason", "strappate", "--out", path("again.zpl")});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(barcodesOf(testing::readFile(path("again.zpl")), "00"),
            (std::vector<std::string>{ssccs[1], ssccs[2]}));
  EXPECT_EQ(run({"counters", "show", "SSCC"}).out, counter.out) << "a reprint takes no numbers";
}

TEST_F(Gs1Labels, AnElementStringThatBreaksARuleSendsNothingAndVoidsItsNumbers) {
  // Order 2 has a line whose customer's code is no GTIN.
  testing::LoopbackLabelPrinter printer;
  const std::vector<std::vector<std::string>> destinations{
      {"--out", path("refused.pdf")},
      {"--out", path("refused.zpl")},
      {"--printer", "tcp://127.0.0.1:" + std::to_string(printer.port()), "--printer-language", "zpl"}};
  for (const auto& destination : destinations) {
    SCOPED_TRACE(destination[1]);
    const auto refused = print("2", destination);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("gs1-logistics.rpt:29:3: label "), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find(": (02): "), std::string::npos) << refused.err;
  }
  EXPECT_FALSE(std::filesystem::exists(path("refused.pdf")));
  EXPECT_FALSE(std::filesystem::exists(path("refused.zpl")));
  EXPECT_EQ(printer.bytesRead(), 0U);
  const auto counter = run({"counters", "show", "SSCC"});
  EXPECT_EQ(counter.out.find(",printed,"), std::string::npos) << counter.out;
  EXPECT_NE(counter.out.find(",void,"), std::string::npos) << counter.out;
}

TEST_F(Gs1Labels, CountersChangeAndVoidOnlyAsTheRulesAllow) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string says;
  } requests[] = {
      {{"counters", "set", "SERIALE", "--next", "100"}, 0, "SERIALE,serial,100,100,"},
      {{"counters", "set", "SERIALE", "--next", "50"}, 2, "cannot go back to 50"},
      {{"counters", "set", "SERIALE", "--prefix", kPrefix}, 2, "gives serial numbers"},
      {{"counters", "set", "SSCC", "--prefix", "80123"}, 2, "7 to 10 digits"},
      {{"counters", "set", "SSCC", "--extension", "12"}, 2, "--extension"},
      {{"counters", "void", "SSCC", "1", "--reason", "strappata"}, 2, "has not given the number 1"},
      {{"counters", "void", "NESSUNO", "1", "--reason", "x"}, 1, "There is no counter NESSUNO"},
      {{"counters", "void", "SSCC", "1"}, 2, "--reason"},
  };
  for (const auto& r : requests) {
    const auto result = run(r.args);
    EXPECT_EQ(result.exitCode, r.exitCode) << r.args[1] << " " << r.args[2] << ": " << result.err;
    EXPECT_NE((result.out + result.err).find(r.says), std::string::npos) << result.out << result.err;
  }
  ASSERT_EQ(print("123", {"--out", path("pallets.zpl")}).exitCode, 0);
  const std::string second = hostkit::gs1::sscc(3, kPrefix, 2);
  EXPECT_EQ(
      run({"counters", "void", "SSCC", "3" + std::string(kPrefix) + "000000027", "--reason", "x"}).exitCode,
      2)
      << "a wrong check digit";
  const auto voided = run({"counters", "void", "SSCC", second, "--reason", "strappata"});
  ASSERT_EQ(voided.exitCode, 0) << voided.err;
  EXPECT_NE(run({"counters", "show", "SSCC"}).out.find("2,2," + second + "," + second + ",voided,admin,"),
            std::string::npos);
  EXPECT_NE(run({"counters"}).out.find("SERIALE,serial,100,100,"), std::string::npos);
}

}  // namespace
}  // namespace briskal
