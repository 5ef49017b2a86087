#include "commands/printer_options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <string_view>
#include <tuple>

#include "numbers.h"

namespace briskal::cli {
namespace {

constexpr const char* kLargestMm = "1000";

// "A" and "B" of "A<separator>B", each a number of millimetres from 0; the reason they are not.
std::string pairError(const std::string& text, char separator, const char* what) {
  const size_t at = text.find(separator);
  if (at == std::string::npos)
    return "'" + text + "' is not " + what + " (two numbers of millimetres with '" + separator + "' between)";
  for (const std::string& part : {text.substr(0, at), text.substr(at + 1)})
    if (std::string why = decimalNumberError(part, "0", kLargestMm, 2); !why.empty()) return why;
  return {};
}

// A number a check above let through; '.' as the decimal point whatever the locale.
double millimetresIn(std::string_view text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::pair<double, double> pairOf(std::string_view text, char separator) {
  const size_t at = text.find(separator);
  return {millimetresIn(text.substr(0, at)), millimetresIn(text.substr(at + 1))};
}

}  // namespace

void PrinterSettingOptions::addTo(CLI::App& cmd) {
  options_ = {
      cmd.add_option("--printer-language", language_,
                     "Label printer language (default: what the printer takes, else epl2)")
          ->check(CLI::IsMember({"epl2", "zpl"}, CLI::ignore_case))
          ->option_text("epl2|zpl"),
      cmd.add_option("--dpi", dpi_, "Label printer resolution (default: the printer's, else 203)")
          ->check(CLI::IsMember({152, 203, 300, 600}))
          ->option_text("152|203|300|600"),
      cmd.add_option("--media", media_, "Label printer media: gap, mark (black mark) or continuous")
          ->check(CLI::IsMember({"gap", "mark", "continuous"}, CLI::ignore_case))
          ->option_text("gap|mark|continuous"),
      cmd.add_option("--gap", gap_, "The gap, or the black mark's height, between labels in mm (default 3)")
          ->check(decimalNumber("0", "30", 2))
          ->option_text("MM"),
      cmd.add_option("--label-size", labelSize_,
                     "The labels loaded in the label printer, in mm (default: the template's)")
          ->check(CLI::Validator(
              [](const std::string& text) { return pairError(text, 'x', "a label size as 100x50"); }, "",
              "label size"))
          ->option_text("WIDTHxHEIGHT"),
      cmd.add_option("--darkness", darkness_, "Label printer darkness, 0-30 (default: the printer's)")
          ->check(CLI::Range(0, 30))
          ->option_text("0-30"),
      cmd.add_option("--speed", speed_,
                     "Label printer speed in inches a second, 1-14 (default: the printer's)")
          ->check(CLI::Range(1, 14))
          ->option_text("IPS"),
      cmd.add_option("--offset", offset_,
                     "Where the label printer starts drawing, in mm right and down from the label's corner "
                     "(default 0,0)")
          ->check(
              CLI::Validator([](const std::string& text) { return pairError(text, ',', "offsets as 1.5,0"); },
                             "", "offsets"))
          ->option_text("X,Y"),
      cmd.add_option("--check-status", checkStatus_,
                     "Ask the label printer whether it can print, before and after the job (default: yes)")
          ->check(CLI::IsMember({"yes", "no"}, CLI::ignore_case))
          ->option_text("yes|no"),
  };
}

const CLI::Option* PrinterSettingOptions::firstGiven() const {
  for (const CLI::Option* option : options_)
    if (option->count() > 0) return option;
  return nullptr;
}

hostkit::labelprinter::PrinterSettings PrinterSettingOptions::over(
    hostkit::labelprinter::PrinterSettings s) const {
  const auto given = [this](size_t option) { return options_[option]->count() > 0; };
  if (given(0)) s.language = hostkit::labelprinter::languageFromName(language_);
  if (given(1)) s.dpi = dpi_;
  if (given(2)) s.media = hostkit::labelprinter::mediaFromName(media_).value_or(s.media);
  if (given(3)) s.gapMm = millimetresIn(gap_);
  if (given(4)) {
    const auto [width, height] = pairOf(labelSize_, 'x');
    s.labelSize = hostkit::labelprinter::LabelSize{width, height};
  }
  if (given(5)) s.darkness = darkness_;
  if (given(6)) s.speed = speed_;
  if (given(7)) std::tie(s.offsetXMm, s.offsetYMm) = pairOf(offset_, ',');
  if (given(8)) s.checkStatus = checkStatus_ == "yes";  // the check gives the member, whatever the case typed
  return s;
}

}  // namespace briskal::cli
