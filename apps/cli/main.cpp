// briskal: the command-line host of the label component.

#include <CLI/CLI.hpp>

#include <iostream>

#include "common/error.h"
#include "component_run.h"
#include "options.h"

namespace briskal::cli {
namespace {

int runMain(int argc, char** argv) {
  CLI::App app{"briskal: labels for production work-order lines, from the command line."};
  app.require_subcommand(1);
  app.fallthrough();
  GlobalOptions options;
  app.add_option("--db", options.db, "Connection string: Data Source=FILE (embedded) or Driver=...;... (ODBC)")
      ->capture_default_str();
  app.add_option("--company", options.company, "Company code")->capture_default_str();
  app.add_option("--user", options.user, "User code")->capture_default_str();
  app.add_option("--locale", options.locale, "Regional settings and message language")
      ->check(CLI::IsMember({"it", "en"}))
      ->capture_default_str();
  auto* yes = app.add_flag("--yes", options.yes, "Answer Yes to every question");
  app.add_flag("--no", options.no, "Answer No to every question")->excludes(yes);
  app.add_option("--format", options.format, "Output for tables: csv (default off a terminal) or table")
      ->check(CLI::IsMember({"csv", "table"}));

  CommandRunner run;
  addDemoDbCommand(app, options, run);
  addSqlCommand(app, options, run);
  addQueryCommand(app, options, run);
  addRowsCommand(app, options, run);
  addLayoutsCommand(app, options, run);
  addPrintCommand(app, options, run);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return exit_code::kOk;
  } catch (const CLI::CallForAllHelp&) {
    std::cout << app.help("", CLI::AppFormatMode::All);
    return exit_code::kOk;
  } catch (const CLI::ParseError& e) {
    std::cerr << "briskal: " << e.what() << "\nRun 'briskal --help' for the commands and options.\n";
    return exit_code::kUsage;
  }
  const RunLog log;
  try {
    return run ? run() : exit_code::kUsage;
  } catch (const Error& e) {
    std::cerr << "briskal: error " << e.number() << ": " << e.description() << '\n';
    return exit_code::kFailed;
  } catch (const std::exception& e) {
    std::cerr << "briskal: " << e.what() << '\n';
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

int main(int argc, char** argv) { return briskal::cli::runMain(argc, argv); }
