#pragma once
// ZPL II output for thermal label printers: one format (^XA ... ^XZ) a label. Millimetres become
// printer dots at the configured resolution; text goes out in UTF-8 (^CI28) in the scalable
// font, aligned in its box by a field block. Texts, lines, boxes and every barcode kind are the
// printer's own commands; images, and Code 128 values beyond printable ASCII, go as graphics.

#include <string>

#include "hostkit/labelprinter/label_writer.h"
#include "hostkit/labelprinter/mono_bitmap.h"

namespace briskal::hostkit::labelprinter {

class ZplWriter final : public LabelWriter {
 public:
  explicit ZplWriter(ByteDevice& device, PrinterSettings settings = {});

  // Sets the darkness when it is set.
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
  // A field's data after ^FH: the field's own command characters written as hexadecimal, and in a
  // field block (^FB) each backslash doubled.
  void fieldData(std::string_view utf8, bool inFieldBlock);
  int dots(double mm) const { return toDots(mm, settings_.resolution()); }
  int place(double mm) const;

  ByteDevice& device_;
  PrinterSettings settings_;
  int labels_ = 0;
  int widthDots_ = -1;
  int heightDots_ = -1;
  std::string out_;  // the label being composed, sent in one write
};

}  // namespace briskal::hostkit::labelprinter
