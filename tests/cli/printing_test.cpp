// Printing end to end through real print servers on the loopback address: a private CUPS server
// whose queues keep each job as a file, and an LPrint label-printer server whose printers send to
// a listener of the test, as a printer on the network would receive them.

#include <cups/ipp.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <tuple>

#include "cli/briskal_binary.h"
#include "support/database_backends.h"
#include "support/files.h"
#include "support/print_servers.h"
#include "support/process.h"

namespace briskal {
namespace {

using testing::runProcess;

class Printing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = testing::temporaryFolder();
    db_ = folder_ + "/demo.db";
    const auto made = runProcess(kBriskal, {"demo-db", "--out", db_, "--orders", "60", "--seed", "3"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  // The customisable labels of three orders, printed where `where` says.
  static testing::ProcessResult print(const std::vector<std::string>& where) {
    std::vector<std::string> args = {"--db",
                                     "Data Source=" + db_,
                                     "print",
                                     "--where",
                                     "Numero doc.=1..3",
                                     "--basis",
                                     "custom",
                                     "--labels",
                                     "1",
                                     "--label",
                                     "custom"};
    args.insert(args.end(), where.begin(), where.end());
    return runProcess(kBriskal, args);
  }
  // The label printer's stream as the command line writes it to a file of that language.
  static std::string stream(const std::string& extension) {
    const std::string file = folder_ + "/labels" + extension;
    const auto written = print({"--out", file});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    return testing::readFile(file);
  }
  static std::string folder_;
  static std::string db_;
};

std::string Printing::folder_;
std::string Printing::db_;

size_t pdfPages(const std::string& pdf) {
  const std::regex page(R"(/Type\s*/Page[^s])");
  return static_cast<size_t>(
      std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

TEST_F(Printing, CupsQueuesReceiveThePagesAndTheLabelStream) {
  if (!testing::cupsdAvailable()) GTEST_SKIP() << "cupsd is not installed";
  testing::CupsTestServer cups;
  cups.addQueue("office");
  cups.addQueue("labels");
  ::setenv("CUPS_SERVER", cups.server().c_str(), 1);

  const auto printed = print({"--printer", "office"});
  ASSERT_EQ(printed.exitCode, 0) << printed.err << cups.log();
  std::smatch said;
  ASSERT_TRUE(std::regex_search(printed.err, said,
                                std::regex(R"(printed \d+ labels on (\d+) pages? on the printer office)")))
      << printed.err;
  const std::string pdf = cups.waitForJobs("office", 1).at(0).bytes;
  EXPECT_TRUE(pdf.starts_with("%PDF-")) << pdf.substr(0, 20);
  EXPECT_EQ(pdfPages(pdf), std::stoul(said[1]));

  // A raw queue passes the label printer's language through untouched.
  const auto sent = print({"--printer", "cups:labels", "--printer-language", "zpl"});
  ASSERT_EQ(sent.exitCode, 0) << sent.err;
  EXPECT_EQ(cups.waitForJobs("labels", 1).at(0).bytes, stream(".zpl"));
}

// A run killed while its job is on the way prints nothing: the print system drops a document cut
// off before its end, and a job without a document never prints.
TEST_F(Printing, ARunKilledWhileItsJobIsSentPrintsNothing) {
  if (!testing::cupsdAvailable()) GTEST_SKIP() << "cupsd is not installed";
  testing::CupsTestServer cups;
  cups.addQueue("office");
  cups.addQueue("labels");
  ::setenv("CUPS_SERVER", cups.server().c_str(), 1);
  for (const std::string printer : {"office", "cups:labels"}) {
    // About 24,000 labels: killed once a megabyte of them is on its way.
    const auto spooled = cups.spooledBytes();
    const bool killed = testing::runProcessKilledWhen(
        kBriskal,
        {"--db", "Data Source=" + db_, "print", "--where", "Numero doc.=1..60", "--basis", "custom",
         "--labels", "2000", "--label", "custom", "--printer", printer},
        [&] { return cups.spooledBytes() > spooled + 1'000'000; }, 5);
    ASSERT_TRUE(killed) << printer << " ended before a megabyte was sent";
    cups.waitUntilNothingIsIncoming();
  }
  const std::vector<testing::ServerJob> jobs = cups.jobs();
  ASSERT_EQ(jobs.size(), 2U) << cups.log();
  for (const testing::ServerJob& job : jobs) {
    EXPECT_EQ(job.documents, 0) << "job " << job.id;
    EXPECT_TRUE(job.state == IPP_JSTATE_HELD || job.state == IPP_JSTATE_CANCELED ||
                job.state == IPP_JSTATE_ABORTED)
        << "job " << job.id << " in state " << job.state;
  }
  EXPECT_TRUE(cups.printedJobs("office").empty());
  EXPECT_TRUE(cups.printedJobs("labels").empty());
}

TEST_F(Printing, StoppedRefusingAndUnknownQueuesFailWithTheReason) {
  if (!testing::cupsdAvailable()) GTEST_SKIP() << "cupsd is not installed";
  testing::CupsTestServer cups;
  cups.addQueue("stopped");
  cups.stopQueue("stopped");
  cups.addQueue("closed");
  cups.rejectJobs("closed");
  ::setenv("CUPS_SERVER", cups.server().c_str(), 1);
  // A printer of pages, and a raw queue, which the label printer asks first.
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"stopped", "The printer 'stopped' is stopped", "Printer cups:stopped: paused"},
      {"closed", "The printer 'closed' does not accept jobs", "Printer cups:closed: not accepting jobs"},
      {"nowhere", "The printer 'nowhere' is not known to the print system",
       "Printer cups:nowhere: not known to the print system"},
  };
  for (const auto& [queue, pages, labels] : cases) {
    for (const auto& [printer, reason] : {std::pair{queue, pages}, std::pair{"cups:" + queue, labels}}) {
      const auto r = print({"--printer", printer});
      EXPECT_EQ(r.exitCode, 1) << printer;
      EXPECT_NE(r.err.find(reason), std::string::npos) << printer << ": " << r.err;
    }
  }
}

TEST_F(Printing, LabelPrintersOverIppReceiveTheStreamByteForByte) {
  if (!testing::lprintAvailable()) GTEST_SKIP() << "lprint is not installed";
  testing::LoopbackLabelPrinter zplPrinter(testing::LoopbackLabelPrinter::Language::Zpl);
  testing::LoopbackLabelPrinter eplPrinter;
  testing::LprintTestServer lprint;
  lprint.addPrinter("zpl", "zpl_4inch-203dpi-dt", zplPrinter.deviceUri());
  lprint.addPrinter("epl", "epl2_4inch-203dpi-dt", eplPrinter.deviceUri());

  // No language given: each printer says which it takes.
  const auto zpl = print({"--printer", lprint.printerUri("zpl")});
  ASSERT_EQ(zpl.exitCode, 0) << zpl.err << lprint.log();
  EXPECT_EQ(zplPrinter.waitForJobs(1).at(0), stream(".zpl"));
  const auto epl = print({"--printer", lprint.printerUri("epl")});
  ASSERT_EQ(epl.exitCode, 0) << epl.err << lprint.log();
  EXPECT_EQ(eplPrinter.waitForJobs(1).at(0), stream(".epl"));

  // A language the printer does not take is refused before anything is sent.
  const auto wrong = print({"--printer", lprint.printerUri("epl"), "--printer-language", "zpl"});
  EXPECT_EQ(wrong.exitCode, 1);
  EXPECT_NE(wrong.err.find("does not take zpl jobs"), std::string::npos) << wrong.err;
}

// A raw port confirms a job only by closing its side once it has read all of it: a printer that
// resets the connection instead, even with every byte read, fails the run, saying what it
// acknowledged, and nothing is reported sent.
TEST_F(Printing, RawLabelPrintersCountAsSentOnlyOnceTheyConfirm) {
  const std::string job = stream(".epl");
  testing::LoopbackLabelPrinter reading;
  const std::string readingAddress = "127.0.0.1:" + std::to_string(reading.port());
  const auto sent = print({"--printer", "tcp://" + readingAddress});
  ASSERT_EQ(sent.exitCode, 0) << sent.err;
  EXPECT_NE(sent.err.find("to the label printer at tcp://" + readingAddress), std::string::npos) << sent.err;
  EXPECT_EQ(reading.waitForJobs(1).at(0), job);

  testing::LoopbackLabelPrinter resetting;
  resetting.cutOffAfter(job.size(), testing::LoopbackLabelPrinter::Cutoff::Reset);
  const std::string resettingAddress = "127.0.0.1:" + std::to_string(resetting.port());
  const auto cut = print({"--printer", "tcp://" + resettingAddress});
  EXPECT_EQ(cut.exitCode, 1) << cut.err;
  EXPECT_NE(cut.err.find("label printer " + resettingAddress + ": " + std::strerror(ECONNRESET) +
                         "; the printer acknowledged "),
            std::string::npos)
      << cut.err;
  EXPECT_EQ(cut.err.find("sent "), std::string::npos) << cut.err;
}

// At once: a run that waited for the printer would wait its connection timeout out, 10 s for a raw
// port and 30 s for IPP; a loaded machine may take a few seconds only to run the command. An IPP
// printer is asked for its status first; an EPL2 printer on a raw port has none to give.
TEST_F(Printing, APrinterNobodyAnswersFailsAtOnceNamingIt) {
  constexpr auto kWellWithinTheConnectionTimeout = std::chrono::seconds(8);
  const testing::RefusingLoopbackPort closed;
  const std::string address = "127.0.0.1:" + std::to_string(closed.port());
  const std::string ipp = "ipp://" + address + "/ipp/print/x";
  const std::pair<std::string, std::string> printers[] = {
      {"tcp://" + address, "Cannot connect to the label printer " + address},
      {ipp, "Printer " + ipp + ": not answering; " + std::strerror(ECONNREFUSED)}};
  for (const auto& [printer, says] : printers) {
    const auto started = std::chrono::steady_clock::now();
    const auto r = print({"--printer", printer});
    EXPECT_LT(std::chrono::steady_clock::now() - started, kWellWithinTheConnectionTimeout) << printer;
    EXPECT_EQ(r.exitCode, 1) << printer;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace briskal
