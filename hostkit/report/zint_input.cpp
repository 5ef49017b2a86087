#include "hostkit/report/zint_input.h"

#include <zint.h>

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
  return {zintSymbology(symbology), GS1_MODE, zintGs1Data(gs1::parseBracketed(data))};
}

std::string zintGs1Data(const std::vector<gs1::Element>& elements) {
  std::string squared;
  for (const gs1::Element& e : elements) squared += "[" + e.ai + "]" + e.data;
  return squared;
}

}  // namespace briskal::hostkit::report
