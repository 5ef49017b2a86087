// briskal history: the print runs kept in the company database, their labels, and pruning them.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <regex>

#include "common/datetime.h"
#include "common/error.h"
#include "component_run.h"
#include "data/connection.h"
#include "hostkit/history/run_snapshot.h"
#include "hostkit/store/host_tables.h"
#include "hostkit/store/print_history.h"
#include "numbers.h"
#include "options.h"

namespace briskal::cli {
namespace {

struct HistoryArgs {
  hostkit::JobFilter filter;
  std::string outcome;
  int64_t job = 0;
  std::string before;
};

// A day as YYYY-MM-DD that the calendar has.
CLI::Validator day() {
  return CLI::Validator(
      [](const std::string& text) {
        static const std::regex shape(R"(\d{4}-\d{2}-\d{2})");
        if (!std::regex_match(text, shape)) return std::string("expected a date as YYYY-MM-DD");
        try {
          DateTime::fromParts(std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                              std::stoi(text.substr(8, 2)));
        } catch (const Error&) {
          return text + " is no day of the calendar";
        }
        return std::string();
      },
      "DATE");
}

void printJobs(const std::vector<hostkit::PrintJob>& jobs, const GlobalOptions& options) {
  TabularOutput out(std::cout, options.outputFormat(), options.regional());
  out.header({"ID", "STARTED_UTC", "ENDED_UTC", "USER", "WORKSTATION", "KIND", "DESTINATION", "LAYOUT",
              "LABELS", "PAGES", "OUTCOME", "REPRINT_OF", "REASON", "ERROR"});
  for (const hostkit::PrintJob& j : jobs) {
    const Value row[] = {Value(j.id),
                         Value(j.startedUtc),
                         Value(j.endedUtc),
                         Value(j.user),
                         Value(j.workstation),
                         Value(j.kind),
                         Value(j.destination),
                         Value(j.layout),
                         Value(j.labels),
                         Value(j.pages),
                         Value(hostkit::outcomeName(j.outcome)),
                         j.reprintOf ? Value(*j.reprintOf) : Value(""),
                         Value(j.reason),
                         Value(j.error)};
    out.row(row);
  }
  out.finish();
}

// Pruning deletes for good: a terminal is asked, anything else needs --yes.
bool prunesWithConsent(const GlobalOptions& options, int64_t jobs, const std::string& before) {
  if (options.yes) return true;
  if (options.no || !isatty(0)) return false;
  std::cerr << "Delete the " << jobs << " print jobs started before " << before
            << ", with their labels? [y/N] ";
  std::string answer;
  std::getline(std::cin, answer);
  return answer == "y" || answer == "Y" || answer == "s" || answer == "S";
}

int run(const GlobalOptions& options, const std::string& action, const HistoryArgs& args) {
  data::Connection cn;
  openDatabase(cn, options);
  hostkit::PrintHistory history(cn, Value(int32_t{options.company}));
  if (action == "list") {
    hostkit::JobFilter filter = args.filter;
    for (const hostkit::JobOutcome o :
         {hostkit::JobOutcome::Running, hostkit::JobOutcome::Delivered, hostkit::JobOutcome::Failed,
          hostkit::JobOutcome::Cancelled, hostkit::JobOutcome::Interrupted})
      if (args.outcome == hostkit::outcomeName(o)) filter.outcome = o;
    printJobs(history.list(filter), options);
    return exit_code::kOk;
  }
  if (action == "show") {
    const std::optional<hostkit::PrintJob> job = history.job(args.job);
    if (!job) throw Error(err::kItemNotFound, "briskal", "There is no print job " + std::to_string(args.job));
    const hostkit::RunSnapshot snapshot = hostkit::readSnapshot(job->settings);
    TabularOutput out(std::cout, options.outputFormat(), options.regional());
    out.header({"LABEL", "ORDER", "LINE", "DATA"});
    int64_t n = 0;
    for (const hostkit::PrintedLabel& label : history.labels(args.job)) {
      const Value row[] = {Value(++n), Value(label.order), Value(label.line),
                           Value(hostkit::readableRecord(snapshot.fields, label.data, snapshot.regional))};
      out.row(row);
    }
    out.finish();
    return exit_code::kOk;
  }
  // A day still to come would delete what is being printed now.
  if (args.before > hostkit::nowUtc().substr(0, 10))
    throw UsageError("--before " + args.before + " is in the future");
  hostkit::JobFilter older;
  older.untilUtc = args.before + "T00:00:00Z";
  older.limit = INT64_MAX;
  const auto jobs = static_cast<int64_t>(history.list(older).size());
  if (jobs == 0) {
    if (!options.quiet) std::cerr << "no print job started before " << args.before << '\n';
    return exit_code::kOk;
  }
  if (!prunesWithConsent(options, jobs, args.before)) {
    std::cerr << "nothing deleted: pruning " << jobs << " print jobs needs a yes (--yes)\n";
    return exit_code::kFailed;
  }
  const int64_t pruned = history.prune(args.before + "T00:00:00Z");
  if (!options.quiet)
    std::cerr << "deleted " << pruned << " print jobs started before " << args.before << '\n';
  return exit_code::kOk;
}

}  // namespace

void addHistoryCommand(CLI::App& app, GlobalOptions& options, CommandRunner& runner) {
  auto* cmd = app.add_subcommand("history", "The print runs kept in the database, the newest first");
  cmd->require_subcommand(0, 1);
  auto args = std::make_shared<HistoryArgs>();
  cmd->add_option("--since", args->filter.sinceUtc, "Jobs started on or after the day (UTC)")->check(day());
  cmd->add_option("--until", args->filter.untilUtc, "Jobs started on or before the day (UTC)")->check(day());
  cmd->add_option("--user", args->filter.user, "Jobs of the user");
  cmd->add_option("--order", args->filter.order,
                  "Jobs that printed labels of the order (its registration number)");
  cmd->add_option("--outcome", args->outcome, "Jobs that ended so")
      ->check(CLI::IsMember({"running", "delivered", "failed", "cancelled", "interrupted"}));
  cmd->add_option("--limit", args->filter.limit, "At most this many jobs")
      ->type_name("N")
      ->check(wholeNumber(1, 1'000'000))
      ->capture_default_str();
  cmd->callback([&options, &runner, args, cmd] {
    if (cmd->get_subcommands().empty()) runner = [&options, args] { return run(options, "list", *args); };
  });
  auto* show = cmd->add_subcommand("show", "The labels of a job, as they printed");
  show->add_option("ID", args->job, "The job")->required()->check(wholeNumber(1, INT64_MAX));
  show->callback(
      [&options, &runner, args] { runner = [&options, args] { return run(options, "show", *args); }; });
  auto* prune = cmd->add_subcommand("prune", "Delete the jobs started before a day, with their labels");
  prune->add_option("--before", args->before, "The day (UTC)")->required()->check(day());
  prune->callback(
      [&options, &runner, args] { runner = [&options, args] { return run(options, "prune", *args); }; });
}

}  // namespace briskal::cli
