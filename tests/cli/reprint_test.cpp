// Every run kept and any label printed again as it was, from the command line: runs of each kind
// are found in the history with their labels, reprints send the same bytes or draw the same pages
// even after the order changed, bad requests print nothing, a database that cannot keep the run
// stops it before it prints, and a run killed half-way is found interrupted.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/briskal_binary.h"
#include "data/connection.h"
#include "hostkit/labelprinter/stream_raster.h"
#include "hostkit/store/print_history.h"
#include "support/files.h"
#include "support/print_servers.h"
#include "support/process.h"

namespace briskal {
namespace {

namespace fs = std::filesystem;
using testing::runProcess;

class Reprints : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::temporaryFolder();
    db_ = "Data Source=" + folder_ + "/demo.db";
    const auto made = runProcess(kBriskal, {"--db", db_, "demo-db", "--orders", "20", "--seed", "4"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  testing::ProcessResult run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--db", db_, "--format", "csv"});
    return runProcess(kBriskal, args);
  }
  // Two labels a line of the first two orders, of `kind`, to `out`.
  testing::ProcessResult print(const std::string& kind, const std::string& out,
                               std::vector<std::string> more = {}) const {
    std::vector<std::string> args{"print",    "--where", "Numero doc.=1..2", "--basis", "custom",
                                  "--labels", "2",       "--label",          kind,      "--out",
                                  path(out)};
    args.insert(args.end(), more.begin(), more.end());
    return run(args);
  }
  std::string path(const std::string& file) const { return folder_ + "/" + file; }
  std::vector<hostkit::PrintJob> jobs() const {
    data::Connection cn;
    cn.setConnectionString(db_);
    cn.open();
    return hostkit::PrintHistory(cn, Value(int32_t{1})).list({});
  }
  std::vector<hostkit::PrintedLabel> labels(int64_t job) const {
    data::Connection cn;
    cn.setConnectionString(db_);
    cn.open();
    return hostkit::PrintHistory(cn, Value(int32_t{1})).labels(job);
  }
  // Each page of the PDF as a PNG's bytes.
  std::vector<std::string> pages(const std::string& pdf) const {
    const std::string prefix = path(fs::path(pdf).stem().string() + "-page");
    const auto drawn = runProcess(testing::findProgram("pdftoppm"), {"-r", "40", "-png", path(pdf), prefix});
    EXPECT_EQ(drawn.exitCode, 0) << drawn.err;
    std::vector<std::string> images;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder_))
      if (entry.path().string().starts_with(prefix)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) images.push_back(testing::readFile(f.string()));
    return images;
  }
  void changeTheOrders() const {
    data::Connection cn;
    cn.setConnectionString(db_);
    cn.open();
    cn.execute("UPDATE DO30_RIGHE SET DO30_DESCART = 'Cambiata dopo la stampa'");
  }
  std::string folder_;
  std::string db_;
};

