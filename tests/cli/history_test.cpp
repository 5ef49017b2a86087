// The print history from the command line: jobs listed newest first and by their filters, a job's
// labels as they printed, pruning that asks and never deletes what a mistaken date would.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/briskal_binary.h"
#include "data/connection.h"
#include "hostkit/history/run_snapshot.h"
#include "hostkit/store/print_history.h"
#include "support/files.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

class HistoryCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::temporaryFolder();
    db_ = "Data Source=" + folder_ + "/demo.db";
    ASSERT_EQ(runProcess(kBriskal, {"--db", db_, "demo-db", "--orders", "5", "--seed", "3"}).exitCode, 0);
    // Three runs: anna's delivered, bruno's failed, and anna's reprint of the first.
    data::Connection cn;
    cn.setConnectionString(db_);
    cn.open();
    hostkit::PrintHistory history(cn, Value(int32_t{1}));
    // Labels of a single text each, as standard labels are kept.
    hostkit::RunSnapshot texts;
    texts.fields.push_back({"PD46_RIGADATI", data::FieldType::LongVarWChar});
    auto first = history.open({"anna", "standard", "a.pdf", hostkit::writeSnapshot(texts), "CRPD_BRISKLAB",
                               "page\n", std::nullopt, ""});
    first->add({"202600000001", "1", "tFlangia\tØ 80"});
    first->add({"202600000002", "3", "tPerno"});
    first->close(hostkit::JobOutcome::Delivered, 2);
    auto failed =
        history.open({"bruno", "labelprinter", "tcp://10.0.0.7:9100", "zpl", "L", "", std::nullopt, ""});
    failed->close(hostkit::JobOutcome::Failed, 0, "carta esaurita");
    auto again = history.open({"anna", "custom", "b.pdf", "", "L", "", first->id(), "etichetta rovinata"});
    again->close(hostkit::JobOutcome::Delivered, 1);
  }
  testing::ProcessResult run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--db", db_, "--format", "csv"});
    return runProcess(kBriskal, args);
  }
  // The first column of each row after the header.
  static std::vector<std::string> ids(const std::string& csv) {
    std::vector<std::string> out;
    size_t at = csv.find("\r\n");
    while (at != std::string::npos && at + 2 < csv.size()) {
      out.push_back(csv.substr(at + 2, csv.find(',', at + 2) - at - 2));
      at = csv.find("\r\n", at + 2);
    }
    return out;
  }
  std::string folder_;
  std::string db_;
};

TEST_F(HistoryCommand, ListsTheJobsNewestFirstByTheirFiltersAndShowsAJobsLabels) {
  auto r = run({"history"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ids(r.out), (std::vector<std::string>{"3", "2", "1"})) << r.out;
  EXPECT_NE(r.out.find(",anna,"), std::string::npos);
  EXPECT_NE(r.out.find("etichetta rovinata"), std::string::npos);
  EXPECT_EQ(ids(run({"history", "--user", "bruno"}).out), (std::vector<std::string>{"2"}));
  EXPECT_EQ(ids(run({"history", "--outcome", "failed"}).out), (std::vector<std::string>{"2"}));
  EXPECT_EQ(ids(run({"history", "--order", "202600000002"}).out), (std::vector<std::string>{"1"}));
  EXPECT_EQ(ids(run({"history", "--limit", "1"}).out), (std::vector<std::string>{"3"}));
  EXPECT_TRUE(ids(run({"history", "--since", "2999-01-01"}).out).empty());
  r = run({"history", "show", "1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "LABEL,ORDER,LINE,DATA\r\n1,202600000001,1,Flangia\tØ 80\r\n2,202600000002,3,Perno\r\n");
  // What is not there is said, and a bad option is a usage error.
  r = run({"history", "show", "99"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("There is no print job 99"), std::string::npos) << r.err;
  EXPECT_EQ(run({"history", "--outcome", "printed"}).exitCode, 2);
  EXPECT_EQ(run({"history", "--since", "2026-02-30"}).exitCode, 2);
}

TEST_F(HistoryCommand, PruningAsksAndADateToComeDeletesNothing) {
  // The first two jobs are made old.
  {
    data::Connection cn;
    cn.setConnectionString(db_);
    cn.open();
    cn.execute("UPDATE BRISKAL_PRINT_JOBS SET STARTED_UTC = '2020-05-01T08:00:00Z' WHERE JOB_ID IN (1, 2)");
  }
  auto r = run({"history", "prune", "--before", "2999-01-01"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("is in the future"), std::string::npos) << r.err;
  r = run({"history", "prune", "--before", "2021-01-01"});
  EXPECT_EQ(r.exitCode, 1) << "off a terminal, only --yes says yes";
  EXPECT_NE(r.err.find("nothing deleted"), std::string::npos) << r.err;
  EXPECT_EQ(ids(run({"history"}).out).size(), 3U);
  r = run({"--yes", "history", "prune", "--before", "2021-01-01"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "deleted 2 print jobs started before 2021-01-01\n");
  EXPECT_EQ(ids(run({"history"}).out), (std::vector<std::string>{"3"}));
  EXPECT_EQ(run({"history", "show", "1"}).exitCode, 1);
}

}  // namespace
}  // namespace briskal
