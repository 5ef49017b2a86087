#pragma once
// A barcode drawn as printer dots, for what a printer language cannot say with its own commands
// (2D symbols in EPL2, Code 128 beyond printable ASCII in both languages): whole dots per module,
// the largest module that fits the box, bars as high as the box leaves beside the human-readable
// text, in the bitmap layout of mono_bitmap.h. QR Codes use error correction M, as the printers'
// own commands do.

#include "hostkit/labelprinter/mono_bitmap.h"
#include "hostkit/report/drawing.h"

namespace briskal::hostkit::labelprinter {

// `widthDots` x `heightDots` is the op's box. Throws briskal::Error naming the value when the
// symbology cannot carry it.
MonoBitmap symbolBitmap(const report::BarcodeOp& op, int widthDots, int heightDots);

}  // namespace briskal::hostkit::labelprinter
