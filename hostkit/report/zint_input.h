#pragma once
// What zint is given to draw a barcode: its symbology, input mode and data. The GS1 kinds go as
// GS1 data, the AIs in square brackets, which zint marks with the leading FNC1 and separates
// where a field's length is not predefined.

#include <string>
#include <string_view>
#include <vector>

#include "hostkit/gs1/element_string.h"
#include "hostkit/report/drawing.h"

namespace briskal::hostkit::report {

struct ZintInput {
  int symbology = 0;
  int inputMode = 0;
  std::string data;
};

// `data` is the op's: a GS1 element string with its AIs in brackets for the GS1 kinds. Throws
// briskal::Error (source "GS1") for an element string that breaks GS1's rules.
ZintInput zintInput(Symbology symbology, std::string_view data);

// GS1 data as zint takes it: each AI in square brackets, then its data. '[' is not among the
// characters GS1 data may hold, so the brackets need no escaping.
std::string zintGs1Data(const std::vector<gs1::Element>& elements);

}  // namespace briskal::hostkit::report
