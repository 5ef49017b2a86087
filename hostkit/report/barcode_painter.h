#pragma once
// Draws a barcode with cairo from zint's vector output, filling the op's box: linear symbols
// stretch their bars to the box and keep their text at its natural size underneath, 2D symbols
// keep their square modules and are centred.

#include "hostkit/report/cairo_handles.h"
#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

// How the bars are filled: as one shape, which is how pixels show them; or each bar on its own,
// which a PDF writes as one short rectangle a bar instead of a path of four points.
enum class Bars { OneShape, EachApart };

// `cr` is in millimetres. Throws briskal::Error with zint's message for data the symbology
// cannot encode.
void drawBarcode(cairo_t* cr, const BarcodeOp& op, Bars bars);

}  // namespace briskal::hostkit::report
