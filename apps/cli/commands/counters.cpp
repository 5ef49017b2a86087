// briskal counters: the company's counters of SSCCs and serial numbers, the blocks of numbers
// they gave, and numbers voided.

#include "hostkit/store/counters.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>

#include "common/error.h"
#include "component_run.h"
#include "data/connection.h"
#include "numbers.h"
#include "options.h"

namespace briskal::cli {
namespace {

struct CounterArgs {
  std::string name;
  std::optional<int64_t> next;
  std::optional<int> extension;
  std::optional<std::string> prefix;
  std::string number;  // a number the counter gave, or the SSCC it printed as
  std::string reason;
};

const char* kindName(hostkit::CounterKind kind) {
  return kind == hostkit::CounterKind::Sscc ? "sscc" : "serial";
}

// The next number as it will print, when it can.
std::string nextText(const hostkit::Counter& c) {
  try {
    return hostkit::numberText(c, c.next);
  } catch (const Error& e) {
    return "(" + e.description() + ")";
  }
}

void printCounters(const std::vector<hostkit::Counter>& counters, const GlobalOptions& options) {
  TabularOutput out(std::cout, options.outputFormat(), options.regional());
  out.header({"NAME", "KIND", "NEXT", "NEXT_PRINTS", "EXTENSION", "PREFIX"});
  for (const hostkit::Counter& c : counters) {
    const bool sscc = c.kind == hostkit::CounterKind::Sscc;
    const Value row[] = {Value(c.name),
                         Value(kindName(c.kind)),
                         Value(c.next),
                         Value(nextText(c)),
                         sscc ? Value(int32_t{c.extensionDigit}) : Value(""),
                         Value(c.companyPrefix)};
    out.row(row);
  }
  out.finish();
}

// The blocks given, then the numbers voided one by one.
void printHistory(hostkit::Counters& counters, const hostkit::Counter& c, const GlobalOptions& options) {
  TabularOutput out(std::cout, options.outputFormat(), options.regional());
  out.header(
      {"FIRST", "LAST", "FIRST_PRINTS", "LAST_PRINTS", "STATE", "USER", "WORKSTATION", "WHEN_UTC", "REASON"});
  for (const hostkit::CounterBlock& b : counters.blocks(c.name)) {
    const Value row[] = {Value(b.first),
                         Value(b.last),
                         Value(hostkit::numberText(c, b.first)),
                         Value(hostkit::numberText(c, b.last)),
                         Value(hostkit::blockStateName(b.state)),
                         Value(b.user),
                         Value(b.workstation),
                         Value(b.takenUtc),
                         Value("")};
    out.row(row);
  }
  for (const hostkit::VoidedNumber& v : counters.voided(c.name)) {
    const std::string printed = hostkit::numberText(c, v.number);
    const Value row[] = {Value(v.number), Value(v.number),    Value(printed),
                         Value(printed),  Value("voided"),    Value(v.user),
                         Value(""),       Value(v.voidedUtc), Value(v.reason)};
    out.row(row);
  }
  out.finish();
}

// A number as the counter counts it: given so, or as the SSCC it printed as.
int64_t counted(const hostkit::Counter& c, const std::string& text) {
  const bool digits =
      !text.empty() && text.size() <= 18 && text.find_first_not_of("0123456789") == std::string::npos;
  if (!digits) throw UsageError("'" + text + "' is not a number of the counter " + c.name);
  if (c.kind != hostkit::CounterKind::Sscc || text.size() != 18) return std::stoll(text);
  // The SSCC's serial reference lies between the prefix and the check digit.
  const size_t from = 1 + c.companyPrefix.size();
  const int64_t reference = std::stoll(text.substr(from, 17 - from));
  if (hostkit::numberText(c, reference) != text)
    throw UsageError(text + " is not an SSCC of the counter " + c.name + " (prefix " + c.companyPrefix + ")");
  return reference;
}

int run(const GlobalOptions& options, const std::string& action, const CounterArgs& args) {
  data::Connection cn;
  openDatabase(cn, options);
  hostkit::Counters counters(cn, Value(int32_t{options.company}));
  if (action == "list") {
    printCounters(counters.list(), options);
    return exit_code::kOk;
  }
  // Requests that the counter's state refuses are bad input like any other.
  try {
    if (action == "set") {
      if (!args.next && !args.extension && !args.prefix)
        throw UsageError("counters set needs --next, --prefix or --extension");
      counters.set(args.name, {args.next, args.extension, args.prefix});
      printCounters({*counters.find(args.name)}, options);
      return exit_code::kOk;
    }
    const std::optional<hostkit::Counter> c = counters.find(args.name);
    if (!c) throw Error(err::kItemNotFound, "briskal", "There is no counter " + args.name);
    if (action == "show") {
      printCounters({*c}, options);
      printHistory(counters, *c, options);
      return exit_code::kOk;
    }
    const int64_t voided = counted(*c, args.number);
    counters.voidNumber(args.name, voided, args.reason, options.user);
    if (!options.quiet)
      std::cerr << "voided " << hostkit::numberText(*c, voided) << " of " << args.name << '\n';
    return exit_code::kOk;
  } catch (const Error& e) {
    if (e.number() == err::kInvalidArgument) throw UsageError(e.description());
    throw;
  }
}

}  // namespace

void addCountersCommand(CLI::App& app, GlobalOptions& options, CommandRunner& runner) {
  auto* cmd = app.add_subcommand("counters", "The company's counters of SSCCs and serial numbers");
  cmd->require_subcommand(0, 1);
  auto args = std::make_shared<CounterArgs>();
  cmd->callback([&options, &runner, args, cmd] {
    if (cmd->get_subcommands().empty()) runner = [&options, args] { return run(options, "list", *args); };
  });
  const auto action = [&options, &runner, args](const char* name) {
    return [&options, &runner, args, name] {
      runner = [&options, args, name] { return run(options, name, *args); };
    };
  };
  auto* list = cmd->add_subcommand("list", "Every counter, with the next number it gives");
  list->callback(action("list"));
  auto* show = cmd->add_subcommand("show", "A counter, the blocks of numbers it gave and the numbers voided");
  show->add_option("NAME", args->name, "The counter")->required();
  show->callback(action("show"));
  auto* set =
      cmd->add_subcommand("set", "Make a counter or change it (SSCC counters: --prefix and --extension)");
  set->add_option("NAME", args->name, "The counter: SSCC, SERIALE, or another")->required();
  set->add_option("--next", args->next, "The next number it gives; never one it has given")
      ->type_name("N")
      ->check(wholeNumber(1, INT64_MAX));
  set->add_option("--prefix", args->prefix, "The company's GS1 prefix, 7 to 10 digits")->type_name("DIGITS");
  set->add_option("--extension", args->extension, "An SSCC's extension digit")
      ->type_name("DIGIT")
      ->check(CLI::Range(0, 9));
  set->callback(action("set"));
  auto* voiding = cmd->add_subcommand("void", "Record that a number given is not to be used");
  voiding->add_option("NAME", args->name, "The counter")->required();
  voiding->add_option("NUMBER", args->number, "The number, or the SSCC it printed as")->required();
  voiding->add_option("--reason", args->reason, "Why")->required();
  voiding->callback(action("void"));
}

}  // namespace briskal::cli
