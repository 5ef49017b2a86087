// briskal demo-db --out FILE: a realistic demo database on the embedded driver.

#include <CLI/CLI.hpp>
#include <chrono>
#include <filesystem>
#include <iostream>

#include "common/error.h"
#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/report/staged_file.h"
#include "options.h"

namespace briskal::cli {

namespace {

struct DemoDbArgs {
  std::string out;
  int orders = 2000;
  uint64_t seed = 1;
  bool force = false;
};

hostkit::DemoSummary fill(const std::string& connectionString, const DemoDbArgs& args) {
  data::Connection cn;
  cn.setConnectionString(connectionString);
  cn.open();
  hostkit::DemoOptions demo;
  demo.orders = args.orders;
  demo.seed = args.seed;
  return hostkit::createDemoDatabase(cn, demo);
}

int createDemo(const GlobalOptions& options, const DemoDbArgs& args) {
  namespace fs = std::filesystem;
  const auto start = std::chrono::steady_clock::now();
  hostkit::DemoSummary summary;
  if (args.out.empty()) {
    summary = fill(options.db, args);
  } else {
    if (fs::exists(args.out) && !args.force)
      throw Error(err::kIllegalOperation, "demo-db", args.out + " exists already; use --force to replace it");
    // Built beside the file and put in its place whole: a failed run leaves the earlier one.
    hostkit::report::StagedFile staged(args.out);
    // An absolute path is never read as a connection string, whatever its name holds.
    summary = fill(fs::absolute(staged.path()).string(), args);
    for (const char* suffix : {"-wal", "-shm"}) fs::remove(args.out + suffix);
    staged.commit();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (options.quiet) return exit_code::kOk;
  std::cerr << "demo-db: " << (args.out.empty() ? options.db : args.out) << ": " << summary.orderLines
            << " order lines (" << summary.viewRows << " view rows) in " << summary.productionOrders
            << " orders of " << summary.companies << " companies, " << summary.items << " items, "
            << summary.partners << " customers and suppliers, in " << static_cast<int>(seconds * 1000)
            << " ms\n";
  return exit_code::kOk;
}

}  // namespace

void addDemoDbCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run) {
  auto* cmd =
      app.add_subcommand("demo-db", "Create the demo database (order lines of an Italian manufacturer)");
  auto args = std::make_shared<DemoDbArgs>();
  cmd->add_option("--out", args->out, "SQLite file to create (default: the --db connection)")
      ->type_name("FILE");
  cmd->add_option("--orders", args->orders, "Number of order lines")
      ->check(CLI::Range(1, 10'000'000))
      ->capture_default_str();
  cmd->add_option("--seed", args->seed, "Seed: the same seed gives the same data")->capture_default_str();
  cmd->add_flag("--force", args->force, "Replace an existing file");
  cmd->callback([&options, &run, args] { run = [&options, args] { return createDemo(options, *args); }; });
}

}  // namespace briskal::cli
