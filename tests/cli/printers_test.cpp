// Label printers as the factory runs them, from the command line: profiles kept in the company
// database and taken by name, the printer asked whether it can print before each job and how the
// job went after it (a simulated ZPL printer on a loopback port, LPrint over IPP, CUPS queues),
// and the offsets sent as the language's label home.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/briskal_binary.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/print_servers.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::LoopbackLabelPrinter;
using testing::runProcess;

class Printers : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing::temporaryFolder();
    db_ = "Data Source=" + folder_ + "/demo.db";
    const auto made = runProcess(kBriskal, {"--db", db_, "demo-db", "--orders", "20", "--seed", "3"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  testing::ProcessResult run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--db", db_, "--format", "csv"});
    return runProcess(kBriskal, args);
  }
  // Two customisable labels a line of order 1, to `destination` and its options.
  testing::ProcessResult print(std::vector<std::string> destination) const {
    std::vector<std::string> args{"print",    "--where", "Numero doc.=1", "--basis", "custom",
                                  "--labels", "2",       "--label",       "custom"};
    args.insert(args.end(), destination.begin(), destination.end());
    return run(args);
  }
  // The ZPL the run writes to a file with `options`.
  std::string zplFile(std::vector<std::string> options) const {
    const std::string file = folder_ + "/labels.zpl";
    options.insert(options.begin(), {"--out", file});
    const auto written = print(options);
    EXPECT_EQ(written.exitCode, 0) << written.err;
    return testing::readFile(file);
  }
  static std::string address(const LoopbackLabelPrinter& printer) {
    return "tcp://127.0.0.1:" + std::to_string(printer.port());
  }
  static size_t labelsIn(const std::string& zpl) {
    size_t labels = 0;
    for (size_t at = zpl.find("^XZ"); at != std::string::npos; at = zpl.find("^XZ", at + 1)) ++labels;
    return labels;
  }
  std::string folder_;
  std::string db_;
};

TEST_F(Printers, ProfilesAreKeptByNameAndBadInputStoresNothing) {
  ASSERT_EQ(run({"printers", "add", "ZT1", "--printer", "tcp://10.0.0.7", "--printer-language", "zpl",
                 "--dpi", "300", "--label-size", "100x50", "--offset", "1.5,0.25", "--darkness", "20"})
                .exitCode,
            0);
  const std::string listed = run({"printers"}).out;
  EXPECT_NE(listed.find("ZT1,tcp://10.0.0.7,zpl,300,gap,3,100x50,20,\"\",\"1.5,0.25\",yes,admin,"),
            std::string::npos)
      << listed;

  struct Bad {
    std::vector<std::string> args;
    std::string says;
  };
  const Bad bad[] = {
      {{"printers", "add", "ZT1", "--printer", "tcp://10.0.0.8"}, "There is a printer profile ZT1 already"},
      {{"printers", "add", "ZT2", "--printer", "Office"}, "A printer profile is for a label printer"},
      {{"printers", "add", "ZT2", "--printer", "tcp://host:70000"}, "Unknown label printer destination"},
      {{"printers", "add", "ZT2", "--printer", "tcp://x", "--darkness", "31"}, "--darkness"},
      {{"printers", "add", "ZT2", "--printer", "tcp://x", "--speed", "15"}, "--speed"},
      {{"printers", "add", "ZT2", "--printer", "tcp://x", "--dpi", "204"}, "--dpi"},
      {{"printers", "add", "ZT2", "--printer", "tcp://x", "--offset", "-1,0"}, "--offset"},
      {{"printers", "add", "ZT2", "--printer", "tcp://x", "--label-size", "60x40", "--offset", "60,0"},
       "The offsets 60, 0 mm are not within the label (60 x 40 mm)"},
      {{"printers", "set", "ZT1", "--offset", "100,0"}, "are not within the label"},
      {{"printers", "set", "ZT1"}, "printers set needs --printer or a setting"},
      {{"printers", "show", "ZT9"}, "There is no printer profile ZT9"},
      {{"printers", "set", "ZT9", "--speed", "4"}, "There is no printer profile ZT9"},
      {{"printers", "remove", "ZT9"}, "There is no printer profile ZT9"},
      {{"printers", "status", "ZT9"}, "There is no printer profile ZT9"},
      {{"print", "--where", "Numero doc.=1", "--label", "custom", "--printer", "ZT9", "--darkness", "5"},
       "ZT9 is neither a printer profile"},
  };
  for (const Bad& b : bad) {
    const auto r = run(b.args);
    EXPECT_EQ(r.exitCode, 2) << b.args[1] << " " << b.args[2] << ": " << r.err;
    EXPECT_NE(r.err.find(b.says), std::string::npos) << r.err;
  }
  EXPECT_EQ(run({"printers"}).out, listed) << "nothing stored";

  ASSERT_EQ(run({"printers", "set", "ZT1", "--printer", "cups:etichette", "--check-status", "no"}).exitCode,
            0);
  const std::string shown = run({"printers", "show", "ZT1"}).out;
  EXPECT_NE(shown.find("ZT1,cups:etichette,zpl,300,gap,3,100x50,20,\"\",\"1.5,0.25\",no,"), std::string::npos)
      << shown;
  ASSERT_EQ(run({"printers", "remove", "ZT1"}).exitCode, 0);
  EXPECT_EQ(run({"printers"}).out.find("ZT1"), std::string::npos);
}

