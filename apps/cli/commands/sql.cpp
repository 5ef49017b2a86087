// briskal sql "STATEMENT": one statement through the data layer, dialect adaptation included.

#include <CLI/CLI.hpp>
#include <iostream>

#include "common/error.h"
#include "common/routines.h"
#include "component_run.h"
#include "data/connection.h"
#include "options.h"

namespace briskal::cli {

void addSqlCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run) {
  auto* cmd =
      app.add_subcommand("sql", "Run one statement and print its rows (or the number of rows affected)");
  auto statement = std::make_shared<std::string>();
  cmd->add_option("STATEMENT", *statement, "The statement, in SQL Server dialect")->required();
  cmd->callback([&options, &run, statement] {
    run = [&options, statement] {
      if (Trim(*statement).empty()) throw Error(err::kInvalidArgument, "briskal", "The statement is empty");
      data::Connection cn;
      openDatabase(cn, options);
      const data::StatementResult result = cn.execute(*statement);
      if (!result.rows) {
        std::cout << result.rowsAffected << '\n';
        return exit_code::kOk;
      }
      const data::ResultSet& rows = *result.rows;
      TabularOutput out(std::cout, options.outputFormat(), options.regional());
      std::vector<std::string> names;
      for (const auto& column : rows.columns) names.push_back(column.name);
      out.header(names);
      const size_t width = rows.columns.size();
      for (size_t r = 0; r < rows.rowCount; ++r)
        out.row(std::span<const Value>(rows.cells.data() + r * width, width));
      out.finish();
      return exit_code::kOk;
    };
  });
}

}  // namespace briskal::cli
