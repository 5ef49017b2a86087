#pragma once
// The options every command shares, and how a command reports its outcome.

#include <functional>
#include <stdexcept>
#include <string>

#include "common/regional.h"
#include "output/tabular.h"

namespace CLI {
class App;
}

namespace briskal::cli {

struct GlobalOptions {
  std::string db = "Data Source=briskal.db";
  int company = 1;
  std::string user = "admin";
  std::string locale = "it";
  bool yes = false;
  bool no = false;
  std::string format;  // "csv", "table" or empty for the default
  bool quiet = false;  // no word on success besides the output asked for

  RegionalSettings regional() const { return RegionalSettings::byName(locale); }
  Format outputFormat() const;
};

// A command line that names something that is not there, found once the run has looked.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

namespace exit_code {
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;  // the run stopped on an error or a No
inline constexpr int kUsage = 2;
}  // namespace exit_code

// A command adds itself to the application and sets `run` when it is chosen.
using CommandRunner = std::function<int()>;

void addDemoDbCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addSqlCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addQueryCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addRowsCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addLayoutsCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addPrintCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addTemplatesCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addStockCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addCountersCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addPrintersCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addHistoryCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addReprintCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run);
void addFilterCodeCommands(CLI::App& app, GlobalOptions& options, CommandRunner& run);

}  // namespace briskal::cli
