#pragma once
// What the label printers' own barcode commands need to know about a symbol before drawing it:
// how many modules wide it will be, so that the module size in dots fills the box, and whether
// the data fits the symbology at all.

#include <string>
#include <string_view>

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

}  // namespace briskal::hostkit::labelprinter
