// Runs of one user on one workstation at the same moment (two terminals, a script, the desktop
// beside the command line) share that workstation's rows of the report table: each must still
// print exactly what it would print alone, and keep its own job in the print history. Runs that
// print SSCCs at once take them from one counter, and no two labels get the same.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/briskal_binary.h"
#include "data/connection.h"
#include "hostkit/gs1/element_string.h"
#include "hostkit/store/counters.h"
#include "hostkit/store/print_history.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

// Each label's text ends with a form feed.
size_t labelCount(const std::string& texts) {
  return static_cast<size_t>(std::count(texts.begin(), texts.end(), '\f'));
}

class SameWorkstation : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    db_ = testing::freshDatabase(GetParam());
    if (db_.empty()) GTEST_SKIP() << "no " << GetParam() << " database can be had on this machine";
    const auto made = runProcess(kBriskal, {"--db", db_, "demo-db", "--orders", "600", "--seed", "8"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    folder_ = testing::temporaryFolder();
  }
  // Run `n` prints the standard labels of its own orders, as many as its number says, to its
  // own file of texts.
  testing::ProcessResult print(int n, const std::string& file) const {
    return runProcess(
        kBriskal, {"--db", db_, "print", "--where",
                   "Numero doc.=" + std::to_string(3 * n + 1) + ".." + std::to_string(3 * n + 3), "--basis",
                   "custom", "--labels", std::to_string(n + 1), "--out", file});
  }
  std::string db_;
  std::string folder_;
};

TEST_P(SameWorkstation, RunsAtOnceEachPrintWhatTheyPrintAlone) {
  constexpr int kRuns = 8;
  std::vector<std::string> alone;
  for (int n = 0; n < kRuns; ++n) {
    const std::string file = folder_ + "/alone-" + std::to_string(n) + ".txt";
    const auto run = print(n, file);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    alone.push_back(testing::readFile(file));
    ASSERT_FALSE(alone.back().empty());
  }
  std::vector<testing::ProcessResult> results(kRuns);
  {
    std::vector<std::jthread> runs;
    for (int n = 0; n < kRuns; ++n)
      runs.emplace_back(
          [&, n] { results[n] = print(n, folder_ + "/together-" + std::to_string(n) + ".txt"); });
  }
  for (int n = 0; n < kRuns; ++n) {
    SCOPED_TRACE("run " + std::to_string(n));
    EXPECT_EQ(results[n].exitCode, 0) << results[n].err;
    const std::string together = testing::readFile(folder_ + "/together-" + std::to_string(n) + ".txt");
    // Counted, not shown: a whole run's texts would bury the message.
    EXPECT_TRUE(together == alone[n])
        << labelCount(together) << " labels printed, " << labelCount(alone[n]) << " alone";
  }
  // Each run kept its own job whole in the print history, numbered once.
  data::Connection cn;
  cn.setConnectionString(db_);
  cn.open();
  hostkit::PrintHistory history(cn, Value(int32_t{1}));
  const std::vector<hostkit::PrintJob> jobs = history.list({});
  ASSERT_EQ(jobs.size(), static_cast<size_t>(2 * kRuns));
  for (const hostkit::PrintJob& job : jobs) {
    SCOPED_TRACE(job.destination);
    EXPECT_EQ(job.outcome, hostkit::JobOutcome::Delivered);
    const size_t dash = job.destination.rfind('-');
    const int n = std::stoi(job.destination.substr(dash + 1));
    EXPECT_EQ(static_cast<size_t>(job.labels), labelCount(alone[static_cast<size_t>(n)]));
    EXPECT_EQ(history.labels(job.id).size(), labelCount(alone[static_cast<size_t>(n)]));
  }
}

// The SSCCs a ZPL job printed, in order: the data of its GS1-128 barcodes that start with AI 00.
std::vector<std::string> ssccs(const std::string& zpl) {
  std::vector<std::string> found;
  const std::string start = ">;>800";
  for (size_t at = zpl.find(start); at != std::string::npos; at = zpl.find(start, at + 1))
    found.push_back(zpl.substr(at + start.size(), 18));
  return found;
}

