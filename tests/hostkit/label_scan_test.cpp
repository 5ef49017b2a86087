// Every barcode kind, in both printer languages, drawn back to dots from the stream the printer
// receives and read by a barcode reader: zbar for the linear symbols and QR Codes, libdmtx for
// Data Matrix, which zbar does not read.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/stream_raster.h"
#include "support/memory_device.h"
#include "support/process.h"

namespace briskal::hostkit::labelprinter {
namespace {

namespace fs = std::filesystem;
using report::BarcodeOp;
using report::Page;
using report::Symbology;
using testing::findProgram;

using testing::MemoryDevice;

struct Symbol {
  Symbology symbology;
  std::string data;
  std::string decoded;  // what the reader prints
  const char* reader;   // zbarimg or dmtxread
};

// The label printed with `settings`, as dots in a PGM file.
fs::path printed(const report::DrawingOp& op, PrinterSettings settings, const std::string& name) {
  Page page{.width = 100, .height = 60, .ops = {op}};
  MemoryDevice device;
  const auto writer = makeLabelWriter(device, settings);
  writer->startJob();
  writer->label(page);
  const auto labels = settings.language == PrinterLanguage::Zpl
                          ? rasterizeZpl(device.bytes())
                          : rasterizeEpl2(device.bytes(), settings.resolution());
  EXPECT_EQ(labels.size(), 1u);
  fs::path file = fs::path(testing::processTemporaryFolder()) / (name + ".pgm");
  writePgm(labels.at(0), file);
  return file;
}

TEST(LabelScan, EveryBarcodeScansWithItsTextInBothLanguagesAndResolutions) {
  if (findProgram("zbarimg").empty() || findProgram("dmtxread").empty())
    GTEST_SKIP() << "zbarimg (zbar-tools) and dmtxread (dmtx-utils) are needed to read the barcodes";
  // Characters each language escapes, a UTF-8 text, and one beyond ASCII that goes as a graphic.
  const Symbol symbols[] = {
      {Symbology::Code128, R"(PD-"7"\A ^~_x)", "CODE-128:PD-\"7\"\\A ^~_x", "zbarimg"},
      {Symbology::Code128, "00123456", "CODE-128:00123456", "zbarimg"},
      // zbar reads Code 128's extended characters (FNC4) without their high bit: Ø (0xD8) as X.
      {Symbology::Code128, "Flangia Ø80", "CODE-128:Flangia X80", "zbarimg"},
      {Symbology::Ean13, "4006381333931", "EAN-13:4006381333931", "zbarimg"},
      {Symbology::Ean13, "400638133393", "EAN-13:4006381333931", "zbarimg"},
      {Symbology::QrCode, "https://example.com/wo?n=24&r=7 ^_~ perno à",
       "QR-Code:https://example.com/wo?n=24&r=7 ^_~ perno à", "zbarimg"},
      {Symbology::DataMatrix, "WO 24/000123 L7 ^_~", "WO 24/000123 L7 ^_~", "dmtxread"},
  };
  int n = 0;
  for (const PrinterLanguage language : {PrinterLanguage::Epl2, PrinterLanguage::Zpl}) {
    for (const int dpi : {203, 300}) {
      for (const Symbol& s : symbols) {
        // Turned a quarter the other way at 300 dpi: a label read down its side.
        const int turn = dpi == 300 ? 90 : 0;
        const bool matrix = s.symbology == Symbology::QrCode || s.symbology == Symbology::DataMatrix;
        const BarcodeOp op{.x = 10,
                           .y = 5,
                           .width = matrix || turn ? 30.0 : 80.0,
                           .height = matrix ? 30.0 : (turn ? 50.0 : 20.0),
                           .symbology = s.symbology,
                           .data = s.data,
                           .rotation = turn};
        const std::string what = std::string(languageName(language)) + " " + std::to_string(dpi) +
                                 " dpi, turned " + std::to_string(turn) + ": " + s.data;
        const fs::path file = printed(op, {.language = language, .dpi = dpi}, "scan" + std::to_string(n++));
        const testing::ProcessResult read =
            s.reader == std::string("zbarimg")
                ? testing::runProcess(findProgram("zbarimg"), {"-q", file.string()})
                : testing::runProcess(findProgram("dmtxread"), {file.string()});
        EXPECT_EQ(read.exitCode, 0) << what << "\n" << read.err;
        std::string decoded = read.out;
        while (!decoded.empty() && decoded.back() == '\n') decoded.pop_back();
        EXPECT_EQ(decoded, s.decoded) << what;
      }
    }
  }
}

// Dark dots of `label` in the box x, y, w, h given in millimetres at `dpi`.
int darkDots(const LabelDots& label, int dpi, double x, double y, double w, double h) {
  const auto dot = [dpi](double mm) { return static_cast<int>(mm * dpi / 25.4); };
  int count = 0;
  for (int row = std::max(0, dot(y)); row < std::min(label.height, dot(y + h)); ++row)
    for (int col = std::max(0, dot(x)); col < std::min(label.width, dot(x + w)); ++col)
      count += label.black[static_cast<size_t>(row) * label.width + col];
  return count;
}

TEST(PrinterView, TextsLinesAndBoxesAreDrawnWhereThePrinterPrintsThem) {
  using report::TextOp;
  const Page page{
      .width = 100,
      .height = 60,
      .ops = {
          report::BoxOp{.x = 2, .y = 2, .width = 40, .height = 20, .thickness = 0.5},
          report::LineOp{.x1 = 50, .y1 = 30, .x2 = 95, .y2 = 30, .thickness = 0.5},
          TextOp{.x = 5, .y = 5, .width = 30, .height = 5, .text = "Flangia", .size = 12},
          TextOp{.x = 85, .y = 2, .width = 8, .height = 25, .text = "DN 80", .size = 12, .rotation = 90}}};
  for (const PrinterLanguage language : {PrinterLanguage::Epl2, PrinterLanguage::Zpl}) {
    SCOPED_TRACE(languageName(language));
    MemoryDevice device;
    const PrinterSettings settings{.language = language, .dpi = 203};
    const auto writer = makeLabelWriter(device, settings);
    writer->startJob();
    writer->label(page);
    const auto labels =
        language == PrinterLanguage::Zpl ? rasterizeZpl(device.bytes()) : rasterizeEpl2(device.bytes(), 203);
    ASSERT_EQ(labels.size(), 1U);
    const LabelDots& label = labels[0];
    EXPECT_EQ(label.width, 799);
    EXPECT_GT(darkDots(label, 203, 5, 5, 30, 5), 100) << "the text";
    EXPECT_GT(darkDots(label, 203, 1.5, 1.5, 41, 1), 100) << "the box's top";
    EXPECT_EQ(darkDots(label, 203, 3, 11, 38, 10), 0) << "inside the box";
    EXPECT_GT(darkDots(label, 203, 50, 29.5, 45, 1), 100) << "the line";
    EXPECT_GT(darkDots(label, 203, 85, 2, 8, 25), 50) << "the turned text";
    EXPECT_EQ(darkDots(label, 203, 44, 2, 40, 25), 0) << "nothing between";
  }
}

}  // namespace
}  // namespace briskal::hostkit::labelprinter
