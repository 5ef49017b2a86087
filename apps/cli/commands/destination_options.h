#pragma once
// Where a command's labels go, as print and reprint take it: --out FILE or --printer P, and the
// label printer's settings, which apply to a label printer only.

#include <optional>
#include <string>
#include <vector>

#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/delivery.h"
#include "hostkit/report/destination_kind.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace briskal::cli {

class DestinationOptions {
 public:
  // Adds --out, --printer and the label printer's options to `command`.
  void addTo(CLI::App& command);
  // Throws CLI's errors for no destination, or label printer options without a label printer.
  void check() const;
  // The file or printer given.
  const std::string& destination() const { return out_.empty() ? printer_ : out_; }
  bool labelPrinter() const;
  // The label printer's settings given, the defaults for the rest; none when no option was given.
  std::optional<hostkit::labelprinter::PrinterSettings> settingsGiven() const;
  // The label printer's settings given, the defaults for the rest.
  hostkit::labelprinter::PrinterSettings settings() const;

 private:
  std::string out_, printer_;
  hostkit::labelprinter::PrinterLanguage language_ = hostkit::labelprinter::PrinterLanguage::Epl2;
  int dpi_ = 0;
  hostkit::labelprinter::Media media_ = hostkit::labelprinter::Media::Gap;
  int darkness_ = 0;
  int speed_ = 0;
  CLI::Option* outOption_ = nullptr;
  CLI::Option* printerOption_ = nullptr;
  std::vector<CLI::Option*> printerOptions_;  // language, dpi, media, darkness, speed
};

// One line on success: how many labels the runs delivered, and where.
std::string deliveredLine(const std::vector<hostkit::report::Delivery>& runs,
                          hostkit::report::DestinationKind kind);

}  // namespace briskal::cli
