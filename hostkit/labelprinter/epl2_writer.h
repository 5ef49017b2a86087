#pragma once
// EPL2 output for thermal label printers. Millimetres become printer dots at the configured
// resolution; text goes out in Windows-1252.
//
// What the language cannot say is approximated: text uses the nearest built-in bitmap font (with
// an integer magnification beyond the largest), bold is ignored, and barcode modules are whole
// dots sized to fit the box. QR Codes and Data Matrix symbols go as graphics, because only some
// firmware has the command for them.

#include <string>
#include <utility>

#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/mono_bitmap.h"

namespace briskal::hostkit::labelprinter {

class Epl2Writer final : public LabelWriter {
 public:
  explicit Epl2Writer(ByteDevice& device, PrinterSettings settings = {});

  // Selects the Windows-1252 code page, and the darkness and speed when they are set.
  void startJob() override;
  void label(const report::Page& page) override;
  void endJob() override;
  int labels() const override { return labels_; }

 private:
  void draw(const report::TextOp& op);
  void draw(const report::BarcodeOp& op);
  void draw(const report::LineOp& op);
  void draw(const report::BoxOp& op);
  void draw(const report::ImageOp& op);
  void graphic(int x, int y, const MonoBitmap& bitmap);
  std::pair<int, int> start(double x, double y, double width, double height, int rotation, int along) const;
  int dots(double mm) const { return toDots(mm, settings_.resolution()); }
  // A position on the label: the printer takes no negative coordinates.
  int place(double mm) const;

  ByteDevice& device_;
  PrinterSettings settings_;
  int labels_ = 0;
  int widthDots_ = -1;
  int heightDots_ = -1;
  std::string out_;  // the label being composed, sent in one write
};

}  // namespace briskal::hostkit::labelprinter
