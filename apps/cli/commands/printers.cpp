// briskal printers: the company's label printers as profiles (where each is, how it is driven),
// and what a printer says of its status.

#include <CLI/CLI.hpp>
#include <iostream>

#include "commands/printer_options.h"
#include "common/error.h"
#include "component_run.h"
#include "data/connection.h"
#include "hostkit/labelprinter/status_query.h"
#include "hostkit/store/printer_profiles.h"
#include "options.h"

namespace briskal::cli {
namespace {

using hostkit::PrinterProfile;
using hostkit::labelprinter::PrinterSettings;

struct PrinterArgs {
  std::string name;
  std::string destination;
  PrinterSettingOptions settings;
  CLI::Option* destinationOption = nullptr;
};

Value optional(const std::optional<int>& v) { return v ? Value(int32_t{*v}) : Value(""); }

void printProfiles(const std::vector<PrinterProfile>& profiles, const GlobalOptions& options) {
  TabularOutput out(std::cout, options.outputFormat(), options.regional());
  out.header({"NAME", "DESTINATION", "LANGUAGE", "DPI", "MEDIA", "GAP_MM", "LABEL_MM", "DARKNESS", "SPEED",
              "OFFSET_MM", "CHECK_STATUS", "CHANGED_BY", "CHANGED_UTC"});
  for (const PrinterProfile& p : profiles) {
    const PrinterSettings& s = p.settings;
    const Value row[] = {
        Value(p.name),
        Value(p.destination),
        Value(s.language ? std::string(hostkit::labelprinter::languageName(*s.language)) : "printer's"),
        optional(s.dpi),
        Value(std::string(hostkit::labelprinter::mediaName(s.media))),
        Value(hostkit::labelprinter::millimetresText(s.gapMm)),
        Value(s.labelSize ? hostkit::labelprinter::millimetresText(s.labelSize->widthMm) + "x" +
                                hostkit::labelprinter::millimetresText(s.labelSize->heightMm)
                          : "template's"),
        optional(s.darkness),
        optional(s.speed),
        Value(hostkit::labelprinter::millimetresText(s.offsetXMm) + "," +
              hostkit::labelprinter::millimetresText(s.offsetYMm)),
        Value(s.checkStatus ? "yes" : "no"),
        Value(p.changedBy),
        Value(p.changedUtc)};
    out.row(row);
  }
  out.finish();
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

// A line of what the printer says; exit 1 when it cannot print.
int printStatus(const PrinterProfile& profile, const GlobalOptions& options) {
  const PrinterSettings& s = profile.settings;
  const hostkit::labelprinter::PrinterStatus status = hostkit::labelprinter::askStatus(
      profile.destination, s.language.value_or(hostkit::labelprinter::PrinterLanguage::Epl2));
  std::vector<std::string> faults;
  for (const hostkit::labelprinter::PrinterFault fault : status.faults)
    if (fault != hostkit::labelprinter::PrinterFault::Other)
      faults.emplace_back(hostkit::labelprinter::faultWords(fault).first);
  faults.insert(faults.end(), status.others.begin(), status.others.end());
  TabularOutput out(std::cout, options.outputFormat(), options.regional());
  out.header({"PRINTER", "STATE", "FAULTS", "LABELS_WAITING", "WARNINGS", "SAYS"});
  const Value row[] = {Value(profile.name),
                       Value(!status.known    ? "unknown"
                             : status.ready() ? "ready"
                                              : "not ready"),
                       Value(status.known ? joined(faults) : status.unknownWhy.first),
                       status.labelsWaiting ? Value(*status.labelsWaiting) : Value(""),
                       Value(joined(status.warnings)),
                       Value(status.message)};
  out.row(row);
  out.finish();
  return status.known && !status.ready() ? exit_code::kFailed : exit_code::kOk;
}

PrinterProfile requireProfile(hostkit::PrinterProfiles& profiles, const std::string& name) {
  std::optional<PrinterProfile> found = profiles.find(name);
  if (!found) throw UsageError("There is no printer profile " + name + " (briskal printers list)");
  return std::move(*found);
}

int run(const GlobalOptions& options, const std::string& action, const PrinterArgs& args) {
  data::Connection cn;
  openDatabase(cn, options);
  hostkit::PrinterProfiles profiles(cn, Value(int32_t{options.company}));
  if (action == "list") {
    printProfiles(profiles.list(), options);
    return exit_code::kOk;
  }
  // What the profiles refuse is bad input like any other: nothing is stored.
  try {
    if (action == "add") {
      PrinterProfile profile{.name = args.name,
                             .destination = args.destination,
                             .settings = args.settings.over({}),
                             .changedBy = {},
                             .changedUtc = {}};
      profile.settings.name = args.name;
      profiles.add(profile, options.user);
      printProfiles({*profiles.find(args.name)}, options);
      return exit_code::kOk;
    }
    PrinterProfile profile = requireProfile(profiles, args.name);
    if (action == "set") {
      if (args.destinationOption->count() == 0 && !args.settings.firstGiven())
        throw UsageError("printers set needs --printer or a setting to change");
      if (args.destinationOption->count() > 0) profile.destination = args.destination;
      profile.settings = args.settings.over(profile.settings);
      profiles.update(profile, options.user);
      printProfiles({*profiles.find(args.name)}, options);
      return exit_code::kOk;
    }
    if (action == "remove") {
      profiles.remove(args.name);
      if (!options.quiet) std::cerr << "removed the printer profile " << args.name << '\n';
      return exit_code::kOk;
    }
    if (action == "status") return printStatus(profile, options);
    printProfiles({profile}, options);
    return exit_code::kOk;
  } catch (const Error& e) {
    if (e.number() == err::kInvalidArgument || e.number() == err::kItemNotFound)
      throw UsageError(e.description());
    throw;
  }
}

}  // namespace

void addPrintersCommand(CLI::App& app, GlobalOptions& options, CommandRunner& runner) {
  auto* cmd = app.add_subcommand("printers", "The company's label printers: profiles and status");
  cmd->require_subcommand(0, 1);
  const auto action = [&options, &runner](const std::shared_ptr<PrinterArgs>& args, const char* name) {
    return [&options, &runner, args, name] {
      runner = [&options, args, name] { return run(options, name, *args); };
    };
  };
  // Each subcommand has its own options.
  const auto named = [&](const char* name, const char* help) {
    auto args = std::make_shared<PrinterArgs>();
    CLI::App* sub = cmd->add_subcommand(name, help);
    sub->add_option("NAME", args->name, "The profile")->required();
    sub->callback(action(args, name));
    return std::pair{sub, args};
  };
  auto listed = std::make_shared<PrinterArgs>();
  cmd->callback([cmd, listed, list = action(listed, "list")] {
    if (cmd->get_subcommands().empty()) list();
  });
  cmd->add_subcommand("list", "Every printer profile")->callback(action(listed, "list"));
  named("show", "A printer profile");
  auto [add, adding] = named("add", "Keep a label printer as a profile, under a name --printer takes");
  adding->destinationOption =
      add->add_option(
             "--printer", adding->destination,
             "The label printer: tcp://HOST[:PORT], ipp://HOST[:PORT]/PATH, ipps://... or cups:QUEUE")
          ->required()
          ->type_name("ADDRESS");
  adding->settings.addTo(*add);
  auto [set, setting] = named("set", "Change a printer profile's address or settings");
  setting->destinationOption =
      set->add_option("--printer", setting->destination, "The label printer's new address")
          ->type_name("ADDRESS");
  setting->settings.addTo(*set);
  named("remove", "Forget a printer profile");
  named("status", "Ask a profile's printer whether it can print (exit 1 when not)");
}

}  // namespace briskal::cli
