// briskal reprint: a job of the print history printed again, whole or some of its labels, as its
// labels printed then, with the reason why.

#include "hostkit/history/reprint.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "commands/destination_options.h"
#include "common/error.h"
#include "component_run.h"
#include "data/connection.h"
#include "hostkit/history/history_recorder.h"
#include "numbers.h"
#include "options.h"

namespace briskal::cli {
namespace {

struct ReprintArgs {
  int64_t job = 0;
  std::string labels;
  std::string reason;
  DestinationOptions destination;
};

int run(const GlobalOptions& options, ReprintArgs& args) {
  args.destination.resolve(options);
  hostkit::ReprintRequest request;
  request.job = args.job;
  if (!args.labels.empty()) {
    const std::optional<std::vector<int64_t>> labels = hostkit::parseLabelList(args.labels);
    if (!labels)
      throw UsageError("--labels " + args.labels +
                       ": expected label numbers from 1 and ranges of them, as 17-20,25, each range upwards");
    request.labels = *labels;
  }
  request.reason = args.reason;
  request.destination = args.destination.destination();
  request.printer = args.destination.settingsGiven();
  data::Connection cn;
  openDatabase(cn, options);
  const Value company(int32_t{options.company});
  const hostkit::report::Delivery delivery =
      hostkit::reprint(cn, company, request,
                       *hostkit::historyRecorder({options.db, company, options.user, options.regional()}));
  if (!options.quiet)
    std::cerr << deliveredLines({delivery}, hostkit::report::destinationKind(delivery.destination))
              << " (a reprint of job " << args.job << ")\n";
  return exit_code::kOk;
}

}  // namespace

void addReprintCommand(CLI::App& app, GlobalOptions& options, CommandRunner& runner) {
  auto* cmd = app.add_subcommand("reprint", "Print a job of the print history again, as it printed");
  auto args = std::make_shared<ReprintArgs>();
  cmd->add_option("ID", args->job, "The job (briskal history)")->required()->check(wholeNumber(1, INT64_MAX));
  cmd->add_option("--labels", args->labels, "Only these labels of the job, as 17-20,25 (default: all)")
      ->type_name("LIST");
  cmd->add_option("--reason", args->reason, "Why the labels print again, kept with the reprint")
      ->required()
      ->type_name("TEXT")
      ->check(CLI::Validator(
          [](const std::string& text) {
            return text.find_first_not_of(" \t\r\n") == std::string::npos
                       ? std::string("a reprint needs its reason")
                       : std::string();
          },
          "", "reason"));
  args->destination.addTo(*cmd);
  cmd->callback([&options, &runner, args] {
    args->destination.check();
    runner = [&options, args] { return run(options, *args); };
  });
}

}  // namespace briskal::cli
