// briskal stock: the sheets of office labels customisable labels print on.

#include "commands/stock.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>

#include "options.h"

namespace briskal::cli {
namespace {

using hostkit::report::LabelStock;
using hostkit::report::labelStockCatalogue;
using hostkit::report::stockKey;

struct StockArgs {
  std::string find;
  std::string name;
};

// Hundredths of a millimetre are as fine as a sheet is cut.
Value millimetres(double mm) { return Value(std::round(mm * 100) / 100); }

void printProducts(const std::vector<const LabelStock*>& products, bool details,
                   const GlobalOptions& options) {
  TabularOutput out(std::cout, options.outputFormat(), options.regional());
  std::vector<std::string> names{"BRAND", "PART", "LABEL_WIDTH", "LABEL_HEIGHT", "COLUMNS", "ROWS", "SHEET"};
  if (details)
    names.insert(names.end(), {"SHEET_WIDTH", "SHEET_HEIGHT", "X0", "Y0", "DX", "DY", "DESCRIPTION"});
  out.header(names);
  for (const LabelStock* s : products) {
    std::vector<Value> row{Value(s->brand),
                           Value(s->part),
                           millimetres(s->labelWidth),
                           millimetres(s->labelHeight),
                           Value(int32_t{s->columns}),
                           Value(int32_t{s->rows}),
                           Value(s->paper.empty() ? std::string("-") : s->paper)};
    if (details)
      row.insert(row.end(),
                 {millimetres(s->sheetWidth), millimetres(s->sheetHeight), millimetres(s->x0),
                  millimetres(s->y0), millimetres(s->dx), millimetres(s->dy), Value(s->description)});
    out.row(row);
  }
  out.finish();
}

int run(const GlobalOptions& options, const std::string& action, const StockArgs& args) {
  const auto& catalogue = labelStockCatalogue();
  if (action == "show") {
    printProducts({&catalogue.get(args.name)}, true, options);
    return exit_code::kOk;
  }
  const std::string wanted = stockKey(args.find);
  std::vector<const LabelStock*> products;
  for (const LabelStock& s : catalogue.products())
    if (stockKey(s.name() + " " + s.description).find(wanted) != std::string::npos) products.push_back(&s);
  printProducts(products, false, options);
  if (!options.quiet)
    std::cerr << products.size() << (products.size() == 1 ? " product" : " products") << " of "
              << catalogue.products().size() << " from " << catalogue.source() << '\n';
  return exit_code::kOk;
}

}  // namespace

const LabelStock& requireStock(const std::string& name) {
  const auto& catalogue = labelStockCatalogue();
  if (const LabelStock* stock = catalogue.find(name)) return *stock;
  std::string closest;
  for (const std::string& close : catalogue.closest(name)) closest += (closest.empty() ? "" : ", ") + close;
  throw UsageError("--stock: there is no label stock '" + name + "' in " + catalogue.source() +
                   "; the closest: " + closest);
}

void addStockCommand(CLI::App& app, GlobalOptions& options, CommandRunner& runner) {
  auto* cmd = app.add_subcommand("stock", "Sheets of office labels that customisable labels print on");
  cmd->require_subcommand(1);
  auto args = std::make_shared<StockArgs>();
  auto bind = [&options, &runner, args](CLI::App* sub, const std::string& action) {
    sub->callback([&options, &runner, args, action] {
      runner = [&options, args, action] { return run(options, action, *args); };
    });
  };
  auto* list = cmd->add_subcommand("list", "The products of the label stock catalogue");
  list->add_option("--find", args->find, "Only the products whose brand, part or description holds TEXT")
      ->type_name("TEXT");
  bind(list, "list");
  auto* show = cmd->add_subcommand("show", "A product's sheet and where its labels are, in millimetres");
  show->add_option("PRODUCT", args->name, "The product, \"BRAND PART\" (e.g. \"Avery L7160\")")->required();
  bind(show, "show");
}

}  // namespace briskal::cli
