#pragma once
// Where a command's labels go, as print and reprint take it: --out FILE or --printer P, and the
// label printer's settings, which apply to a label printer only. --printer takes a printer
// profile by name too: its destination and settings, under the options given.

#include <optional>
#include <string>
#include <vector>

#include "commands/printer_options.h"
#include "hostkit/labelprinter/printer_settings.h"
#include "hostkit/report/delivery.h"
#include "hostkit/report/destination_kind.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace briskal::cli {

struct GlobalOptions;

class DestinationOptions {
 public:
  // Adds --out, --printer and the label printer's options to `command`.
  void addTo(CLI::App& command);
  // Throws CLI's errors for no destination, or label printer options for a destination that
  // cannot be a label printer.
  void check() const;
  // Takes the printer profile --printer names, if the company has one; throws UsageError for
  // label printer options given for a printer that is neither a profile nor a label printer's
  // address, and for settings a label printer does not take.
  void resolve(const GlobalOptions& options);
  // The file or printer given, or the profile's destination once resolved.
  const std::string& destination() const { return out_.empty() ? printer_ : out_; }
  bool labelPrinter() const;
  // The label printer's settings given or the profile's, the defaults for the rest; none when
  // neither a profile nor an option gave any.
  std::optional<hostkit::labelprinter::PrinterSettings> settingsGiven() const;
  // The label printer's settings given or the profile's, the defaults for the rest.
  hostkit::labelprinter::PrinterSettings settings() const;

 private:
  std::string out_, printer_;
  std::optional<hostkit::labelprinter::PrinterSettings> profile_;  // the profile's settings
  PrinterSettingOptions settings_;
  CLI::Option* outOption_ = nullptr;
  CLI::Option* printerOption_ = nullptr;
};

// On success: what the printer said that did not stop the runs, a line each, then a line of how
// many labels the runs delivered, and where.
std::string deliveredLines(const std::vector<hostkit::report::Delivery>& runs,
                           hostkit::report::DestinationKind kind);

}  // namespace briskal::cli
