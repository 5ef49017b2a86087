// What label printers say of themselves, read from their own answers: ZPL's host status and
// error flags, IPP's printer state and reasons; and where a printer's offsets move its labels.

#include "hostkit/labelprinter/printer_status.h"

#include <gtest/gtest.h>

#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/memory_device.h"
#include "hostkit/labelprinter/stream_raster.h"

namespace briskal::hostkit::labelprinter {
namespace {

using Faults = std::vector<PrinterFault>;

// ~HS as a printer answers it: paper out, pause, formats waiting; head up, ribbon out, labels
// remaining in the batch.
std::string hostStatus(int paperOut, int paused, int formats, int headUp, int ribbonOut, int remaining) {
  char answer[200];
  std::snprintf(answer, sizeof answer,
                "\x02"
                "030,%d,%d,0400,%03d,0,0,0,000,0,0,0\x03\r\n"
                "\x02"
                "001,0,%d,%d,0,2,6,0,%08d,1,000\x03\r\n"
                "\x02"
                "1234,0\x03\r\n",
                paperOut, paused, formats, headUp, ribbonOut, remaining);
  return answer;
}

std::string errorFlags(const char* errors, const char* warnings) {
  return std::string("\x02\r\n  PRINTER STATUS\r\n   ERRORS:         ") + errors +
         "\r\n   WARNINGS:       " + warnings + "\r\n\x03\r\n";
}

TEST(PrinterStatusAnswers, ZplHostStatusNamesEveryFaultAndTheLabelsWaiting) {
  const std::optional<PrinterStatus> ready = parseZplStatus(hostStatus(0, 0, 0, 0, 0, 0));
  ASSERT_TRUE(ready);
  EXPECT_TRUE(ready->ready());
  EXPECT_EQ(ready->labelsWaiting, 0);

  const std::optional<PrinterStatus> stuck = parseZplStatus(hostStatus(1, 1, 12, 1, 1, 3));
  ASSERT_TRUE(stuck);
  EXPECT_FALSE(stuck->ready());
  EXPECT_EQ(stuck->faults, (Faults{PrinterFault::PaperOut, PrinterFault::Paused, PrinterFault::HeadOpen,
                                   PrinterFault::RibbonOut}));
  EXPECT_EQ(stuck->labelsWaiting, 15) << "the formats in its buffer and the labels left of the one it prints";

  // Either order, answers in one read or several, and the error flags where the printer knows them.
  const std::string answer =
      errorFlags("1 00000000 00000005", "1 00000000 00000008") + hostStatus(0, 0, 0, 0, 0, 0);
  ASSERT_TRUE(zplAnswerComplete(answer, true));
  const std::optional<PrinterStatus> flagged = parseZplStatus(answer);
  ASSERT_TRUE(flagged);
  EXPECT_EQ(flagged->faults, (Faults{PrinterFault::PaperOut, PrinterFault::HeadOpen}));
  EXPECT_EQ(flagged->warnings, std::vector<std::string>{"paper near its end"});

  // A flag without a name of ours, the flag of an error with none of its bits, and flags that
  // cannot be read: each still stops the printer.
  const std::pair<const char*, const char*> others[] = {
      {"1 00000000 00008000", "error flags 00000000 00008000"},
      {"1 00000000 00000000", "error flags 00000000 00000000"},
      {"1 00000000 1000000005", "error flags that cannot be read"},
      {"one", "error flags that cannot be read"},
  };
  for (const auto& [errors, says] : others) {
    const std::optional<PrinterStatus> other =
        parseZplStatus(hostStatus(0, 0, 0, 0, 0, 0) + errorFlags(errors, "0 00000000 00000000"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->faults, Faults{PrinterFault::Other}) << errors;
    EXPECT_EQ(other->others, std::vector<std::string>{says}) << errors;
  }
  // Counts beyond the printer's eight digits are no answer of a printer.
  EXPECT_FALSE(parseZplStatus(hostStatus(0, 0, 0, 0, 0, 0).replace(14, 3, "9223372036854775807")));
}

TEST(PrinterStatusAnswers, AnAnswerCutShortOrNotAPrintersIsNoStatus) {
  const std::string whole = hostStatus(0, 0, 0, 0, 0, 0);
  for (size_t cut = 0; cut < whole.size() - 2; cut += 7) {
    EXPECT_FALSE(zplAnswerComplete(whole.substr(0, cut), false)) << cut;
    EXPECT_FALSE(parseZplStatus(whole.substr(0, cut))) << cut;
  }
  EXPECT_TRUE(zplAnswerComplete(whole, false));
  EXPECT_FALSE(zplAnswerComplete(whole, true)) << "the error flags are still to come";
  EXPECT_FALSE(parseZplStatus("SSH-2.0-OpenSSH_9.2\r\n"));
  EXPECT_FALSE(parseZplStatus("\x02a,b\x03\x02c\x03\x02d\x03"));
}

TEST(PrinterStatusAnswers, IppReasonsStopAPrinterAsErrorsOrWhenItIsOffLine) {
  const PrinterStatus idle = ippStatus(3, {"none"}, true, "");
  EXPECT_TRUE(idle.ready());
  const PrinterStatus empty =
      ippStatus(4, {"media-empty-error", "cover-open", "toner-low-warning"}, true, "");
  EXPECT_EQ(empty.faults, (Faults{PrinterFault::PaperOut, PrinterFault::CoverOpen}));
  EXPECT_EQ(empty.warnings, std::vector<std::string>{"toner-low-warning"});
  EXPECT_TRUE(ippStatus(3, {"media-low-report", "media-empty-warning"}, true, "").ready());
  EXPECT_EQ(ippStatus(4, {"offline-report"}, true, "").faults, Faults{PrinterFault::Offline});
  // A reason without a suffix is an error, but for a print server's own while it works.
  EXPECT_EQ(ippStatus(3,
                      {"input-tray-missing-error", "interlock-open", "cups-waiting-for-job-completed",
                       "connecting-to-device", "com.example-sleeping"},
                      true, "")
                .others,
            (std::vector<std::string>{"input-tray-missing-error", "interlock-open"}));
  EXPECT_EQ(ippStatus(5, {}, true, "").faults, Faults{PrinterFault::Stopped});
  EXPECT_EQ(ippStatus(5, {"paused"}, false, "").faults,
            (Faults{PrinterFault::Paused, PrinterFault::NotAcceptingJobs}));
}

TEST(PrinterStatusAnswers, TheFaultIsOneSentenceInEitherLanguage) {
  PrinterStatus status = ippStatus(3, {"media-empty-error", "marker-supply-empty-error", "door-jammed-error"},
                                   true, "Load labels");
  const report::FailureText text = faultText("ZT1", status);
  EXPECT_EQ(text.english(), "Printer ZT1: paper out, ribbon out, door-jammed-error; Load labels");
  EXPECT_EQ(text.translated([](const std::string& italian) { return italian; }),
            "Stampante ZT1: carta esaurita, nastro esaurito, door-jammed-error; Load labels");
}

// The offsets are the language's own: everything drawn moves, in the stream and on the dots.
TEST(PrinterOffsets, TheLabelHomeMovesEverythingDrawn) {
  report::Page page{
      .width = 50,
      .height = 25,
      .ops = {report::BoxOp{.x = 0, .y = 0, .width = 5, .height = 5, .thickness = 5, .filled = true}},
      .records = 1};
  for (const PrinterLanguage language : {PrinterLanguage::Epl2, PrinterLanguage::Zpl}) {
    SCOPED_TRACE(languageName(language));
    const auto drawn = [&](double x, double y) {
      MemoryDevice device;
      PrinterSettings settings{.language = language, .dpi = 203};
      settings.offsetXMm = x;
      settings.offsetYMm = y;
      const auto writer = makeLabelWriter(device, settings);
      writer->startJob();
      writer->label(page);
      writer->endJob();
      const std::vector<LabelDots> dots = language == PrinterLanguage::Zpl
                                              ? rasterizeZpl(device.bytes())
                                              : rasterizeEpl2(device.bytes(), 203);
      EXPECT_EQ(dots.size(), 1U);
      return std::pair{device.bytes(), dots.empty() ? LabelDots{} : dots.front()};
    };
    const auto [plain, plainDots] = drawn(0, 0);
    const auto [moved, movedDots] = drawn(2, 1);  // 16 and 8 dots
    EXPECT_NE(plain.find(language == PrinterLanguage::Zpl ? "^LH0,0" : "\nR0,0\n"), std::string::npos)
        << plain;
    EXPECT_NE(moved.find(language == PrinterLanguage::Zpl ? "^LH16,8" : "\nR16,8\n"), std::string::npos)
        << moved;
    const auto at = [](const LabelDots& d, int x, int y) {
      const auto dot = static_cast<size_t>(y * d.width + x);
      return dot < d.black.size() && d.black[dot] != 0;
    };
    // The 5 mm square, 40 dots, from the corner or from the label home.
    EXPECT_TRUE(at(plainDots, 2, 2));
    EXPECT_FALSE(at(plainDots, 50, 44));
    EXPECT_FALSE(at(movedDots, 2, 2));
    EXPECT_TRUE(at(movedDots, 50, 44));
  }
}

}  // namespace
}  // namespace briskal::hostkit::labelprinter
