#include "hostkit/labelprinter/printer_settings.h"

#include <cmath>

namespace briskal::hostkit::labelprinter {

std::string_view languageName(PrinterLanguage language) {
  return language == PrinterLanguage::Zpl ? "zpl" : "epl2";
}

int toDots(double mm, int dpi) { return static_cast<int>(std::lround(mm * dpi / 25.4)); }

}  // namespace briskal::hostkit::labelprinter
