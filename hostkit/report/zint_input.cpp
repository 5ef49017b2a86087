#include "hostkit/report/zint_input.h"

#include <zint.h>

#include "hostkit/gs1/element_string.h"

namespace briskal::hostkit::report {
namespace {

int zintSymbology(Symbology s) {
  switch (s) {
    case Symbology::Code128: return BARCODE_CODE128;
    case Symbology::Ean13: return BARCODE_EANX;
    case Symbology::QrCode:
    case Symbology::Gs1Qr: return BARCODE_QRCODE;
    case Symbology::DataMatrix:
    case Symbology::Gs1DataMatrix: return BARCODE_DATAMATRIX;
    case Symbology::Gs1_128: return BARCODE_GS1_128;
  }
  return BARCODE_CODE128;
}

}  // namespace

ZintInput zintInput(Symbology symbology, std::string_view data) {
  if (!isGs1(symbology)) return {zintSymbology(symbology), UNICODE_MODE, std::string(data)};
  // '[' is not among the characters GS1 data may hold, so the brackets need no escaping.
  std::string squared;
  for (const gs1::Element& e : gs1::parseBracketed(data)) squared += "[" + e.ai + "]" + e.data;
  return {zintSymbology(symbology), GS1_MODE, std::move(squared)};
}

}  // namespace briskal::hostkit::report
