#include "commands/destination_options.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <map>

#include "hostkit/report/destination_kind.h"

namespace briskal::cli {
namespace {

using hostkit::labelprinter::Media;
using hostkit::labelprinter::PrinterLanguage;
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

void DestinationOptions::addTo(CLI::App& cmd) {
  outOption_ = cmd.add_option("--out", out_,
                              "Output file: .pdf, .png (a page each), .epl or .zpl (label printer), .txt")
                   ->type_name("FILE")
                   ->check(CLI::Validator(checkOutputFile, "", "output file"));
  printerOption_ = cmd.add_option("--printer", printer_,
                                  "A CUPS printer's name, or a label printer: tcp://HOST[:PORT], "
                                  "ipp://HOST[:PORT]/PATH, cups:QUEUE")
                       ->type_name("PRINTER")
                       ->check(CLI::Validator(checkPrinter, "", "printer"));
  outOption_->excludes(printerOption_);
  // The label printer's settings; what is not given comes from the printer, or the defaults.
  printerOptions_ = {
      cmd.add_option("--printer-language", language_,
                     "Label printer language (default: what the printer takes, else epl2)")
          ->transform(
              CLI::CheckedTransformer(std::map<std::string, PrinterLanguage>{{"epl2", PrinterLanguage::Epl2},
                                                                             {"zpl", PrinterLanguage::Zpl}},
                                      CLI::ignore_case))
          ->option_text("epl2|zpl"),
      cmd.add_option("--dpi", dpi_, "Label printer resolution (default: the printer's, else 203)")
          ->check(CLI::IsMember({203, 300, 600}))
          ->option_text("203|300|600"),
      cmd.add_option("--media", media_, "Label printer media: gap, mark (black mark) or continuous")
          ->transform(CLI::CheckedTransformer(
              std::map<std::string, Media>{
                  {"gap", Media::Gap}, {"mark", Media::Mark}, {"continuous", Media::Continuous}},
              CLI::ignore_case))
          ->option_text("gap|mark|continuous"),
      cmd.add_option("--darkness", darkness_, "Label printer darkness, 0-30 (default: the printer's)")
          ->check(CLI::Range(0, 30))
          ->option_text("0-30"),
      cmd.add_option("--speed", speed_,
                     "Label printer speed in inches a second, 1-14 (default: the printer's)")
          ->check(CLI::Range(1, 14))
          ->option_text("IPS"),
  };
}

bool DestinationOptions::labelPrinter() const {
  return hostkit::report::takesLabelJobs(destinationKind(destination()));
}

void DestinationOptions::check() const {
  if (outOption_->count() == 0 && printerOption_->count() == 0)
    throw CLI::RequiredError("--out or --printer");
  for (const CLI::Option* option : printerOptions_) {
    if (option->count() > 0 && !labelPrinter())
      throw CLI::ValidationError(option->get_name(),
                                 "applies to label printers: --out FILE.epl|FILE.zpl or --printer "
                                 "tcp://...|ipp://...|cups:QUEUE");
  }
}

std::optional<hostkit::labelprinter::PrinterSettings> DestinationOptions::settingsGiven() const {
  for (const CLI::Option* option : printerOptions_)
    if (option->count() > 0) return settings();
  return std::nullopt;
}

hostkit::labelprinter::PrinterSettings DestinationOptions::settings() const {
  hostkit::labelprinter::PrinterSettings settings;
  if (printerOptions_[0]->count() > 0) settings.language = language_;
  if (printerOptions_[1]->count() > 0) settings.dpi = dpi_;
  settings.media = media_;
  if (printerOptions_[3]->count() > 0) settings.darkness = darkness_;
  if (printerOptions_[4]->count() > 0) settings.speed = speed_;
  return settings;
}

}  // namespace briskal::cli
