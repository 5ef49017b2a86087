// briskal rows: the order lines expanded into label rows, as the selection form holds them.

#include <CLI/CLI.hpp>
#include <iostream>

#include "commands/selection_edits.h"
#include "common/convert.h"
#include "component_run.h"
#include "data/recordset.h"

namespace briskal::cli {
namespace {

int printRows(const GlobalOptions& options, const SelectionOptions& selection, const LabelOptions& labels,
              const std::vector<SelectionEdit>& edits) {
  auto session = openSession(options);
  const size_t logged = session->loggedErrors().size();
  session->showParameterForm();
  applySelection(*session, selection);
  applyLabelOptions(*session, labels);
  execute(*session);
  if (reportLoggedErrors(*session, logged)) return exit_code::kFailed;
  hostkit::HeadlessWindow* form = session->window("FRMPD_MODSELEZ");
  if (!form || !form->isShown()) return exit_code::kFailed;  // no order lines, or stopped on a No
  applySelectionEdits(*session, *form, edits);
  auto* grid = form->headlessControls().find<hostkit::HeadlessGrid>("KVX_QGRIDWRAPPER1");
  data::Recordset* rows = grid ? grid->dataSource() : nullptr;
  if (!rows) return exit_code::kFailed;
  // A clone walks the rows without moving the grid.
  std::unique_ptr<data::Recordset> walk = rows->clone();
  const RegionalSettings rs = options.regional();
  TabularOutput out(std::cout, options.outputFormat(), rs);
  if (options.outputFormat() == Format::Csv) {
    std::vector<std::string> names;
    for (size_t f = 0; f < walk->fieldCount(); ++f) names.push_back(walk->field(f).name);
    out.header(names);
    std::vector<Value> values(walk->fieldCount());
    for (; !walk->eof(); walk->moveNext()) {
      for (size_t f = 0; f < values.size(); ++f) values[f] = walk->value(f);
      out.row(values);
    }
  } else {
    const std::vector<host::GridColumn>& columns = grid->columns();
    // The row's id comes first: it is what --toggle and --label-quantity name a row by.
    std::vector<std::string> titles{"ID"};
    std::vector<bool> numbers{true};
    std::vector<size_t> fields{static_cast<size_t>(walk->fieldIndex("IDGRIGLIA"))};
    for (const auto& column : columns) {
      titles.push_back(column.title);
      numbers.push_back(!column.format.empty());
      fields.push_back(static_cast<size_t>(walk->fieldIndex(column.field)));
    }
    out.header(titles, numbers);
    std::vector<Value> values(fields.size());
    for (; !walk->eof(); walk->moveNext()) {
      values[0] = walk->value(fields[0]);
      for (size_t c = 0; c < columns.size(); ++c) {
        const Value v = walk->value(fields[c + 1]);
        const bool numeric = !v.isNull() && !v.isEmpty() && !(v.isText() && v.asText().empty());
        values[c + 1] =
            columns[c].format.empty() || !numeric ? v : Value(formatNumber(v, columns[c].format, rs));
      }
      out.row(values);
    }
  }
  out.finish();
  return exit_code::kOk;
}

}  // namespace

void addRowsCommand(CLI::App& app, GlobalOptions& options, CommandRunner& run) {
  auto* cmd = app.add_subcommand("rows", "Print the label rows the order lines expand into");
  auto selection = std::make_shared<SelectionOptions>();
  auto labels = std::make_shared<LabelOptions>();
  addSelectionOptions(*cmd, *selection);
  addLabelOptions(*cmd, *labels);
  auto edits = std::make_shared<SelectionEditOptions>();
  edits->addTo(*cmd);
  cmd->callback([&options, &run, selection, labels, edits] {
    run = [&options, selection, labels, edits] {
      return printRows(options, *selection, *labels, edits->given());
    };
  });
}

}  // namespace briskal::cli
