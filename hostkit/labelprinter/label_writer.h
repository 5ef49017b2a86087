#pragma once
// A printer language's writer: one label per laid-out page, written to a ByteDevice in a job
// (startJob, label for each page, endJob). Each language says what it can natively and sends
// the rest (2D barcodes in EPL2, images in both) as one-bit graphics.

#include <memory>

#include "hostkit/labelprinter/byte_device.h"
#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/drawing.h"

namespace briskal::hostkit::labelprinter {

class LabelWriter {
 public:
  virtual ~LabelWriter() = default;
  // Sets the printer up for the job: code page, darkness, speed.
  virtual void startJob() = 0;
  // Draws the page and prints it once, setting the label size and media when they differ from
  // the previous label's. Throws briskal::Error for a barcode value the symbology cannot carry
  // or an image that cannot be read.
  virtual void label(const report::Page& page) = 0;
  // Completes the job on the device; throws briskal::Error when it cannot be delivered.
  virtual void endJob() = 0;
  virtual int labels() const = 0;
};

// The writer of the settings' language (EPL2 when unset).
std::unique_ptr<LabelWriter> makeLabelWriter(ByteDevice& device, const PrinterSettings& settings);

}  // namespace briskal::hostkit::labelprinter
