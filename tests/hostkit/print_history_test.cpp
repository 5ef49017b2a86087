// The print history on every database: jobs kept with their labels and templates, found by their
// filters, numbered once each when workstations print at once, and a job whose process was
// killed found as interrupted.

#include "hostkit/store/print_history.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "common/error.h"
#include "data/connection.h"
#include "hostkit/store/packed_text.h"
#include "support/database_backends.h"

namespace briskal::hostkit {
namespace {

const Value kCompany(int32_t{1});

// A filter with one thing set.
template <typename Set>
JobFilter where(Set set) {
  JobFilter filter;
  set(filter);
  return filter;
}

std::vector<PrintedLabel> someLabels(int count) {
  std::vector<PrintedLabel> labels;
  for (int n = 0; n < count; ++n)
    labels.push_back({"2026000000" + std::to_string(10 + n / 500), std::to_string(n / 100 + 1),
                      "Flangia\tØ 80\nriga 2 \\ C:\\temp|" + std::to_string(n)});
  return labels;
}

using PrintHistories = briskal::testing::FreshDatabaseTest;

TEST_P(PrintHistories, AJobKeepsWhatItPrintedAndIsFoundByItsFilters) {
  PrintHistory history(connection_, kCompany);
  EXPECT_TRUE(history.list({}).empty());
  const std::vector<PrintedLabel> labels = someLabels(2500);
  const std::string label = "page kind=label width=100 height=50\nsection name=D height=50\n";
  std::unique_ptr<PrintHistory::Job> job =
      history.open({"anna", "custom", "labels.pdf", "", "CRPD_BRISKLABPERS", label, std::nullopt, ""});
  for (const PrintedLabel& l : labels) job->add(l);
  job->close(JobOutcome::Delivered, 2500);
  std::unique_ptr<PrintHistory::Job> failed =
      history.open({"bruno", "labelprinter", "tcp://10.0.0.7:9100", "zpl 203 dpi", "CRPD_BRISKLABPERS", label,
                    std::nullopt, ""});
  failed->add(labels.front());
  failed->close(JobOutcome::Failed, 0, "Stampante ZT1: carta esaurita");
  std::unique_ptr<PrintHistory::Job> reprint = history.open(
      {"anna", "custom", "again.pdf", "", "CRPD_BRISKLABPERS", label, job->id(), "etichetta rovinata"});
  reprint->close(JobOutcome::Delivered, 0);

  const std::optional<PrintJob> kept = history.job(job->id());
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->user, "anna");
  EXPECT_EQ(kept->labels, 2500);
  EXPECT_EQ(kept->outcome, JobOutcome::Delivered);
  EXPECT_FALSE(kept->endedUtc.empty());
  EXPECT_EQ(history.labels(job->id()), labels) << "every label, in order, its text as it was";
  EXPECT_EQ(history.templateText(kept->templateKey), label);
  EXPECT_EQ(history.job(failed->id())->templateKey, kept->templateKey) << "one copy of a template";
  EXPECT_EQ(history.job(failed->id())->error, "Stampante ZT1: carta esaurita");
  EXPECT_EQ(history.job(reprint->id())->reprintOf, job->id());
  EXPECT_EQ(history.job(reprint->id())->reason, "etichetta rovinata");

  const auto ids = [](const std::vector<PrintJob>& jobs) {
    std::vector<int64_t> out;
    for (const PrintJob& j : jobs) out.push_back(j.id);
    return out;
  };
  EXPECT_EQ(ids(history.list({})), (std::vector<int64_t>{3, 2, 1})) << "the newest first";
  EXPECT_EQ(ids(history.list(where([](JobFilter& f) { f.user = "bruno"; }))), (std::vector<int64_t>{2}));
  EXPECT_EQ(ids(history.list(where([](JobFilter& f) { f.outcome = JobOutcome::Failed; }))),
            (std::vector<int64_t>{2}));
  EXPECT_EQ(ids(history.list(where([](JobFilter& f) { f.order = "202600000014"; }))),
            (std::vector<int64_t>{1}));
  EXPECT_EQ(ids(history.list(where([](JobFilter& f) { f.limit = 1; }))), (std::vector<int64_t>{3}));
  EXPECT_TRUE(history.list(where([](JobFilter& f) { f.sinceUtc = "2999-01-01"; })).empty());
  EXPECT_EQ(history.list(where([](JobFilter& f) { f.untilUtc = nowUtc().substr(0, 10); })).size(), 3U)
      << "a date takes in its whole day";
  EXPECT_TRUE(PrintHistory(connection_, Value(int32_t{2})).list({}).empty()) << "another company's";

