#include "hostkit/lookups/code_decoder.h"

#include "common/convert.h"
#include "common/routines.h"
#include "hostkit/lookups/code_tables.h"

namespace briskal::hostkit {
namespace {

// The table a kind's values name, and the values that remain once a statistical grouping has
// chosen its table.
struct Target {
  const CodeTable* table = nullptr;
  std::vector<Value> values;
};

Target targetOf(host::CodeKind kind, const std::vector<Value>& values) {
  if (kind != host::CodeKind::StatisticalGroup) return {codeTable(kind), values};
  if (values.empty()) return {};
  const std::optional<int64_t> grouping = wholeNumber(values.front());
  if (!grouping || *grouping < 1 || *grouping > 4) return {};
  return {codeTable(kind, static_cast<int>(*grouping)), {values.begin() + 1, values.end()}};
}

// The row of the code `key` names, with its description first; no rows for an unknown code.
data::ResultSet decodedRow(CompanyTables& tables, host::CodeKind kind, const std::vector<Value>& key) {
  const Target target = targetOf(kind, key);
  if (!target.table) return {};
  const std::optional<BoundQuery> q = decodeQuery(*target.table, tables.company(), target.values);
  if (!q) return {};
  return tables.rows(q->sql, q->params);
}

Value firstCell(const data::ResultSet& rows) {
  if (rows.rowCount == 0 || rows.cells.front().isNull()) return {};
  return rows.cells.front();
}

}  // namespace

std::string cellText(const Value& value, const RegionalSettings& regional) {
  if (value.isNull() || value.isEmpty()) return {};
  return std::string(RTrim(toText(value, regional)));
}

CodeDecoder::CodeDecoder(SearchListDriver screen) : screen_(std::move(screen)) {}

bool CodeDecoder::exists(host::CodeKind kind, const std::vector<Value>& key) {
  return decodedRow(tables_, kind, key).rowCount > 0;
}

Value CodeDecoder::description(host::CodeKind kind, const std::vector<Value>& key) {
  return firstCell(decodedRow(tables_, kind, key));
}

std::optional<std::string> CodeDecoder::search(host::CodeKind kind, const std::vector<Value>& parents,
                                               const std::string& title) {
  const Target target = targetOf(kind, parents);
  if (!target.table) return std::nullopt;
  const BoundQuery q = listQuery(*target.table, tables_.company(), target.values);
  const data::ResultSet rows = tables_.rows(q.sql, q.params);
  SearchList list{title, listHeadings(*target.table), {}, {1}};
  list.rows.reserve(rows.rowCount);
  const size_t width = rows.columns.size();
  for (size_t r = 0; r < rows.rowCount; ++r) {
    std::vector<std::string>& row = list.rows.emplace_back();
    row.reserve(width);
    for (size_t c = 0; c < width; ++c) row.push_back(cellText(rows.cells[r * width + c], tables_.regional()));
  }
  const std::optional<size_t> picked = screen_ ? screen_(list) : std::nullopt;
  if (!picked || *picked >= list.rows.size()) return std::nullopt;
  return list.rows[*picked].front();
}

bool NodeDecoder::exists(const Value& project, const Value& node) {
  return decodedRow(tables_, host::CodeKind::Node, {project, node}).rowCount > 0;
}

Value NodeDecoder::description(const Value& project, const Value& node) {
  return firstCell(decodedRow(tables_, host::CodeKind::Node, {project, node}));
}

}  // namespace briskal::hostkit
