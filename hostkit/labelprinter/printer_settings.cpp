#include "hostkit/labelprinter/printer_settings.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
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

namespace {

bool sameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::optional<PrinterLanguage> languageFromName(std::string_view name) {
  for (const PrinterLanguage language : {PrinterLanguage::Epl2, PrinterLanguage::Zpl})
    if (sameName(name, languageName(language))) return language;
  return std::nullopt;
}

std::optional<Media> mediaFromName(std::string_view name) {
  for (const Media media : {Media::Gap, Media::Mark, Media::Continuous})
    if (sameName(name, mediaName(media))) return media;
  return std::nullopt;
}

std::string millimetresText(double mm) { return fmt::format("{:g}", mm); }

int toDots(double mm, int dpi) {
  // Clamped before rounding: a number past the int's range would come out as any number at all.
  return static_cast<int>(std::lround(std::clamp(mm * dpi / 25.4, -double{kMaxDots}, double{kMaxDots})));
}

}  // namespace briskal::hostkit::labelprinter
