#pragma once
// A label printer's settings as options, which print, reprint and the printer profiles share:
// --printer-language, --dpi, --media, --gap, --label-size, --darkness, --speed, --offset and
// --check-status. What is not given stays as the profile, or the defaults, have it.

#include <string>
#include <vector>

#include "hostkit/labelprinter/printer_settings.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace briskal::cli {

class PrinterSettingOptions {
 public:
  void addTo(CLI::App& command);
  // The first option given, nullptr when none was.
  const CLI::Option* firstGiven() const;
  // `base` with the options given put over it.
  hostkit::labelprinter::PrinterSettings over(hostkit::labelprinter::PrinterSettings base) const;

 private:
  std::string language_, media_, gap_, labelSize_, offset_, checkStatus_;
  int dpi_ = 0;
  int darkness_ = 0;
  int speed_ = 0;
  std::vector<CLI::Option*> options_;
};

}  // namespace briskal::cli
