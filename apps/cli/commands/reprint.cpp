// briskal reprint: a job of the print history printed again, whole or some of its labels, as its
// labels printed then, with the reason why.

#include "hostkit/history/reprint.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <iostream>
#include <set>

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

int64_t labelNumber(std::string_view text, std::string_view list) {
  int64_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n < 1)
    throw UsageError("--labels " + std::string(list) +
                     ": expected label numbers from 1 and ranges, as 17-20,25");
  return n;
}

// "17-20,25" as 17, 18, 19, 20, 25: ascending, each once.
std::vector<int64_t> labelList(std::string_view text) {
  // A range so long is a typing error, not a run: no job has this many labels.
  constexpr int64_t kLongestRange = 10'000'000;
  std::set<int64_t> labels;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(start, end - start);
    const size_t dash = item.find('-');
    const int64_t from = labelNumber(item.substr(0, dash), text);
    const int64_t to = dash == std::string_view::npos ? from : labelNumber(item.substr(dash + 1), text);
    if (to < from || to - from > kLongestRange)
      throw UsageError("--labels " + std::string(text) + ": the range " + std::string(item) +
                       " goes backwards or is too long");
    for (int64_t n = from; n <= to; ++n) labels.insert(n);
    start = end + 1;
  }
  return {labels.begin(), labels.end()};
}

int run(const GlobalOptions& options, const ReprintArgs& args) {
  hostkit::ReprintRequest request;
  request.job = args.job;
  if (!args.labels.empty()) request.labels = labelList(args.labels);
  request.reason = args.reason;
  request.destination = args.destination.destination();
  request.printer = args.destination.settingsGiven();
  data::Connection cn;
  openDatabase(cn, options);
  const Value company(int32_t{options.company});
  const hostkit::report::Delivery delivery =
      hostkit::reprint(cn, company, request,
                       hostkit::historyRecorder({options.db, company, options.user, options.regional()}));
  if (!options.quiet)
    std::cerr << deliveredLine({delivery}, hostkit::report::destinationKind(delivery.destination))
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
