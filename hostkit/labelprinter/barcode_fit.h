#pragma once
// What the label printers' own barcode commands need to know about a symbol before drawing it:
// how many modules wide it will be, so that the module size in dots fills the box, and whether
// the data fits the symbology at all.

#include <string>
#include <string_view>

#include "hostkit/report/drawing.h"

namespace briskal::hostkit::labelprinter {

constexpr int kEan13Modules = 95;

bool allDigits(std::string_view s);
// Whether the printers' own Code 128 command carries the data as it is: printable ASCII.
bool printableAscii(std::string_view s);

// The 12 digits the printers encode (they add the check digit themselves); a 13th digit given
// must be the right check digit. Throws briskal::Error naming the value otherwise.
std::string ean13Digits(std::string_view data);

// Modules of a Code 128 symbol: start, data, check and stop characters of 11 modules each (the
// stop has 13), with digit pairs packed into one character as the printers' automatic mode does.
int code128Modules(std::string_view data);

// Side of the smallest QR Code (error correction M) holding `bytes` bytes, in modules.
int qrModules(size_t bytes);

// Side of the smallest square Data Matrix (ECC 200) holding the data, in modules, with the
// one-module quiet zone the printers draw around it.
int dataMatrixModules(std::string_view data);

// The height in millimetres of the human-readable line printed under linear barcodes.
inline constexpr double kReadableLine = 3.0;

// Modules of a GS1-128 symbol carrying the element string `bracketed`, as zint packs it.
int gs1_128Modules(std::string_view bracketed);

// The human-readable line of a GS1-128 barcode, its AIs in brackets, in the strip of the op's box
// that the bars' foot faces once turned.
report::TextOp gs1ReadableLine(const report::BarcodeOp& op);

}  // namespace briskal::hostkit::labelprinter
