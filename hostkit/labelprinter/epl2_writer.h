#pragma once
// EPL2 output for thermal label printers: one label per laid-out page, written to a ByteDevice
// in a job (startJob, label for each page, endJob). Millimetres become printer dots at the
// configured resolution; text goes out in Windows-1252.
//
// What the language cannot say is approximated: text uses the nearest built-in bitmap font (with
// an integer magnification beyond the largest), bold is ignored, and barcode modules are whole
// dots sized to fit the box.

#include <string>

#include "hostkit/labelprinter/byte_device.h"
#include "hostkit/report/drawing.h"

namespace briskal::hostkit::labelprinter {

struct Epl2Settings {
  int dpi = 203;       // 203 or 300 on the usual printers
  double gapMm = 3.0;  // the gap between labels on the roll
};

// Millimetres to printer dots, to the nearest dot.
int toDots(double mm, int dpi);

class Epl2Writer {
 public:
  explicit Epl2Writer(ByteDevice& device, Epl2Settings settings = {});

  // Selects the Windows-1252 code page for the job's text.
  void startJob();
  // Clears the image buffer, sets the label size when it differs from the previous label's,
  // draws the page and prints it once. Throws briskal::Error for a barcode value the symbology
  // cannot carry or an image that cannot be read.
  void label(const report::Page& page);
  // Completes the job on the device; throws briskal::Error when it cannot be delivered.
  void endJob();

  int labels() const { return labels_; }

 private:
  void text(const report::TextOp& op);
  void barcode(const report::BarcodeOp& op);
  void line(const report::LineOp& op);
  void box(const report::BoxOp& op);
  void image(const report::ImageOp& op);
  int dots(double mm) const { return toDots(mm, settings_.dpi); }
  // A position on the label: the printer takes no negative coordinates.
  int place(double mm) const;

  ByteDevice& device_;
  Epl2Settings settings_;
  int labels_ = 0;
  int widthDots_ = -1;
  int heightDots_ = -1;
  std::string out_;  // the label being composed, sent in one write
};

}  // namespace briskal::hostkit::labelprinter
