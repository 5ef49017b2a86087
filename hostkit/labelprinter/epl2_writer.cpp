#include "hostkit/labelprinter/epl2_writer.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <variant>

#include "common/error.h"
#include "hostkit/labelprinter/barcode_fit.h"
#include "hostkit/labelprinter/symbol_bitmap.h"
#include "hostkit/labelprinter/windows1252.h"

namespace briskal::hostkit::labelprinter {
namespace {

struct FontCell {
  int width;
  int height;
};

// Character cells of the built-in fonts 1-5, in dots.
constexpr std::array<FontCell, 5> kFonts203{{{8, 12}, {10, 16}, {12, 20}, {14, 24}, {32, 48}}};
constexpr std::array<FontCell, 5> kFonts300{{{12, 20}, {16, 28}, {20, 36}, {24, 44}, {48, 80}}};
constexpr int kMaxMagnification = 6;

struct FontChoice {
  int font;  // 1-5
  int magnification;
  FontCell cell;
};

bool hasLowercase(std::string_view windows1252) {
  return std::any_of(windows1252.begin(), windows1252.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return (c >= 'a' && c <= 'z') || (c >= 0xDF && c != 0xF7) || c == 0x9A || c == 0x9C || c == 0x9E;
  });
}

// The built-in font whose cell height is closest to the point size; past the largest font the
// cell is magnified. Font 5 has capitals only, so text with small letters never gets it.
FontChoice chooseFont(double points, int dpi, bool lowercase) {
  const auto& fonts = dpi >= 250 ? kFonts300 : kFonts203;
  const double target = std::min(points * dpi / 72.0, double{kMaxDots});
  const size_t usable = lowercase ? 4 : 5;
  size_t best = 0;
  for (size_t f = 1; f < usable; ++f) {
    if (std::abs(fonts[f].height - target) < std::abs(fonts[best].height - target)) best = f;
  }
  const int magnification =
      std::clamp(static_cast<int>(std::lround(target / fonts[best].height)), 1, kMaxMagnification);
  return {static_cast<int>(best) + 1, magnification, fonts[best]};
}

// A quoted string field: the printer reads a backslash as "take the next character as it is".
std::string quotedField(std::string_view windows1252) {
  std::string out = "\"";
  for (const char c : windows1252) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

bool across(int rotation) { return rotation == 90 || rotation == 270; }

// The models' speed codes 1-6 run from about 1.5 to 6 inches a second.
int speedCode(int inchesPerSecond) { return std::clamp(inchesPerSecond, 1, 6); }

}  // namespace

Epl2Writer::Epl2Writer(ByteDevice& device, PrinterSettings settings)
    : device_(device), settings_(std::move(settings)) {}

int Epl2Writer::place(double mm) const { return std::max(0, dots(mm)); }

// A turned field turns about its start point, the top left of its first character or bar: that
// point is the corner of the op's box where the upright top left lands, moved `along` dots the way
// the field runs.
std::pair<int, int> Epl2Writer::start(double x, double y, double width, double height, int rotation,
                                      int along) const {
  switch (rotation) {
    case 90: return {place(x + width), place(y) + along};
    case 180: return {place(x + width) - along, place(y + height)};
    case 270: return {place(x), place(y + height) - along};
    default: return {place(x) + along, place(y)};
  }
}

void Epl2Writer::startJob() {
  // The leading newline ends whatever half command an interrupted job left in the printer.
  std::string setup = "\nI8,A,001\n";
  // Darkness 0-30 is the printers' density 0-15.
  if (settings_.darkness) setup += fmt::format("D{}\n", std::clamp(*settings_.darkness, 0, 30) / 2);
  if (settings_.speed) setup += fmt::format("S{}\n", speedCode(*settings_.speed));
  device_.write(setup);
}

void Epl2Writer::label(const report::Page& page) {
  out_ = "N\n";
  const int width = dots(settings_.labelSize ? settings_.labelSize->widthMm : page.width);
  const int height = dots(settings_.labelSize ? settings_.labelSize->heightMm : page.height);
  if (width != widthDots_ || height != heightDots_) {
    out_ += fmt::format("q{}\nQ{},", width, height);
    switch (settings_.media) {
      case Media::Gap: out_ += fmt::format("{}\n", dots(settings_.gapMm)); break;
      case Media::Mark: out_ += fmt::format("B{}\n", dots(settings_.gapMm)); break;
      case Media::Continuous: out_ += "0\n"; break;
    }
    // Always sent: the printer keeps a reference point an earlier job set.
    out_ += fmt::format("R{},{}\n", std::max(0, dots(settings_.offsetXMm)),
                        std::max(0, dots(settings_.offsetYMm)));
  }
  for (const auto& op : page.ops) std::visit([this](const auto& o) { draw(o); }, op);
  out_ += "P1\n";
  device_.write(out_);
  // The printer has the size once the label that gives it is sent, not when a label is refused.
  widthDots_ = width;
  heightDots_ = height;
  ++labels_;
}

void Epl2Writer::endJob() { device_.finish(); }

void Epl2Writer::draw(const report::TextOp& op) {
  const std::string data = toWindows1252(op.text);
  if (data.empty()) return;
  const FontChoice f = chooseFont(op.size, settings_.resolution(), hasLowercase(data));
  // The fonts are fixed-pitch, so the text's width is known and the alignment box can be honoured.
  const int textWidth = static_cast<int>(data.size()) * f.cell.width * f.magnification;
  const int run = dots(across(op.rotation) ? op.height : op.width);
  int along = 0;
  if (op.align == report::Align::Center) along = (run - textWidth) / 2;
  if (op.align == report::Align::Right) along = run - textWidth;
  const auto [x, y] = start(op.x, op.y, op.width, op.height, op.rotation, along);
  out_ += fmt::format("A{},{},{},{},{},{},N,{}\n", std::max(0, x), std::max(0, y), op.rotation / 90, f.font,
                      f.magnification, f.magnification, quotedField(data));
}

void Epl2Writer::draw(const report::BarcodeOp& op) {
  // Graphics are turned before they are sent and start at the box's top left; barcodes turn
  // about their start point.
  const int x = place(op.x);
  const int y = place(op.y);
  const auto [bx, by] = start(op.x, op.y, op.width, op.height, op.rotation, 0);
  const int turn = op.rotation / 90;
  // The symbol's own width and height, upright.
  const int width = dots(across(op.rotation) ? op.height : op.width);
  const int height = dots(across(op.rotation) ? op.width : op.height);
  const std::string data = toWindows1252(op.data);
  if (data.empty()) return;
  // The human-readable line printed under linear barcodes takes its strip of the box.
  const int barHeight = std::max(1, op.showText ? height - dots(kReadableLine) : height);
  const char readable = op.showText ? 'B' : 'N';
  switch (op.symbology) {
    case report::Symbology::Code128: {
      if (!printableAscii(op.data)) {
        graphic(x, y, turned(symbolBitmap(op, width, height), op.rotation));
        break;
      }
      const int module = std::clamp(width / code128Modules(data), 1, 10);
      out_ += fmt::format("B{},{},{},1,{},{},{},{},{}\n", bx, by, turn, module, 2 * module, barHeight,
                          readable, quotedField(data));
      break;
    }
    case report::Symbology::Ean13: {
      const std::string digits = ean13Digits(data);
      const int module = std::clamp(width / kEan13Modules, 1, 10);
      out_ += fmt::format("B{},{},{},E30,{},{},{},{},{}\n", bx, by, turn, module, 2 * module, barHeight,
                          readable, quotedField(digits));
      break;
    }
    // The GS1 kinds too: the printer's own Code 128 cannot put FNC1 between fields.
    case report::Symbology::QrCode:
    case report::Symbology::DataMatrix:
    case report::Symbology::Gs1_128:
    case report::Symbology::Gs1DataMatrix:
    case report::Symbology::Gs1Qr: graphic(x, y, turned(symbolBitmap(op, width, height), op.rotation)); break;
  }
}

void Epl2Writer::draw(const report::LineOp& op) {
  const int thickness = std::max(1, dots(op.thickness));
  const int x1 = place(op.x1), y1 = place(op.y1), x2 = place(op.x2), y2 = place(op.y2);
  // Straight lines are black rectangles centred on the line; only slanted ones need LS.
  if (y1 == y2) {
    out_ += fmt::format("LO{},{},{},{}\n", std::min(x1, x2), std::max(0, y1 - thickness / 2),
                        std::max(1, std::abs(x2 - x1)), thickness);
  } else if (x1 == x2) {
    out_ += fmt::format("LO{},{},{},{}\n", std::max(0, x1 - thickness / 2), std::min(y1, y2), thickness,
                        std::abs(y2 - y1));
  } else {
    out_ += fmt::format("LS{},{},{},{},{}\n", x1, y1, thickness, x2, y2);
  }
}

void Epl2Writer::draw(const report::BoxOp& op) {
  const int x = place(op.x);
  const int y = place(op.y);
  const int width = std::max(1, dots(op.width));
  const int height = std::max(1, dots(op.height));
  if (op.filled) {
    out_ += fmt::format("LO{},{},{},{}\n", x, y, width, height);
  } else {
    out_ += fmt::format("X{},{},{},{},{}\n", x, y, std::max(1, dots(op.thickness)), x + width, y + height);
  }
}

void Epl2Writer::draw(const report::ImageOp& op) {
  const bool turnedAcross = across(op.rotation);
  const MonoBitmap upright = loadMonoBitmap(op.file, dots(turnedAcross ? op.height : op.width),
                                            dots(turnedAcross ? op.width : op.height));
  graphic(place(op.x), place(op.y), turned(upright, op.rotation));
}

void Epl2Writer::graphic(int x, int y, const MonoBitmap& bitmap) {
  if (bitmap.rows.empty()) return;
  out_ += fmt::format("GW{},{},{},{},", x, y, bitmap.widthBytes, bitmap.height);
  out_ += bitmap.rows;
  out_ += '\n';
}

}  // namespace briskal::hostkit::labelprinter
