#include "hostkit/labelprinter/zpl_writer.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <variant>

#include "common/utf8.h"
#include "hostkit/gs1/element_string.h"
#include "hostkit/labelprinter/barcode_fit.h"
#include "hostkit/labelprinter/symbol_bitmap.h"

namespace briskal::hostkit::labelprinter {
namespace {

char mediaCode(Media media) {
  switch (media) {
    case Media::Gap: return 'Y';
    case Media::Mark: return 'M';
    case Media::Continuous: return 'N';
  }
  return 'Y';
}

char alignCode(report::Align align) {
  switch (align) {
    case report::Align::Left: return 'L';
    case report::Align::Center: return 'C';
    case report::Align::Right: return 'R';
  }
  return 'L';
}

// The field orientations: normal, turned 90 degrees clockwise, inverted, read bottom up.
char orientation(int rotation) {
  switch (rotation) {
    case 90: return 'R';
    case 180: return 'I';
    case 270: return 'B';
    default: return 'N';
  }
}

bool across(int rotation) { return rotation == 90 || rotation == 270; }

constexpr char kHex[] = "0123456789ABCDEF";

}  // namespace

ZplWriter::ZplWriter(ByteDevice& device, PrinterSettings settings)
    : device_(device), settings_(std::move(settings)) {}

int ZplWriter::place(double mm) const { return std::max(0, dots(mm)); }

void ZplWriter::startJob() {
  if (settings_.darkness) device_.write(fmt::format("~SD{:02}\n", std::clamp(*settings_.darkness, 0, 30)));
}

void ZplWriter::label(const report::Page& page) {
  out_ = "^XA^CI28\n";
  const int width = dots(settings_.labelSize ? settings_.labelSize->widthMm : page.width);
  const int height = dots(settings_.labelSize ? settings_.labelSize->heightMm : page.height);
  if (width != widthDots_ || height != heightDots_) {
    out_ += fmt::format("^PW{}^LL{}^LH{},{}^MN{}", width, height, place(settings_.offsetXMm),
                        place(settings_.offsetYMm), mediaCode(settings_.media));
    if (settings_.speed) out_ += fmt::format("^PR{}", std::clamp(*settings_.speed, 1, 14));
    out_ += '\n';
  }
  for (const auto& op : page.ops) std::visit([this](const auto& o) { draw(o); }, op);
  out_ += "^PQ1^XZ\n";
  device_.write(out_);
  // The printer has the size once the label that gives it is sent, not when a label is refused.
  widthDots_ = width;
  heightDots_ = height;
  ++labels_;
}

void ZplWriter::endJob() { device_.finish(); }

void ZplWriter::fieldData(std::string_view utf8, bool inFieldBlock) {
  // Invalid UTF-8 becomes replacement characters, control characters '?', as the EPL2 output does.
  out_ += "^FH^FD";
  for (const char c : utf8::toValidUtf8(utf8)) {
    if (c == '^' || c == '~' || c == '_') {
      out_ += '_';
      out_ += kHex[static_cast<unsigned char>(c) >> 4];
      out_ += kHex[static_cast<unsigned char>(c) & 0xF];
    } else if (c == '\\' && inFieldBlock) {
      // A field block reads a backslash as the start of a line break or a hyphen; two are one.
      out_ += "\\\\";
    } else {
      out_ += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    }
  }
  out_ += "^FS\n";
}

void ZplWriter::draw(const report::TextOp& op) {
  if (op.text.empty()) return;
  const int height = static_cast<int>(
      std::lround(std::clamp(op.size * settings_.resolution() / 72.0, 1.0, double{kMaxDots})));
  // A field's origin is the top left of what it covers on the label; the text's top faces where
  // the turn takes it, so a text turned by 90 degrees lies along the right of its box.
  int x = place(op.x);
  int y = place(op.y);
  if (op.rotation == 90) x = std::max(0, dots(op.x + op.width) - height);
  if (op.rotation == 180) y = std::max(0, dots(op.y + op.height) - height);
  out_ += fmt::format("^FO{},{}^A0{},{},{}", x, y, orientation(op.rotation), height, height);
  // The scalable font is proportional: a field block one line high aligns the text in its box,
  // and starts a turned text at its box's end.
  const bool inFieldBlock = op.align != report::Align::Left || op.rotation != 0;
  const int run = dots(across(op.rotation) ? op.height : op.width);
  if (inFieldBlock) out_ += fmt::format("^FB{},1,0,{},0", std::max(1, run), alignCode(op.align));
  fieldData(op.text, inFieldBlock);
}

void ZplWriter::draw(const report::BarcodeOp& op) {
  if (op.data.empty()) return;
  const int x = place(op.x);
  const int y = place(op.y);
  // The symbol's own width and height, upright, before it is turned onto the label.
  const int width = dots(across(op.rotation) ? op.height : op.width);
  const int height = dots(across(op.rotation) ? op.width : op.height);
  const char turn = orientation(op.rotation);
  // The human-readable line printed under linear barcodes takes its strip of the box.
  const int barHeight = std::max(1, op.showText ? height - dots(kReadableLine) : height);
  const char readable = op.showText ? 'Y' : 'N';
  switch (op.symbology) {
    case report::Symbology::Code128: {
      if (!printableAscii(op.data)) {
        graphic(x, y, turned(symbolBitmap(op, width, height), op.rotation));
        return;
      }
      const int module = std::clamp(width / code128Modules(op.data), 1, 10);
      out_ += fmt::format("^BY{}^FO{},{}^BC{},{},{},N,N,A", module, x, y, turn, barHeight, readable);
      fieldData(op.data, false);
      return;
    }
    case report::Symbology::Ean13: {
      const std::string digits = ean13Digits(op.data);
      const int module = std::clamp(width / kEan13Modules, 1, 10);
      out_ += fmt::format("^BY{}^FO{},{}^BE{},{},{},N", module, x, y, turn, barHeight, readable);
      fieldData(digits, false);
      return;
    }
    case report::Symbology::QrCode: {
      const int magnification = std::clamp(std::min(width, height) / qrModules(op.data.size()), 1, 10);
      // Error correction M, automatic data input. The command has no turns: a square symbol
      // reads the same turned or not.
      out_ += fmt::format("^FO{},{}^BQN,2,{}", x, y, magnification);
      fieldData("MA," + op.data, false);
      return;
    }
    case report::Symbology::DataMatrix: {
      const int module = std::clamp(std::min(width, height) / dataMatrixModules(op.data), 1, 40);
      out_ += fmt::format("^FO{},{}^BX{},{},200", x, y, turn, module);
      fieldData(op.data, false);
      return;
    }
    case report::Symbology::Gs1_128: {
      // The readable line, its AIs in brackets, is a text of its own in the strip the bars leave:
      // the printer's own would print the AIs without them.
      const int module = std::clamp(width / gs1_128Modules(op.data), 1, 10);
      const int strip = op.showText ? dots(kReadableLine) : 0;
      out_ += fmt::format("^BY{}^FO{},{}^BC{},{},N,N,N,A", module, op.rotation == 90 ? x + strip : x,
                          op.rotation == 180 ? y + strip : y, turn, barHeight);
      // Start in code C with FNC1, which marks the symbol GS1's; FNC1 again ends each field whose
      // length is not predefined.
      std::string carried = ">;>8";
      for (const char c : gs1::encoded(gs1::parseBracketed(op.data)))
        carried += c == gs1::kGroupSeparator ? ">8" : (c == '>' ? "><" : std::string(1, c));
      fieldData(carried, false);
      if (op.showText) draw(gs1ReadableLine(op));
      return;
    }
    case report::Symbology::Gs1DataMatrix: {
      const std::string carried = gs1::encoded(gs1::parseBracketed(op.data));
      const int module = std::clamp(std::min(width, height) / dataMatrixModules(carried), 1, 40);
      // '#', which GS1 data never holds, escapes FNC1 as #1: first, it marks the symbol GS1's; then
      // it ends each field whose length is not predefined.
      out_ += fmt::format("^FO{},{}^BX{},{},200,,,,#", x, y, turn, module);
      std::string escaped = "#1";
      for (const char c : carried)
        escaped += c == gs1::kGroupSeparator ? std::string("#1") : std::string(1, c);
      fieldData(escaped, false);
      return;
    }
    case report::Symbology::Gs1Qr:
      graphic(x, y, turned(symbolBitmap(op, width, height), op.rotation));
      return;
  }
}

void ZplWriter::draw(const report::LineOp& op) {
  const int thickness = std::max(1, dots(op.thickness));
  const int x1 = place(op.x1), y1 = place(op.y1), x2 = place(op.x2), y2 = place(op.y2);
  // Straight lines are black boxes centred on the line; slanted ones are diagonals.
  if (y1 == y2) {
    out_ += fmt::format("^FO{},{}^GB{},{},{}^FS\n", std::min(x1, x2), std::max(0, y1 - thickness / 2),
                        std::max(1, std::abs(x2 - x1)), thickness, thickness);
  } else if (x1 == x2) {
    out_ += fmt::format("^FO{},{}^GB{},{},{}^FS\n", std::max(0, x1 - thickness / 2), std::min(y1, y2),
                        thickness, std::abs(y2 - y1), thickness);
  } else {
    // R leans right (bottom left to top right), L leans left.
    const char lean = (x2 - x1) * (y2 - y1) < 0 ? 'R' : 'L';
    out_ += fmt::format("^FO{},{}^GD{},{},{},B,{}^FS\n", std::min(x1, x2), std::min(y1, y2),
                        std::abs(x2 - x1), std::abs(y2 - y1), thickness, lean);
  }
}

void ZplWriter::draw(const report::BoxOp& op) {
  const int width = std::max(1, dots(op.width));
  const int height = std::max(1, dots(op.height));
  // A border as thick as the box's smaller side fills it.
  const int thickness = op.filled ? std::min(width, height) : std::max(1, dots(op.thickness));
  out_ += fmt::format("^FO{},{}^GB{},{},{}^FS\n", place(op.x), place(op.y), width, height, thickness);
}

void ZplWriter::draw(const report::ImageOp& op) {
  const bool turnedAcross = across(op.rotation);
  const MonoBitmap upright = loadMonoBitmap(op.file, dots(turnedAcross ? op.height : op.width),
                                            dots(turnedAcross ? op.width : op.height));
  graphic(place(op.x), place(op.y), turned(upright, op.rotation));
}

void ZplWriter::graphic(int x, int y, const MonoBitmap& bitmap) {
  if (bitmap.rows.empty()) return;
  const size_t total = bitmap.rows.size();
  out_ += fmt::format("^FO{},{}^GFA,{},{},{},", x, y, total, total, bitmap.widthBytes);
  // The graphic's 1 bits print black: the bitmap's are inverted.
  for (const char c : bitmap.rows) {
    const auto byte = static_cast<unsigned char>(~static_cast<unsigned char>(c));
    out_ += kHex[byte >> 4];
    out_ += kHex[byte & 0xF];
  }
  out_ += "^FS\n";
}

}  // namespace briskal::hostkit::labelprinter