TEST_F(Reprints, EveryKindOfRunIsKeptAndPrintsAgainAsItDid) {
  ASSERT_EQ(print("standard", "standard.pdf").exitCode, 0);
  ASSERT_EQ(print("standard", "standard.txt").exitCode, 0);
  ASSERT_EQ(print("custom", "custom.pdf").exitCode, 0);
  ASSERT_EQ(print("custom", "custom.zpl").exitCode, 0);
  const std::vector<hostkit::PrintJob> kept = jobs();
  ASSERT_EQ(kept.size(), 4U);
  const std::vector<std::string> kinds{"labelprinter", "custom", "standard", "standard"};
  for (size_t n = 0; n < kept.size(); ++n) {
    SCOPED_TRACE("job " + std::to_string(kept[n].id));
    EXPECT_EQ(kept[n].kind, kinds[n]);
    EXPECT_EQ(kept[n].outcome, hostkit::JobOutcome::Delivered);
    EXPECT_EQ(kept[n].user, "admin");
    EXPECT_FALSE(kept[n].endedUtc.empty());
    EXPECT_EQ(kept[n].labels, kept[0].labels);
    EXPECT_GT(kept[n].labels, 0);
  }
  EXPECT_EQ(kept[0].pages, kept[0].labels);
  // Every label says the order line it came from, standard labels too.
  const std::vector<hostkit::PrintedLabel> standard = labels(1);
  const std::vector<hostkit::PrintedLabel> custom = labels(3);
  ASSERT_EQ(standard.size(), custom.size());
  for (size_t n = 0; n < standard.size(); ++n) {
    EXPECT_EQ(standard[n].order, custom[n].order) << n;
    EXPECT_EQ(standard[n].line, custom[n].line) << n;
    EXPECT_TRUE(standard[n].order.starts_with("2026")) << standard[n].order;
  }
  EXPECT_NE(run({"history", "show", "1"}).out.find(standard[0].order), std::string::npos);
  const std::string withTheOrder = run({"history", "--order", standard[0].order}).out;
  EXPECT_EQ(std::count(withTheOrder.begin(), withTheOrder.end(), '\n'), 5) << withTheOrder;

  // The order changes; the reprints print what was printed.
  changeTheOrders();
  const std::string reason = "etichetta rovinata";
  auto r = run({"reprint", "4", "--reason", reason, "--out", path("again.zpl")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("(a reprint of job 4)"), std::string::npos) << r.err;
  EXPECT_EQ(testing::readFile(path("again.zpl")), testing::readFile(path("custom.zpl")));
  ASSERT_EQ(run({"reprint", "2", "--reason", reason, "--out", path("again.txt")}).exitCode, 0);
  EXPECT_EQ(testing::readFile(path("again.txt")), testing::readFile(path("standard.txt")));
  // The pages are compared as poppler draws them, when it is installed.
  const bool drawing = !testing::findProgram("pdftoppm").empty();
  for (const auto& [job, original] : {std::pair{"3", "custom.pdf"}, std::pair{"1", "standard.pdf"}}) {
    const std::string again = std::string("again-") + job + ".pdf";
    r = run({"reprint", job, "--reason", reason, "--out", path(again)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    if (!drawing) continue;
    const std::vector<std::string> drawn = pages(original);
    ASSERT_FALSE(drawn.empty());
    EXPECT_TRUE(pages(again) == drawn) << "the pages of job " << job << " differ from the reprint's";
  }
  // A new run prints the order as it is now.
  ASSERT_EQ(print("custom", "now.zpl").exitCode, 0);
  EXPECT_NE(testing::readFile(path("now.zpl")).find("Cambiata dopo la stampa"), std::string::npos);
  EXPECT_EQ(testing::readFile(path("again.zpl")).find("Cambiata dopo la stampa"), std::string::npos);

  // Each reprint is a job of its own, naming the job it printed again and why.
  const std::vector<hostkit::PrintJob> after = jobs();
  ASSERT_EQ(after.size(), 9U);
  EXPECT_EQ(after[1].reprintOf, 1);
  EXPECT_EQ(after[1].reason, reason);
  EXPECT_EQ(after[4].reprintOf, 4);
  EXPECT_EQ(after[4].kind, "labelprinter");
  EXPECT_EQ(labels(after[4].id), labels(4));
  EXPECT_FALSE(after[0].reprintOf);
}

TEST_F(Reprints, ChosenLabelsPrintAsTheyDidToAnotherDestination) {
  ASSERT_EQ(print("custom", "custom.zpl").exitCode, 0);
  const std::vector<hostkit::PrintedLabel> original = labels(1);
  ASSERT_GE(original.size(), 5U);
  auto r = run({"reprint", "1", "--labels", "2-3,5", "--reason", "inceppata", "--out", path("some.zpl")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("sent 3 labels"), std::string::npos) << r.err;
  const auto all = hostkit::labelprinter::rasterizeZpl(testing::readFile(path("custom.zpl")));
  const auto some = hostkit::labelprinter::rasterizeZpl(testing::readFile(path("some.zpl")));
  ASSERT_EQ(some.size(), 3U);
  EXPECT_TRUE(some[0] == all[1] && some[1] == all[2] && some[2] == all[4]);
  EXPECT_EQ(labels(2), (std::vector<hostkit::PrintedLabel>{original[1], original[2], original[4]}));
  // A label printer's job goes to pages too, and pages to the label printer in EPL2.
  r = run({"reprint", "1", "--labels", "1", "--reason", "copia", "--out", path("one.pdf")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("printed 1 label on 1 page"), std::string::npos) << r.err;
  ASSERT_EQ(print("custom", "custom.pdf").exitCode, 0);
  r = run({"reprint", "4", "--labels", "1-2", "--reason", "copia", "--out", path("two.epl"), "--dpi", "300"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(hostkit::labelprinter::rasterizeEpl2(testing::readFile(path("two.epl")), 300).size(), 2U);
  EXPECT_EQ(jobs().front().kind, "labelprinter");
}

TEST_F(Reprints, BadRequestsPrintNothing) {
  ASSERT_EQ(print("standard", "standard.pdf").exitCode, 0);
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string said;
  } cases[] = {
      {{"reprint", "7", "--reason", "x", "--out", path("a.pdf")}, 1, "There is no print job 7"},
      {{"reprint", "1", "--labels", "1,999999", "--reason", "x", "--out", path("a.pdf")},
       1,
       "there is no label 999999"},
      {{"reprint", "1", "--reason", "  ", "--out", path("a.pdf")}, 2, "a reprint needs its reason"},
      {{"reprint", "1", "--out", path("a.pdf")}, 2, "--reason is required"},
      {{"reprint", "1", "--labels", "2-x", "--reason", "x", "--out", path("a.pdf")},
       2,
       "expected label numbers"},
      {{"reprint", "1", "--labels", "0", "--reason", "x", "--out", path("a.pdf")},
       2,
       "expected label numbers"},
      {{"reprint", "1", "--reason", "x", "--out", path("a.zpl")}, 1, "a label printer cannot print them"},
      {{"reprint", "1", "--reason", "x", "--out", path("a.pdf"), "--dpi", "300"},
       2,
       "applies to label printers"},
      {{"reprint", "1", "--reason", "x"}, 2, "--out or --printer"},
  };
  for (const auto& c : cases) {
    const auto r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args[1] << " " << c.args[2] << ": " << r.err;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(path("a.pdf")));
  EXPECT_FALSE(fs::exists(path("a.zpl")));
  EXPECT_EQ(jobs().size(), 1U);
}

TEST_F(Reprints, ADatabaseThatCannotKeepTheRunStopsItBeforeItPrints) {
  ASSERT_EQ(print("standard", "first.txt").exitCode, 0);
  {
    data::Connection cn;
    cn.setConnectionString(db_);
    cn.open();
    cn.execute(
        "CREATE TRIGGER FULL_DISK BEFORE INSERT ON BRISKAL_PRINT_LABELS BEGIN SELECT RAISE(ABORT, 'database "
        "or "
        "disk is full'); END");
  }
  for (const auto& [kind, out] : {std::pair{"standard", "s.pdf"}, std::pair{"standard", "s.txt"},
                                  std::pair{"custom", "c.pdf"}, std::pair{"custom", "c.zpl"}}) {
    const auto r = print(kind, out);
    EXPECT_EQ(r.exitCode, 1) << out;
    EXPECT_NE(r.err.find("Nothing was printed: the print history cannot record the run"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("disk is full"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(path(out))) << out;
  }
  // What could be kept says it failed; a reprint cannot print unrecorded either.
  for (const hostkit::PrintJob& job : jobs()) {
    if (job.id > 1) {
      EXPECT_EQ(job.outcome, hostkit::JobOutcome::Failed) << job.id;
    }
  }
  EXPECT_EQ(run({"reprint", "1", "--reason", "x", "--out", path("r.txt")}).exitCode, 1);
  EXPECT_FALSE(fs::exists(path("r.txt")));
}

TEST_F(Reprints, ARunKilledHalfWayIsFoundInterrupted) {
  // A printer that takes the start of the job and then hangs: the run is killed while it sends.
  // Its 12,000 labels, some 9 MB, are more than the connection holds on its way.
  // Each label has an SSCC of its own, from the company's counter.
  testing::LoopbackLabelPrinter printer(testing::LoopbackLabelPrinter::Language::Zpl);
  printer.cutOffAfter(20'000, testing::LoopbackLabelPrinter::Cutoff::Stall);
  const std::string address = "tcp://127.0.0.1:" + std::to_string(printer.port());
  testing::writeFile(path("sscc.rpt"),
                     "page kind=label width=100 height=50\n"
                     "section name=E kind=detail height=50\n"
                     "  text x=3 y=2 w=94 h=6 field=DO30_CODART_MG66 size=12\n"
                     "  barcode x=3 y=10 w=94 h=35 type=gs1-128 compose=\"(00){SSCC}\"\n");
  const bool killed = testing::runProcessKilledWhen(
      kBriskal,
      {"--db", db_, "print", "--where", "Numero doc.=1..20", "--basis", "custom", "--labels", "1000",
       "--label", "custom", "--template", path("sscc.rpt"), "--printer", address, "--printer-language",
       "zpl"},
      [&] {
        try {
          const std::vector<hostkit::PrintJob> running = jobs();
          return !running.empty() && printer.bytesRead() >= 20'000;
        } catch (const std::exception&) {
          return false;  // the run is still making the history's tables
        }
      },
      5);
  ASSERT_TRUE(killed) << "the run ended before it was killed";
  const std::vector<hostkit::PrintJob> kept = jobs();
  ASSERT_EQ(kept.size(), 1U);
  EXPECT_EQ(kept[0].outcome, hostkit::JobOutcome::Interrupted);
  EXPECT_TRUE(kept[0].endedUtc.empty());
  EXPECT_EQ(run({"history", "--outcome", "interrupted"}).out.find("\r\n1,") != std::string::npos, true);
  // Every label it was printing was kept, and prints again.
  const auto all = labels(1);
  EXPECT_GT(all.size(), 1000U);
  const auto again =
      run({"reprint", "1", "--labels", "1-3", "--reason", "interrotta", "--out", path("r.zpl")});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  // With the SSCCs they had; the run's numbers are void, never to be given again.
  const std::string reprinted = testing::readFile(path("r.zpl"));
  EXPECT_NE(reprinted.find(">;>800380123410000000031^FS"), std::string::npos) << reprinted.substr(0, 400);
  const auto counter = run({"counters", "show", "SSCC"});
  EXPECT_NE(counter.out.find("\r\n1,"), std::string::npos) << counter.out;
  EXPECT_NE(counter.out.find(",void,"), std::string::npos) << counter.out;
  EXPECT_EQ(counter.out.find(",taken,"), std::string::npos) << counter.out;
}

}  // namespace
}  // namespace briskal
