// briskal: the command-line host of the label component.

#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>

#include "common/error.h"
#include "common/routines.h"
#include "common/utf8.h"
#include "component_run.h"
#include "options.h"
#include "output/tabular.h"
#include "usage.h"

namespace briskal::cli {
namespace {

// The run stopped because the reader of standard output went away.
constexpr int kOutputClosed = -1;

// What a person sees after a command line it cannot take: what is wrong, then the help of the
// command they were typing.
int usageError(const CLI::App& app, const std::vector<std::string>& words, const std::string& parserMessage) {
  const UsageHint hint = usageHint(app, words);
  std::cerr << "briskal: " << utf8::printable(hint.message.empty() ? parserMessage : hint.message) << "\n\n"
            << helpOf(*hint.command);
  return exit_code::kUsage;
}

void addHelpCommand(CLI::App& app, CommandRunner& run) {
  auto* cmd = app.add_subcommand("help", "Show the help of briskal or of one of its commands");
  auto words = std::make_shared<std::vector<std::string>>();
  cmd->add_option("COMMAND", *words, "A command, e.g. print or layouts save");
  cmd->callback([&app, &run, words] {
    run = [&app, words] {
      const UsageHint hint = usageHint(app, *words);
      if (!hint.message.empty()) return usageError(app, *words, hint.message);
      std::cout << helpOf(*hint.command);
      return exit_code::kOk;
    };
  });
}

int runMain(int argc, char** argv) {
  // A closed standard output is noticed where it is written, so that the run can end cleanly.
  std::signal(SIGPIPE, SIG_IGN);
  CLI::App app{"briskal: labels for production work-order lines, from the command line.", "briskal"};
  app.set_version_flag("--version", std::string("briskal ") + BRISKAL_VERSION, "Print the version and exit");
  app.require_subcommand(1);
  app.fallthrough();
  GlobalOptions options;
  app.add_option("--db", options.db,
                 "The database: a file's path or Data Source=FILE (embedded), or Driver=...;... or DSN=... "
                 "(ODBC)")
      ->type_name("CONNECTION")
      ->capture_default_str();
  app.add_option("--company", options.company, "Company code")->type_name("N")->capture_default_str();
  // The report table keeps a user's code in 20 characters.
  app.add_option("--user", options.user, "User code")
      ->type_name("CODE")
      ->capture_default_str()
      ->check(CLI::Validator(
          [](const std::string& code) -> std::string {
            if (utf8::hasControl(code)) return "a user code holds no control characters";
            if (Trim(code).empty()) return "the user code is empty";
            if (utf8::length(code) > 20) return "'" + code + "' is longer than 20 characters";
            return {};
          },
          "", "user code"));
  app.add_option("--locale", options.locale, "Regional settings and message language")
      ->check(CLI::IsMember({"it", "en"}))
      ->capture_default_str();
  auto* yes = app.add_flag("--yes", options.yes, "Answer Yes to every question");
  app.add_flag("--no", options.no, "Answer No to every question")->excludes(yes);
  app.add_option("--format", options.format, "Output for tables: csv (default off a terminal) or table")
      ->check(CLI::IsMember({"csv", "table"}));
  app.add_flag("-q,--quiet", options.quiet, "Say nothing on success besides the output asked for");

  CommandRunner run;
  addHelpCommand(app, run);
  addDemoDbCommand(app, options, run);
  addSqlCommand(app, options, run);
  addQueryCommand(app, options, run);
  addRowsCommand(app, options, run);
  addFilterCodeCommands(app, options, run);
  addLayoutsCommand(app, options, run);
  addPrintCommand(app, options, run);
  addTemplatesCommand(app, options, run);
  addHistoryCommand(app, options, run);
  addReprintCommand(app, options, run);
  addStockCommand(app, options, run);
  addCountersCommand(app, options, run);
  addPrintersCommand(app, options, run);

  const std::vector<std::string> words(argv + 1, argv + argc);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return exit_code::kOk;
  } catch (const CLI::CallForAllHelp&) {
    std::cout << app.help("", CLI::AppFormatMode::All);
    return exit_code::kOk;
  } catch (const CLI::CallForVersion& e) {
    std::cout << e.what() << '\n';
    return exit_code::kOk;
  } catch (const CLI::ParseError& e) {
    return usageError(app, words, e.what());
  }
  try {
    const int code = run ? run() : exit_code::kUsage;
    requireWritten(std::cout);
    return code;
  } catch (const OutputClosed&) {
    return kOutputClosed;
  } catch (const UsageError& e) {
    std::cerr << "briskal: " << utf8::printable(e.what()) << '\n';
    return exit_code::kUsage;
  } catch (const Error& e) {
    std::cerr << "briskal: " << utf8::printable(e.description()) << '\n';
    return exit_code::kFailed;
  } catch (const std::exception& e) {
    std::cerr << "briskal: " << utf8::printable(e.what()) << '\n';
    return exit_code::kFailed;
  }
}

}  // namespace

Format GlobalOptions::outputFormat() const {
  if (format == "csv") return Format::Csv;
  if (format == "table") return Format::Table;
  return defaultFormat();
}

}  // namespace briskal::cli

int main(int argc, char** argv) {
  const int code = briskal::cli::runMain(argc, argv);
  if (code != briskal::cli::kOutputClosed) return code;
  // Ends as a writer to a closed pipe usually ends, now that the run has cleaned up.
  std::signal(SIGPIPE, SIG_DFL);
  std::raise(SIGPIPE);
  return 128 + SIGPIPE;
}
