// Runs of one user on one workstation at the same moment (two terminals, a script, the desktop
// beside the command line) share that workstation's rows of the report table: each must still
// print exactly what it would print alone, and keep its own job in the print history.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "cli/briskal_binary.h"
#include "data/connection.h"
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

INSTANTIATE_TEST_SUITE_P(Databases, SameWorkstation, ::testing::Values("sqlite", "postgresql"),
                         testing::backendTestName);

}  // namespace
}  // namespace briskal
