// The label-printer writers: labels of fuzzed texts, barcode values and sizes written in ZPL and
// EPL2, whose streams must hold the writers' own commands only, each value kept as data.
//
// The input is lines of words (values are the rest of their line, with %XX for any byte):
//   settings DPI gap|mark|continuous DARKNESS SPEED OFFSET_X OFFSET_Y
//   page WIDTH HEIGHT                          (millimetres; a new label)
//   text X Y W H SIZE left|center|right VALUE
//   code128|ean13|qrcode|datamatrix X Y W H SHOW VALUE
//   line X1 Y1 X2 Y2 THICKNESS
//   box X Y W H THICKNESS FILLED

#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "label_stream_check.h"

namespace {

using namespace briskal::hostkit;
using briskal::fuzz::numberIn;
using briskal::fuzz::words;

// Millimetres within a large label; the writers' own sizes keep graphics to what a printer holds.
constexpr double kMaxMillimetres = 150;
constexpr size_t kMaxOps = 64;

double mm(std::string_view word) { return numberIn(word, 0, kMaxMillimetres); }

labelprinter::PrinterSettings settingsFrom(std::string_view line) {
  const auto w = words(line, 7);
  const std::map<std::string_view, labelprinter::Media> media{
      {"gap", labelprinter::Media::Gap},
      {"mark", labelprinter::Media::Mark},
      {"continuous", labelprinter::Media::Continuous}};
  labelprinter::PrinterSettings settings;
  const int dpi = static_cast<int>(numberIn(w[1], 0, 600));
  settings.dpi = dpi >= 450 ? 600 : dpi >= 250 ? 300 : 203;
  if (media.count(w[2])) settings.media = media.at(w[2]);
  if (!w[3].empty()) settings.darkness = static_cast<int>(numberIn(w[3], -5, 40));
  if (!w[4].empty()) settings.speed = static_cast<int>(numberIn(w[4], -5, 20));
  if (!w[5].empty()) settings.offsetXMm = numberIn(w[5], -5, kMaxMillimetres);
  if (!w[6].empty()) settings.offsetYMm = numberIn(w[6], -5, kMaxMillimetres);
  return settings;
}

report::Align alignFrom(std::string_view word) {
  return word == "center"  ? report::Align::Center
         : word == "right" ? report::Align::Right
                           : report::Align::Left;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::map<std::string_view, report::Symbology> symbologies{
      {"code128", report::Symbology::Code128}, {"ean13", report::Symbology::Ean13},
      {"qrcode", report::Symbology::QrCode},   {"datamatrix", report::Symbology::DataMatrix},
      {"gs1-128", report::Symbology::Gs1_128}, {"gs1-datamatrix", report::Symbology::Gs1DataMatrix},
      {"gs1-qr", report::Symbology::Gs1Qr}};
  labelprinter::PrinterSettings settings;
  std::vector<report::Page> pages;
  size_t ops = 0;
  for (const std::string_view line : briskal::fuzz::lines(input)) {
    const std::string_view kind = words(line, 1)[0];
    if (kind == "settings") {
      settings = settingsFrom(line);
      continue;
    }
    if (kind == "page") {
      const auto w = words(line, 3);
      pages.push_back({.width = mm(w[1]), .height = mm(w[2]), .ops = {}});
      continue;
    }
    if (++ops > kMaxOps) break;
    if (pages.empty()) pages.push_back({.width = 100, .height = 60, .ops = {}});
    auto& page = pages.back();
    if (kind == "text") {
      const auto w = words(line, 7);
      page.ops.emplace_back(report::TextOp{.x = mm(w[1]),
                                           .y = mm(w[2]),
                                           .width = mm(w[3]),
                                           .height = mm(w[4]),
                                           .text = briskal::fuzz::percentDecoded(w[7]),
                                           .size = numberIn(w[5], 0, 200),
                                           .align = alignFrom(w[6])});
    } else if (symbologies.count(kind)) {
      const auto w = words(line, 6);
      page.ops.emplace_back(report::BarcodeOp{.x = mm(w[1]),
                                              .y = mm(w[2]),
                                              .width = mm(w[3]),
                                              .height = mm(w[4]),
                                              .symbology = symbologies.at(kind),
                                              .data = briskal::fuzz::percentDecoded(w[6]),
                                              .showText = w[5] != "0"});
    } else if (kind == "line") {
      const auto w = words(line, 6);
      page.ops.emplace_back(report::LineOp{
          .x1 = mm(w[1]), .y1 = mm(w[2]), .x2 = mm(w[3]), .y2 = mm(w[4]), .thickness = mm(w[5])});
    } else if (kind == "box") {
      const auto w = words(line, 7);
      page.ops.emplace_back(report::BoxOp{.x = mm(w[1]),
                                          .y = mm(w[2]),
                                          .width = mm(w[3]),
                                          .height = mm(w[4]),
                                          .thickness = mm(w[5]),
                                          .filled = w[6] == "1"});
    }
  }
  briskal::fuzz::writeAndCheckJobs(pages, settings);
  return 0;
}