  EXPECT_EQ(history.prune("2000-01-01"), 0);
  EXPECT_EQ(history.prune("2999-01-01"), 3);
  EXPECT_TRUE(history.list({}).empty());
  EXPECT_TRUE(history.labels(job->id()).empty());
}

TEST_P(PrintHistories, LabelsKeptAsRepeatsAndChangesReadBackWholeAcrossChunks) {
  PrintHistory history(connection_, kCompany);
  std::unique_ptr<PrintHistory::Job> job =
      history.open({"anna", "custom", "labels.pdf", "", "L", "", std::nullopt, ""});
  // Seven labels a line, 2,500 labels: chunks start on repeats as well as on new lines.
  std::vector<PrintedLabel> expected;
  for (int n = 0; n < 2500; ++n) {
    const std::string line = std::to_string(n / 7 + 1);
    // Values apart as a record's are: most of them the same from one line to the next, one of
    // them holding what a chunk escapes.
    expected.push_back({"202600000001", line, "tOrdine 1\x1fi" + line + "\x1ftriga\t\\ \x1e fine\x1f\x1fN"});
    if (n % 7 == 0) job->add(expected.back());
    else job->repeat(expected.back().order, expected.back().line);
  }
  job->close(JobOutcome::Delivered, 2500);
  EXPECT_EQ(history.labels(job->id()), expected);
  EXPECT_EQ(history.job(job->id())->labels, 2500);
}

TEST_P(PrintHistories, WorkstationsPrintingAtOnceEachKeepTheirOwnJobs) {
  constexpr int kWorkstations = 4;
  constexpr int kJobs = 5;
  std::vector<std::thread> workstations;
  std::vector<std::vector<int64_t>> opened(kWorkstations);
  for (int w = 0; w < kWorkstations; ++w)
    workstations.emplace_back([&, w] {
      data::Connection connection;
      connection.setConnectionString(database_);
      connection.open();
      PrintHistory history(connection, kCompany);
      for (int j = 0; j < kJobs; ++j) {
        std::unique_ptr<PrintHistory::Job> job = history.open(
            {"user" + std::to_string(w), "custom", "f.pdf", "", "L", "page\n", std::nullopt, ""});
        for (const PrintedLabel& l : someLabels(10 + w)) job->add(l);
        job->close(JobOutcome::Delivered, 1);
        opened[w].push_back(job->id());
      }
    });
  for (std::thread& t : workstations) t.join();
  PrintHistory history(connection_, kCompany);
  const std::vector<PrintJob> jobs = history.list(where([](JobFilter& f) { f.limit = 1000; }));
  ASSERT_EQ(jobs.size(), static_cast<size_t>(kWorkstations * kJobs));
  for (int w = 0; w < kWorkstations; ++w)
    for (const int64_t id : opened[w]) {
      EXPECT_EQ(history.job(id)->user, "user" + std::to_string(w));
      EXPECT_EQ(history.labels(id), someLabels(10 + w));
    }
}

TEST_P(PrintHistories, AJobWhoseProcessWasKilledIsInterruptedAndOneStillRunningIsNot) {
  PrintHistory history(connection_, kCompany);
  std::unique_ptr<PrintHistory::Job> mine =
      history.open({"anna", "custom", "f.pdf", "", "L", "", std::nullopt, ""});
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Another workstation's run, killed half-way.
    data::Connection connection;
    connection.setConnectionString(database_);
    connection.open();
    std::unique_ptr<PrintHistory::Job> job =
        PrintHistory(connection, kCompany).open({"bruno", "custom", "g.pdf", "", "L", "", std::nullopt, ""});
    for (const PrintedLabel& l : someLabels(1500)) job->add(l);
    ::kill(::getpid(), SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  const std::vector<PrintJob> jobs = history.list({});
  ASSERT_EQ(jobs.size(), 2U);
  EXPECT_EQ(jobs[0].user, "bruno");
  EXPECT_EQ(jobs[0].outcome, JobOutcome::Interrupted);
  EXPECT_EQ(history.labels(jobs[0].id).size(), 1000U) << "the labels written before it died";
  EXPECT_EQ(jobs[1].outcome, JobOutcome::Running);
  mine->close(JobOutcome::Cancelled, 0);
  EXPECT_EQ(history.job(mine->id())->outcome, JobOutcome::Cancelled);
}

INSTANTIATE_TEST_SUITE_P(Databases, PrintHistories, ::testing::Values("sqlite", "postgresql"),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

TEST(PackedText, AnyTextComesBackAndADamagedOneIsRefused) {
  for (const std::string& text : {std::string(), std::string("a"), std::string(100000, 'x'),
                                  std::string("\0\xff\t\n\\Ø", 7) + std::string(3000, 'y')})
    EXPECT_EQ(unpackText(packText(text)), text);
  const std::string packed = packText(std::string(5000, 'z'));
  EXPECT_LT(packed.size(), 200U);
  for (const std::string& damaged :
       {std::string(), std::string("12"), std::string("x:AAAA"), std::string("5000:" + packed.substr(5, 8)),
        std::string("99999999999:") + packed.substr(packed.find(':') + 1),
        packed.substr(0, packed.size() - 4), packed.substr(0, packed.size() - 1) + "!"})
    EXPECT_THROW(unpackText(damaged), Error) << damaged;
}

}  // namespace
}  // namespace briskal::hostkit