// Exactly the labels the run makes, with the profile's settings under the options given; the
// printer is asked before and after.
TEST_F(Printers, AReadyPrinterReceivesExactlyTheLabelsWithItsOffsets) {
  LoopbackLabelPrinter printer(LoopbackLabelPrinter::Language::Zpl);
  ASSERT_EQ(run({"printers", "add", "ZT1", "--printer", address(printer), "--printer-language", "zpl",
                 "--label-size", "100x50", "--offset", "1.5,0.5"})
                .exitCode,
            0);
  const auto sent = print({"--printer", "ZT1"});
  ASSERT_EQ(sent.exitCode, 0) << sent.err;
  const std::string job = printer.waitForJobs(1).at(0);
  EXPECT_EQ(job, zplFile({"--label-size", "100x50", "--offset", "1.5,0.5"}));
  EXPECT_NE(job.find("^LH12,4"), std::string::npos);
  EXPECT_NE(sent.err.find("sent " + std::to_string(labelsIn(job)) + " labels to the label printer at " +
                          address(printer)),
            std::string::npos)
      << sent.err;
  EXPECT_EQ(printer.statusQueries(), 4) << "~HS and ~HQES, before the job and after it";

  // An option given for the run goes over the profile's setting.
  ASSERT_EQ(print({"--printer", "ZT1", "--offset", "0,0"}).exitCode, 0);
  EXPECT_NE(printer.waitForJobs(2).at(1).find("^LH0,0"), std::string::npos);
  // A reprint to the profile sends the job's labels again.
  const auto again = run({"reprint", "1", "--reason", "jammed", "--printer", "ZT1"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(printer.waitForJobs(3).at(2), job);
}

TEST_F(Printers, AFaultBeforeTheRunRefusesItWithNothingSent) {
  LoopbackLabelPrinter printer(LoopbackLabelPrinter::Language::Zpl);
  ASSERT_EQ(
      run({"printers", "add", "ZT1", "--printer", address(printer), "--printer-language", "zpl"}).exitCode,
      0);
  struct Fault {
    LoopbackLabelPrinter::Status status;
    std::string says;
  };
  const Fault faults[] = {
      {{.paperOut = true}, "Printer ZT1: paper out"},
      {{.paused = true, .headOpen = true}, "Printer ZT1: paused, head open"},
      {{.ribbonOut = true, .answersErrors = false}, "Printer ZT1: ribbon out"},
      // Some printers stay silent while paper or ribbon is out: silence is not ready.
      {{.answers = false}, "Printer ZT1: not answering"},
  };
  for (const Fault& f : faults) {
    printer.setStatus(f.status);
    const auto refused = print({"--printer", "ZT1"});
    EXPECT_EQ(refused.exitCode, 1) << f.says;
    EXPECT_NE(refused.err.find(": " + f.says + "\n"), std::string::npos) << refused.err;
  }
  EXPECT_TRUE(printer.jobs().empty());
  const auto history = run({"history"});
  EXPECT_NE(history.out.find(",failed,\"\",\"\",Printer ZT1: paper out\r\n"), std::string::npos)
      << history.out;

  // Labels larger than those the printer has loaded are refused before anything goes to it.
  printer.setStatus({});
  ASSERT_EQ(run({"printers", "set", "ZT1", "--label-size", "60x40", "--darkness", "20"}).exitCode, 0);
  const size_t read = printer.bytesRead();
  const auto larger = print({"--printer", "ZT1"});
  EXPECT_EQ(larger.exitCode, 1);
  EXPECT_NE(
      larger.err.find("The labels to print (100 x 50 mm) are larger than those of printer ZT1 (60 x 40 mm)"),
      std::string::npos)
      << larger.err;
  EXPECT_EQ(printer.bytesRead() - read, std::string_view("~HS~HQES\r\n").size())
      << "the status asked, and not even the darkness sent";
  ASSERT_EQ(run({"printers", "set", "ZT1", "--label-size", "100x50"}).exitCode, 0);
  printer.setStatus({.paperOut = true});

  // Told not to ask, the run prints whatever the printer says.
  const auto unasked = print({"--printer", "ZT1", "--check-status", "no"});
  EXPECT_EQ(unasked.exitCode, 0) << unasked.err;
  EXPECT_EQ(printer.waitForJobs(1).size(), 1U);
}

TEST_F(Printers, AFaultAfterTheJobNamesTheLabelsNotPrinted) {
  LoopbackLabelPrinter printer(LoopbackLabelPrinter::Language::Zpl);
  ASSERT_EQ(
      run({"printers", "add", "ZT1", "--printer", address(printer), "--printer-language", "zpl"}).exitCode,
      0);
  printer.setStatusAfterJob({.paperOut = true, .labelsWaiting = 3});
  const auto cut = print({"--printer", "ZT1"});
  EXPECT_EQ(cut.exitCode, 1);
  const size_t labels = labelsIn(printer.waitForJobs(1).at(0));
  ASSERT_GT(labels, 3U);
  const std::string said = "Printer ZT1: paper out; the last 3 of the " + std::to_string(labels) +
                           " labels sent were not printed (" + std::to_string(labels - 2) + "-" +
                           std::to_string(labels) + ")";
  EXPECT_NE(cut.err.find(said), std::string::npos) << cut.err;
  EXPECT_EQ(cut.err.find("sent " + std::to_string(labels) + " labels to"), std::string::npos) << cut.err;
  EXPECT_NE(run({"history"}).out.find(",failed,\"\",\"\"," + said), std::string::npos);
  // The labels not printed print again once the paper is in.
  printer.setStatus({});
  const auto again =
      run({"reprint", "1", "--labels", std::to_string(labels - 2) + "-" + std::to_string(labels), "--reason",
           "paper out", "--printer", "ZT1"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(labelsIn(printer.waitForJobs(2).at(1)), 3U);

  // Paper out once every label is printed: the run printed them all, and says what the printer said.
  printer.setStatusAfterJob({.paperOut = true, .labelsWaiting = 0});
  const auto whole = print({"--printer", "ZT1"});
  EXPECT_EQ(whole.exitCode, 0) << whole.err;
  EXPECT_NE(whole.err.find("briskal: note: Printer ZT1: paper out; every label was printed"),
            std::string::npos)
      << whole.err;
}

// An EPL2 printer says nothing of itself on its raw port: the run says so, and prints.
TEST_F(Printers, AnEpl2PrintersStatusIsUnknownAndTheRunPrints) {
  LoopbackLabelPrinter printer;
  ASSERT_EQ(
      run({"printers", "add", "E1", "--printer", address(printer), "--printer-language", "epl2"}).exitCode,
      0);
  const auto sent = print({"--printer", "E1"});
  ASSERT_EQ(sent.exitCode, 0) << sent.err;
  EXPECT_NE(
      sent.err.find("briskal: note: The status of printer E1 is not known: an EPL2 printer does not tell "
                    "its status\n"),
      std::string::npos)
      << sent.err;
  EXPECT_EQ(printer.waitForJobs(1).size(), 1U);
  const auto status = run({"printers", "status", "E1"});
  EXPECT_EQ(status.exitCode, 0);
  EXPECT_NE(status.out.find("E1,unknown,an EPL2 printer does not tell its status"), std::string::npos)
      << status.out;
}

TEST_F(Printers, StatusSaysWhatThePrinterSays) {
  LoopbackLabelPrinter printer(LoopbackLabelPrinter::Language::Zpl);
  ASSERT_EQ(
      run({"printers", "add", "ZT1", "--printer", address(printer), "--printer-language", "zpl"}).exitCode,
      0);
  printer.setStatus({.labelsWaiting = 7});
  const auto ready = run({"printers", "status", "ZT1"});
  EXPECT_EQ(ready.exitCode, 0) << ready.err;
  EXPECT_NE(ready.out.find("ZT1,ready,\"\",7,\"\",\"\""), std::string::npos) << ready.out;
  printer.setStatus({.headOpen = true});
  const auto open = run({"printers", "status", "ZT1"});
  EXPECT_EQ(open.exitCode, 1);
  EXPECT_NE(open.out.find("ZT1,not ready,head open,0,\"\",\"\""), std::string::npos) << open.out;
}

// LPrint asks its ZPL printer for its status and says it as IPP's printer state and reasons.
TEST_F(Printers, AnIppPrinterStoppedRefusesTheRunUntilItIsResumed) {
  if (!testing::lprintAvailable()) GTEST_SKIP() << "lprint is not installed";
  LoopbackLabelPrinter printer(LoopbackLabelPrinter::Language::Zpl);
  testing::LprintTestServer lprint;
  lprint.addPrinter("zpl", "zpl_4inch-203dpi-dt", printer.deviceUri());
  ASSERT_EQ(run({"printers", "add", "L1", "--printer", lprint.printerUri("zpl")}).exitCode, 0);
  lprint.pause("zpl");
  const auto stopped = print({"--printer", "L1"});
  EXPECT_EQ(stopped.exitCode, 1);
  EXPECT_NE(stopped.err.find(": Printer L1: paused"), std::string::npos) << stopped.err << lprint.log();
  EXPECT_TRUE(printer.jobs().empty());
  lprint.resume("zpl");
  const auto resumed = print({"--printer", "L1"});
  ASSERT_EQ(resumed.exitCode, 0) << resumed.err << lprint.log();
  EXPECT_EQ(printer.waitForJobs(1).at(0), zplFile({}));
}

TEST_F(Printers, CupsQueuesStoppedRejectingOrUnknownRefuseTheRun) {
  if (!testing::cupsdAvailable()) GTEST_SKIP() << "cupsd is not installed";
  testing::CupsTestServer cups;
  cups.addQueue("stopped");
  cups.stopQueue("stopped");
  cups.addQueue("closed");
  cups.rejectJobs("closed");
  cups.addQueue("labels");
  ::setenv("CUPS_SERVER", cups.server().c_str(), 1);
  const std::pair<std::string, std::string> cases[] = {
      {"stopped", "Printer Q-stopped: paused"},
      {"closed", "Printer Q-closed: not accepting jobs"},
      {"nowhere", "Printer Q-nowhere: not known to the print system"},
  };
  for (const auto& [queue, says] : cases) {
    ASSERT_EQ(
        run({"printers", "add", "Q-" + queue, "--printer", "cups:" + queue, "--printer-language", "zpl"})
            .exitCode,
        0);
    const auto r = print({"--printer", "Q-" + queue});
    EXPECT_EQ(r.exitCode, 1) << queue;
    EXPECT_NE(r.err.find(": " + says + "\n"), std::string::npos) << queue << ": " << r.err;
  }
  ASSERT_EQ(run({"printers", "add", "Q", "--printer", "cups:labels", "--printer-language", "zpl"}).exitCode,
            0);
  const auto printed = print({"--printer", "Q"});
  ASSERT_EQ(printed.exitCode, 0) << printed.err << cups.log();
  EXPECT_EQ(cups.waitForJobs("labels", 1).at(0).bytes, zplFile({}));
  EXPECT_TRUE(cups.printedJobs("stopped").empty());
}

}  // namespace
}  // namespace briskal
