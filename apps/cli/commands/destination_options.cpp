#include "commands/destination_options.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <map>

#include "common/error.h"
#include "component_run.h"
#include "data/connection.h"
#include "hostkit/report/destination_kind.h"
#include "hostkit/store/printer_profiles.h"
#include "options.h"

namespace briskal::cli {
namespace {

using hostkit::report::DestinationKind;
using hostkit::report::destinationKind;

std::string checkOutputFile(const std::string& file) {
  if (hostkit::report::isFile(destinationKind(file))) return {};
  return file +
         ": the output is chosen by the file's extension, one of .pdf, .png (a page each), "
         ".epl or .zpl (label printer) or .txt (label texts)";
}

// Printers reached by address, or raw CUPS queues, take the label printer's own language; any
// other printer name is a CUPS printer that prints the pages. A file's name is neither.
std::string checkPrinter(const std::string& printer) {
  if (!hostkit::report::isFile(destinationKind(printer))) return {};
  return printer + " names a file; files are written with --out";
}

}  // namespace

namespace {

std::string deliveredLine(const std::vector<hostkit::report::Delivery>& runs, DestinationKind kind) {
  int64_t labels = 0, pages = 0;
  std::vector<std::filesystem::path> files;
  for (const auto& run : runs) {
    labels += run.labels;
    pages += run.pages;
    files.insert(files.end(), run.files.begin(), run.files.end());
  }
  const std::string destination = runs.back().destination;
  const std::string count = std::to_string(labels) + (labels == 1 ? " label" : " labels");
  if (kind == DestinationKind::TextFile) return "wrote the texts of " + count + " to " + destination;
  if (hostkit::report::takesLabelJobs(kind))
    return "sent " + count + " to the label printer at " + destination;
  const std::string onPages = " on " + std::to_string(pages) + (pages == 1 ? " page" : " pages");
  if (kind == DestinationKind::Printer)
    return "printed " + count + onPages + " on the printer " + destination;
  if (files.size() > 1)
    return "printed " + count + onPages + " to " + files.front().string() + " ... " + files.back().string();
  return "printed " + count + onPages + " to " + destination;
}

}  // namespace

std::string deliveredLines(const std::vector<hostkit::report::Delivery>& runs, DestinationKind kind) {
  std::string lines;
  for (const auto& run : runs)
    for (const hostkit::report::FailureText& note : run.notes)
      lines += "briskal: note: " + note.english() + "\n";
  return lines + deliveredLine(runs, kind);
}

void DestinationOptions::addTo(CLI::App& cmd) {
  outOption_ = cmd.add_option("--out", out_,
                              "Output file: .pdf, .png (a page each), .epl or .zpl (label printer), .txt")
                   ->type_name("FILE")
                   ->check(CLI::Validator(checkOutputFile, "", "output file"));
  printerOption_ = cmd.add_option("--printer", printer_,
                                  "A printer profile (briskal printers), a CUPS printer's name, or a label "
                                  "printer: tcp://HOST[:PORT], ipp://HOST[:PORT]/PATH, cups:QUEUE")
                       ->type_name("PRINTER")
                       ->check(CLI::Validator(checkPrinter, "", "printer"));
  outOption_->excludes(printerOption_);
  // The label printer's settings; what is not given comes from the profile, the printer, or the
  // defaults.
  settings_.addTo(cmd);
}

bool DestinationOptions::labelPrinter() const {
  return hostkit::report::takesLabelJobs(destinationKind(destination()));
}

void DestinationOptions::check() const {
  if (outOption_->count() == 0 && printerOption_->count() == 0)
    throw CLI::RequiredError("--out or --printer");
  // A printer's name may be a profile's, which only the database knows.
  const CLI::Option* given = settings_.firstGiven();
  if (given && !labelPrinter() && destinationKind(destination()) != DestinationKind::Printer)
    throw CLI::ValidationError(given->get_name(),
                               "applies to label printers: --out FILE.epl|FILE.zpl or --printer "
                               "PROFILE|tcp://...|ipp://...|cups:QUEUE");
}

void DestinationOptions::resolve(const GlobalOptions& options) {
  if (destinationKind(destination()) == DestinationKind::Printer) {
    data::Connection cn;
    openDatabase(cn, options);
    if (const std::optional<hostkit::PrinterProfile> profile =
            hostkit::PrinterProfiles(cn, Value(int32_t{options.company})).find(printer_)) {
      printer_ = profile->destination;
      profile_ = profile->settings;
    }
  }
  if (const CLI::Option* given = settings_.firstGiven(); given && !labelPrinter())
    throw UsageError(given->get_name() + " applies to label printers, and " + destination() +
                     " is neither a printer profile (briskal printers list) nor a label printer's address");
  if (!labelPrinter()) return;
  try {
    hostkit::checkPrinterSettings(settings());
  } catch (const Error& e) {
    throw UsageError(e.description());
  }
}

std::optional<hostkit::labelprinter::PrinterSettings> DestinationOptions::settingsGiven() const {
  if (profile_ || settings_.firstGiven()) return settings();
  return std::nullopt;
}

hostkit::labelprinter::PrinterSettings DestinationOptions::settings() const {
  return settings_.over(profile_.value_or(hostkit::labelprinter::PrinterSettings{}));
}

}  // namespace briskal::cli