// Order lines to print labels of: "number,line" of the first `count` of section 01.
std::vector<std::pair<std::string, std::string>> orderLines(const std::string& db, size_t count) {
  const testing::ProcessResult rows =
      runProcess(kBriskal, {"--db", db, "--format", "csv", "rows", "--where", "Sezionale doc.=01", "--basis",
                            "custom", "--labels", "1"});
  std::vector<std::pair<std::string, std::string>> lines;
  std::istringstream in(rows.out);
  std::string row;
  std::getline(in, row);  // the header: SELEZIONE, DO11_SEZDOC, DO11_NUMDOC, ... DO30_PROGRIGA seventh
  while (lines.size() < count && std::getline(in, row)) {
    std::vector<std::string> cells;
    bool quoted = false;
    cells.emplace_back();
    for (const char c : row) {
      if (c == '"') quoted = !quoted;
      else if (c == ',' && !quoted) cells.emplace_back();
      else cells.back() += c;
    }
    const std::pair<std::string, std::string> line{cells.at(2), cells.at(6)};
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
  }
  return lines;
}

TEST_P(SameWorkstation, RunsAtOnceNeverGiveTheSameSscc) {
  constexpr int kRuns = 8;
  const auto lines = orderLines(db_, kRuns);
  ASSERT_EQ(lines.size(), static_cast<size_t>(kRuns));
  const std::string labelTemplate = folder_ + "/sscc.rpt";
  testing::writeFile(labelTemplate,
                     "page kind=label width=100 height=50\n"
                     "section name=E kind=detail height=50\n"
                     "  text x=3 y=2 w=94 h=6 field=SSCC size=12\n"
                     "  barcode x=3 y=10 w=94 h=35 type=gs1-128 compose=\"(00){SSCC}\"\n");
  std::vector<testing::ProcessResult> results(kRuns);
  {
    std::vector<std::jthread> runs;
    for (int n = 0; n < kRuns; ++n)
      runs.emplace_back([&, n] {
        // Each as a user of its own, as on workstations of their own.
        results[n] = runProcess(kBriskal, {"--db",
                                           db_,
                                           "--user",
                                           "U" + std::to_string(n),
                                           "print",
                                           "--where",
                                           "Sezionale doc.=01",
                                           "--where",
                                           "Numero doc.=" + lines[n].first,
                                           "--where",
                                           "Numero riga doc.=" + lines[n].second,
                                           "--basis",
                                           "custom",
                                           "--labels",
                                           "1000",
                                           "--label",
                                           "custom",
                                           "--template",
                                           labelTemplate,
                                           "--out",
                                           folder_ + "/sscc-" + std::to_string(n) + ".zpl"});
      });
  }
  std::set<std::string> all;
  size_t printed = 0;
  for (int n = 0; n < kRuns; ++n) {
    SCOPED_TRACE("run " + std::to_string(n));
    ASSERT_EQ(results[n].exitCode, 0) << results[n].err;
    const std::vector<std::string> own =
        ssccs(testing::readFile(folder_ + "/sscc-" + std::to_string(n) + ".zpl"));
    ASSERT_GE(own.size(), 1000U);
    // A run's SSCCs are one block: consecutive serial references, each with its check digit.
    for (size_t i = 0; i < own.size(); ++i) {
      EXPECT_EQ(own[i], hostkit::gs1::sscc(3, "8012341", std::stoull(own[0].substr(8, 9)) + i));
      all.insert(own[i]);
    }
    printed += own.size();
  }
  EXPECT_EQ(all.size(), printed) << "an SSCC was printed twice";
  data::Connection cn;
  cn.setConnectionString(db_);
  cn.open();
  const std::vector<hostkit::CounterBlock> blocks = hostkit::Counters(cn, Value(int32_t{1})).blocks("SSCC");
  ASSERT_EQ(blocks.size(), static_cast<size_t>(kRuns));
  for (const hostkit::CounterBlock& b : blocks) EXPECT_EQ(b.state, hostkit::BlockState::Printed);
  EXPECT_EQ(blocks.back().last, static_cast<int64_t>(printed));
}

INSTANTIATE_TEST_SUITE_P(Databases, SameWorkstation, ::testing::Values("sqlite", "postgresql"),
                         testing::backendTestName);

}  // namespace
}  // namespace briskal
