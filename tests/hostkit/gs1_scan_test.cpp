// GS1 barcodes in every output (PNG and PDF drawn by cairo, ZPL and EPL2 drawn back to dots from
// the stream a printer receives) read by barcode readers as GS1 data: zbar marks it with its GS1
// modifier, libdmtx gives the leading FNC1; each field whose length is not predefined ends with a
// group separator.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "hostkit/gs1/element_string.h"
#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/stream_raster.h"
#include "hostkit/report/cairo_renderer.h"
#include "support/memory_device.h"
#include "support/process.h"

namespace briskal::hostkit {
namespace {

namespace fs = std::filesystem;
using report::BarcodeOp;
using report::Page;
using report::Symbology;
using testing::findProgram;
using testing::runProcess;

// Batch and serial number run to a group separator; the GTIN and the date have predefined lengths.
const std::string kElements = "(01)09521234543213(10)LOT>7_A(17)261231(21)SN-42";
const std::string kCarried =
    "0109521234543213"
    "10LOT>7_A\x1d"
    "17261231"
    "21SN-42";

fs::path folder() { return fs::path(testing::processTemporaryFolder()); }

Page labelWith(const BarcodeOp& op) { return Page{.width = 100, .height = 60, .ops = {op}}; }

BarcodeOp barcode(Symbology symbology, int rotation = 0) {
  const bool linear = symbology == Symbology::Gs1_128;
  const bool across = rotation == 90 || rotation == 270;
  return BarcodeOp{.x = 8,
                   .y = 5,
                   .width = linear && !across ? 84.0 : 34.0,
                   .height = linear && across ? 50.0 : (linear ? 25.0 : 34.0),
                   .symbology = symbology,
                   .data = kElements,
                   .showText = true,
                   .rotation = rotation};
}

// The label as a printer of `language` prints it, as a PGM file.
fs::path printed(const BarcodeOp& op, labelprinter::PrinterLanguage language, int dpi,
                 const std::string& name) {
  testing::MemoryDevice device;
  const labelprinter::PrinterSettings settings{.language = language, .dpi = dpi};
  const auto writer = labelprinter::makeLabelWriter(device, settings);
  writer->startJob();
  writer->label(labelWith(op));
  const auto labels = language == labelprinter::PrinterLanguage::Zpl
                          ? labelprinter::rasterizeZpl(device.bytes())
                          : labelprinter::rasterizeEpl2(device.bytes(), dpi);
  EXPECT_EQ(labels.size(), 1U);
  const fs::path file = folder() / (name + ".pgm");
  labelprinter::writePgm(labels.at(0), file);
  return file;
}

// What a reader makes of the symbol in `image`: the data after a "GS1:" mark when the reader says
// the symbol is GS1's.
std::string read(Symbology symbology, const fs::path& image) {
  if (symbology == Symbology::Gs1DataMatrix) {
    // With -G, libdmtx gives every FNC1 as that character, the leading one included.
    const testing::ProcessResult r = runProcess(findProgram("dmtxread"), {"-G", "29", image.string()});
    return r.out.starts_with('\x1d') ? "GS1:" + r.out.substr(1) : r.out;
  }
  const testing::ProcessResult data = runProcess(findProgram("zbarimg"), {"-q", "--raw", image.string()});
  const testing::ProcessResult xml = runProcess(findProgram("zbarimg"), {"-q", "--xml", image.string()});
  std::string out = data.out;
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return xml.out.find("modifiers='GS1'") != std::string::npos ? "GS1:" + out : out;
}

TEST(Gs1Barcodes, EveryKindScansAsGs1DataInEveryOutput) {
  if (findProgram("zbarimg").empty() || findProgram("dmtxread").empty() || findProgram("pdftoppm").empty())
    GTEST_SKIP() << "zbarimg, dmtxread and pdftoppm are needed to read the barcodes";
  using labelprinter::PrinterLanguage;
  for (const Symbology kind : {Symbology::Gs1_128, Symbology::Gs1DataMatrix, Symbology::Gs1Qr}) {
    const std::string name = std::to_string(static_cast<int>(kind));
    SCOPED_TRACE(name);
    const fs::path png = folder() / ("gs1-" + name + ".png");
    report::renderPng({labelWith(barcode(kind))}, png, report::kLabelDpi);
    EXPECT_EQ(read(kind, png), "GS1:" + kCarried) << "PNG";

    const fs::path pdf = folder() / ("gs1-" + name + ".pdf");
    report::renderPdf({labelWith(barcode(kind))}, pdf, "GS1");
    const fs::path drawn = folder() / ("gs1-pdf-" + name);
    ASSERT_EQ(
        runProcess(findProgram("pdftoppm"), {"-r", "300", "-gray", pdf.string(), drawn.string()}).exitCode,
        0);
    EXPECT_EQ(read(kind, drawn.string() + "-1.pgm"), "GS1:" + kCarried) << "PDF";

    EXPECT_EQ(read(kind, printed(barcode(kind), PrinterLanguage::Zpl, 203, "zpl-" + name)), "GS1:" + kCarried)
        << "ZPL";
    EXPECT_EQ(read(kind, printed(barcode(kind, 90), PrinterLanguage::Zpl, 300, "zpl-turned-" + name)),
              "GS1:" + kCarried)
        << "ZPL turned";
    EXPECT_EQ(read(kind, printed(barcode(kind), PrinterLanguage::Epl2, 203, "epl-" + name)),
              "GS1:" + kCarried)
        << "EPL2";
  }
}

// ZPL carries GS1-128 natively, FNC1 first and after the batch, with the readable line, its AIs in
// brackets, as a text of its own; Data Matrix natively in GS1 mode; GS1 QR Codes as graphics.
TEST(Gs1Barcodes, ZplSaysGs1WithItsOwnCommands) {
  testing::MemoryDevice device;
  const auto writer = labelprinter::makeLabelWriter(device, {.language = labelprinter::PrinterLanguage::Zpl});
  writer->startJob();
  writer->label(Page{
      .width = 100,
      .height = 60,
      .ops = {barcode(Symbology::Gs1_128), barcode(Symbology::Gs1DataMatrix), barcode(Symbology::Gs1Qr)}});
  const std::string& zpl = device.bytes();
  EXPECT_NE(zpl.find(",N,N,N,A^FH^FD>;>80109521234543213"
                     "10LOT><7_5FA>8"
                     "17261231"
                     "21SN-42^FS"),
            std::string::npos)
      << zpl;
  EXPECT_NE(zpl.find("^FH^FD(01)09521234543213(10)LOT>7_5FA(17)261231(21)SN-42^FS"), std::string::npos)
      << zpl;
  EXPECT_NE(zpl.find(",200,,,,#^FH^FD#10109521234543213"
                     "10LOT>7_5FA#1"
                     "17261231"
                     "21SN-42^FS"),
            std::string::npos)
      << zpl;
  EXPECT_NE(zpl.find("^GFA"), std::string::npos) << zpl;
}

}  // namespace
}  // namespace briskal::hostkit
