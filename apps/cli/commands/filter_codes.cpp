// briskal decode and briskal lookup: what the parameter form says about a code typed in a filter
// row, and the search list a filter row opens, answered as a person at the screen would.

#include <CLI/CLI.hpp>
#include <deque>
#include <iostream>

#include "component_run.h"
#include "hostkit/lookups/search_list.h"

namespace briskal::cli {
namespace {

using Side = host::QueryFilterControl::Side;

struct FilterCodeOptions {
  std::string field;  // decode: CAPTION=CODE; lookup: CAPTION
  std::vector<std::string> where;
  std::string side = "from";
  int orderType = 24;
  std::string search;
  std::vector<std::string> picks;
};

void addFilterOptions(CLI::App& cmd, FilterCodeOptions& o) {
  addWhereOption(cmd, o.where);
  cmd.add_option("--side", o.side, "Side of the row: the from-value or the to-value")
      ->check(CLI::IsMember({"from", "to"}))
      ->capture_default_str();
  addOrderTypeOption(cmd, o.orderType);
}

// A session on the parameter form with the order type and the rows of --where entered.
std::unique_ptr<hostkit::HostSession> openFilter(const GlobalOptions& options, const FilterCodeOptions& o) {
  auto session = openSession(options);
  session->showParameterForm();
  applyOrderType(*session, o.orderType);
  applyFilterRows(*session, o.where);
  return session;
}

Side sideOf(const FilterCodeOptions& o) { return o.side == "to" ? Side::To : Side::From; }

int decode(const GlobalOptions& options, const FilterCodeOptions& o) {
  const size_t eq = o.field.find('=');
  if (eq == std::string::npos || eq == 0) throw UsageError("'" + o.field + "': write CAPTION=CODE");
  const std::string caption = o.field.substr(0, eq);
  auto session = openFilter(options, o);
  const size_t logged = session->loggedErrors().size();
  hostkit::HeadlessQueryFilter& filter = filterControl(*session);
  requireFilterField(filter, caption, "'" + o.field + "'");
  const std::string description = filter.typeCode(caption, sideOf(o), o.field.substr(eq + 1));
  if (reportLoggedErrors(*session, logged)) return exit_code::kFailed;
  std::cout << description << '\n';
  return exit_code::kOk;
}

// Answers the search lists as they open: the first narrowed by --search, each answered by the
// next --pick; a list left without a pick is printed and closed without a choice.
class ListAnswers {
 public:
  ListAnswers(const GlobalOptions& options, const FilterCodeOptions& o)
      : options_(options), search_(o.search), picks_(o.picks.begin(), o.picks.end()) {}

  std::optional<size_t> answer(const hostkit::SearchList& list) {
    const std::vector<size_t> shown = hostkit::narrowedRows(list, search_);
    search_.clear();
    if (picks_.empty()) {
      print(list, shown);
      printed_ = true;
      return std::nullopt;
    }
    const std::string pick = picks_.front();
    picks_.pop_front();
    for (size_t r : shown)
      if (list.rows[r].front() == pick) return r;
    missing_ = pick;
    return std::nullopt;
  }

  bool printed() const { return printed_; }
  const std::string& missing() const { return missing_; }
  const std::deque<std::string>& unused() const { return picks_; }

 private:
  void print(const hostkit::SearchList& list, const std::vector<size_t>& shown) const {
    TabularOutput out(std::cout, options_.outputFormat(), options_.regional());
    out.header(list.headings);
    std::vector<Value> cells;
    for (size_t r : shown) {
      cells.assign(list.rows[r].begin(), list.rows[r].end());
      out.row(cells);
    }
    out.finish();
  }

  const GlobalOptions& options_;
  std::string search_;
  std::deque<std::string> picks_;
  bool printed_ = false;
  std::string missing_;
};

int lookup(const GlobalOptions& options, const FilterCodeOptions& o) {
  auto session = openFilter(options, o);
  const size_t logged = session->loggedErrors().size();
  hostkit::HeadlessQueryFilter& filter = filterControl(*session);
  requireFilterField(filter, o.field, "lookup");
  ListAnswers answers(options, o);
  session->runtime().setSearchListDriver(
      [&](const hostkit::SearchList& list) { return answers.answer(list); });
  const hostkit::LookupOutcome outcome = filter.requestLookup(o.field, sideOf(o));
  if (reportLoggedErrors(*session, logged)) return exit_code::kFailed;
  if (!outcome.handled) throw UsageError("the filter field \"" + o.field + "\" has no search list");
  if (!answers.missing().empty()) {
    std::cerr << "briskal: there is no entry " << answers.missing() << " in the list\n";
    return exit_code::kFailed;
  }
  if (!answers.unused().empty())
    throw UsageError("--pick " + answers.unused().front() + ": there was no further list to pick from");
  if (answers.printed()) return exit_code::kOk;
  TabularOutput out(std::cout, options.outputFormat(), options.regional());
  out.header({"caption", "from", "to", "description"});
  for (const hostkit::FilterRow& row : filter.rows()) {
    if (row.caption != o.field) continue;
    const std::vector<Value> cells{Value(row.caption), Value(row.from), Value(row.to),
                                   Value(outcome.description)};
    out.row(cells);
  }
  out.finish();
  return exit_code::kOk;
}

}  // namespace

void addFilterCodeCommands(CLI::App& app, GlobalOptions& options, CommandRunner& run) {
  auto decodeOptions = std::make_shared<FilterCodeOptions>();
  auto* dec = app.add_subcommand("decode", "Describe a code typed in a filter row, as the filter shows it");
  dec->add_option("FIELD", decodeOptions->field, "The row and the code typed in it, e.g. 'Famiglia=FLAN'")
      ->type_name("CAPTION=CODE")
      ->required();
  addFilterOptions(*dec, *decodeOptions);
  dec->callback([&options, &run, decodeOptions] {
    run = [&options, decodeOptions] { return decode(options, *decodeOptions); };
  });

  auto lookupOptions = std::make_shared<FilterCodeOptions>();
  auto* look =
      app.add_subcommand("lookup", "Open the search list of a filter row and print it, or pick from it");
  look->add_option("CAPTION", lookupOptions->field, "The filter row, e.g. Sottofamiglia")->required();
  addFilterOptions(*look, *lookupOptions);
  look->add_option("--search", lookupOptions->search, "Text typed in the list's search box")
      ->type_name("TEXT");
  look->add_option("--pick", lookupOptions->picks,
                   "Code of the entry to choose (a document's line needs a second --pick: its line number)")
      ->type_name("CODE");
  look->callback([&options, &run, lookupOptions] {
    run = [&options, lookupOptions] { return lookup(options, *lookupOptions); };
  });
}

}  // namespace briskal::cli
