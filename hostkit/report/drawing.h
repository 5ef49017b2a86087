#pragma once
// A laid-out page as a device-neutral list of drawing operations, in millimetres from the page's
// top left corner: what the PDF/PNG renderer and the label-printer writers consume.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace briskal::hostkit::report {

// Font sizes are in points; the drawing is in millimetres.
inline constexpr double kMillimetresPerPoint = 25.4 / 72;

enum class Align { Left, Center, Right };

// Texts, barcodes and images may be turned clockwise by a quarter turn or more, about the middle
// of their box: the box stays where it is on the page and what is drawn in it is turned, so a
// text turned by 90 degrees runs down a tall box.
inline constexpr int kRotations[] = {0, 90, 180, 270};

struct TextOp {
  double x = 0, y = 0;           // top left of the text box
  double width = 0, height = 0;  // the box the text is aligned in
  std::string text;              // UTF-8, one line
  std::string font = "DejaVu Sans";
  double size = 10;  // points
  bool bold = false;
  Align align = Align::Left;
  bool italic = false;
  int rotation = 0;  // degrees clockwise: 0, 90, 180 or 270
  bool operator==(const TextOp&) const = default;
};

// The GS1 kinds carry a GS1 element string, written with its AIs in brackets (see
// hostkit/gs1/element_string.h), as Code 128, Data Matrix or QR Code marked as GS1 by a leading
// FNC1.
enum class Symbology { Code128, Ean13, QrCode, DataMatrix, Gs1_128, Gs1DataMatrix, Gs1Qr };

constexpr bool isGs1(Symbology s) {
  return s == Symbology::Gs1_128 || s == Symbology::Gs1DataMatrix || s == Symbology::Gs1Qr;
}
// Square symbols of square modules, as opposed to bars.
constexpr bool isMatrix(Symbology s) {
  return s != Symbology::Code128 && s != Symbology::Ean13 && s != Symbology::Gs1_128;
}

struct BarcodeOp {
  double x = 0, y = 0, width = 0, height = 0;
  Symbology symbology = Symbology::Code128;
  std::string data;
  bool showText = true;  // human-readable text under linear barcodes
  int rotation = 0;
  bool operator==(const BarcodeOp&) const = default;
};

struct LineOp {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double thickness = 0.3;
  bool operator==(const LineOp&) const = default;
};

struct BoxOp {
  double x = 0, y = 0, width = 0, height = 0;
  double thickness = 0.3;
  bool filled = false;
  bool operator==(const BoxOp&) const = default;
};

struct ImageOp {
  double x = 0, y = 0, width = 0, height = 0;
  std::string file;  // a PNG file
  int rotation = 0;
  bool operator==(const ImageOp&) const = default;
};

using DrawingOp = std::variant<TextOp, BarcodeOp, LineOp, BoxOp, ImageOp>;

// For sets of operations: equal operations hash equal.
struct DrawingOpHash {
  size_t operator()(const DrawingOp& op) const;
};

struct Page {
  double width = 210, height = 297;  // millimetres
  std::vector<DrawingOp> ops;
  int64_t records = 0;  // the records laid out on it: its labels, or a report's records
};

// Moves an operation by dx, dy millimetres.
void translate(DrawingOp& op, double dx, double dy);

}  // namespace briskal::hostkit::report
