#include "hostkit/labelprinter/printer_settings.h"

#include <algorithm>
#include <cmath>

namespace briskal::hostkit::labelprinter {

std::string_view languageName(PrinterLanguage language) {
  return language == PrinterLanguage::Zpl ? "zpl" : "epl2";
}

std::string_view mediaName(Media media) {
  switch (media) {
    case Media::Mark: return "mark";
    case Media::Continuous: return "continuous";
    case Media::Gap: break;
  }
  return "gap";
}

int toDots(double mm, int dpi) {
  // Clamped before rounding: a number past the int's range would come out as any number at all.
  return static_cast<int>(std::lround(std::clamp(mm * dpi / 25.4, -double{kMaxDots}, double{kMaxDots})));
}

}  // namespace briskal::hostkit::labelprinter
