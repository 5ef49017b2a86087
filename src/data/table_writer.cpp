#include "data/table_writer.h"

#include <algorithm>
#include <regex>

#include "common/error.h"
#include "common/routines.h"
#include "data/connection.h"
#include "data/recordset_data.h"

namespace briskal::data {
namespace {

std::string quoted(const std::string& name) {
  for (char c : name)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return "\"" + name + "\"";
  return name;
}

}  // namespace

std::optional<std::string> writableTable(std::string_view source) {
  static const std::regex kSelect(
      R"(^\s*SELECT\s+(\*|[A-Za-z_][A-Za-z0-9_]*(\s*,\s*[A-Za-z_][A-Za-z0-9_]*)*)\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*)\s*(WITH\s*\(\s*NOLOCK\s*\)\s*)?((WHERE|ORDER\s+BY)\b[\s\S]*)?$)",
      std::regex::icase);
  std::match_results<std::string_view::const_iterator> m;
  if (!std::regex_match(source.begin(), source.end(), m, kSelect)) return std::nullopt;
  const std::string rest = m[5].str();
  // A join or a subquery after WHERE still reads one table, but a UNION would not.
  static const std::regex kUnion(R"(\bUNION\b)", std::regex::icase);
  if (std::regex_search(rest, kUnion)) return std::nullopt;
  return m[3].str();
}

TableWriter::TableWriter(Connection& connection, const RecordsetData& data)
    : connection_(connection), data_(data) {}
TableWriter::~TableWriter() = default;

Value TableWriter::columnValue(size_t field, const Value& v) const {
  // Fixed-width text goes to the table without its padding: every database compares it the same
  // way then, including SQLite, which keeps trailing blanks.
  if (v.isText() && isFixedTextType(data_.fields[field].type)) return Value(std::string(RTrim(v.asText())));
  if (v.isEmpty()) return Value::null();
  return v;
}

int64_t TableWriter::run(const std::string& sql, const std::vector<Value>& params) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) it = statements_.emplace(sql, connection_.prepare(sql)).first;
  return it->second->execute(params);
}

void TableWriter::runOnOneRow(const std::string& sql, const std::vector<Value>& params) {
  // The row must still be there as it was read: otherwise nothing may be reported as written.
  const int64_t affected = run(sql, params);
  if (affected != 1)
    throw Error(
        err::kRowNotFound, "Recordset",
        "Row cannot be located for updating: " + std::to_string(affected) + " rows of " + data_.table +
            " match the key it was read with. Some values may have been changed since it was last read.");
}

void TableWriter::appendKey(std::string& sql, std::vector<Value>& params, const std::vector<Value>& original,
                            const std::vector<size_t>& alsoUnchanged) const {
  sql += " WHERE ";
  bool first = true;
  std::vector<size_t> fields = data_.keyFields;
  for (size_t f : alsoUnchanged)
    if (std::find(fields.begin(), fields.end(), f) == fields.end() &&
        !(data_.fields[f].attributes & attr::kLong))
      fields.push_back(f);
  for (size_t f : fields) {
    if (!first) sql += " AND ";
    first = false;
    const Value v = columnValue(f, original[f]);
    const std::string column = quoted(data_.fields[f].name);
    if (v.isNull()) {
      sql += column + " IS NULL";
    } else if (isDateType(data_.fields[f].type) && connection_.dialect() == Dialect::SQLite) {
      // SQLite keeps dates as the text they were written with, with or without a time.
      sql += "datetime(" + column + ") = datetime(?)";
      params.push_back(v);
    } else {
      sql += column + " = ?";
      params.push_back(v);
    }
  }
}

void TableWriter::insert(uint32_t row) {
  const std::vector<Value> cells = data_.store.rowValues(row);
  std::string columns, marks;
  std::vector<Value> params;
  for (size_t f = 0; f < data_.fields.size(); ++f) {
    if (cells[f].isEmpty()) continue;  // never assigned: the table's default applies
    if (!params.empty()) columns += ", ", marks += ", ";
    columns += quoted(data_.fields[f].name);
    marks += "?";
    params.push_back(columnValue(f, cells[f]));
  }
  if (params.empty())
    throw Error(err::kIllegalOperation, "Recordset", "A new row without values cannot be inserted");
  run("INSERT INTO " + data_.table + " (" + columns + ") VALUES (" + marks + ")", params);
}

void TableWriter::update(uint32_t row, const std::vector<Value>& original) {
  const std::vector<Value> cells = data_.store.rowValues(row);
  std::string sql = "UPDATE " + data_.table + " SET ";
  std::vector<Value> params;
  std::vector<size_t> changed;
  for (size_t f = 0; f < data_.fields.size(); ++f) {
    if (cells[f] == original[f]) continue;
    if (!params.empty()) sql += ", ";
    sql += quoted(data_.fields[f].name) + " = ?";
    params.push_back(columnValue(f, cells[f]));
    changed.push_back(f);
  }
  if (params.empty()) return;
  // The changed columns must still hold what was read: a change made meanwhile by another
  // workstation is not silently overwritten.
  appendKey(sql, params, original, changed);
  runOnOneRow(sql, params);
}

void TableWriter::remove(const std::vector<Value>& original) {
  std::string sql = "DELETE FROM " + data_.table;
  std::vector<Value> params;
  appendKey(sql, params, original);
  runOnOneRow(sql, params);
}

}  // namespace briskal::data
