// Every barcode kind, in both printer languages, drawn back to dots from the stream the printer
// receives and read by a barcode reader: zbar for the linear symbols and QR Codes, libdmtx for
// Data Matrix, which zbar does not read.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "hostkit/labelprinter/label_writer.h"
#include "support/label_raster.h"
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
fs::path printed(const BarcodeOp& op, PrinterSettings settings, const std::string& name) {
  Page page{.width = 100, .height = 60, .ops = {op}};
  MemoryDevice device;
  const auto writer = makeLabelWriter(device, settings);
  writer->startJob();
  writer->label(page);
  const auto labels = settings.language == PrinterLanguage::Zpl ? testing::rasterizeZpl(device.bytes())
                                                                : testing::rasterizeEpl2(device.bytes());
  EXPECT_EQ(labels.size(), 1u);
  fs::path file = fs::path(testing::processTemporaryFolder()) / (name + ".pgm");
  testing::writePgm(labels.at(0), file);
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
        const bool matrix = s.symbology == Symbology::QrCode || s.symbology == Symbology::DataMatrix;
        const BarcodeOp op{.x = 10,
                           .y = 10,
                           .width = matrix ? 30.0 : 80.0,
                           .height = matrix ? 30.0 : 20.0,
                           .symbology = s.symbology,
                           .data = s.data};
        const std::string what =
            std::string(languageName(language)) + " " + std::to_string(dpi) + " dpi: " + s.data;
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

}  // namespace
}  // namespace briskal::hostkit::labelprinter
