#include "data/table_writer.h"

#include <regex>

#include "common/routines.h"
#include "common/error.h"
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

TableWriter::TableWriter(Connection& connection, const RecordsetData& data) : connection_(connection), data_(data) {}
TableWriter::~TableWriter() = default;

Value TableWriter::columnValue(size_t field, const Value& v) const {
  // Fixed-width text goes to the table without its padding: every database compares it the same
  // way then, including SQLite, which keeps trailing blanks.
  if (v.isText() && isFixedTextType(data_.fields[field].type)) return Value(std::string(RTrim(v.asText())));
  if (v.isEmpty()) return Value::null();
  return v;
}

void TableWriter::run(const std::string& sql, const std::vector<Value>& params) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) it = statements_.emplace(sql, connection_.prepare(sql)).first;
  it->second->execute(params);
}

void TableWriter::appendKey(std::string& sql, std::vector<Value>& params, const std::vector<Value>& original) const {
  sql += " WHERE ";
  bool first = true;
  for (size_t f : data_.keyFields) {
    if (!first) sql += " AND ";
    first = false;
    const Value v = columnValue(f, original[f]);
    if (v.isNull()) {
      sql += quoted(data_.fields[f].name) + " IS NULL";
    } else {
      sql += quoted(data_.fields[f].name) + " = ?";
      params.push_back(v);
    }
  }
}

void TableWriter::insert(uint32_t row) {
  const Value* cells = data_.row(row);
  std::string columns, marks;
  std::vector<Value> params;
  for (size_t f = 0; f < data_.fields.size(); ++f) {
    if (cells[f].isEmpty()) continue;  // never assigned: the table's default applies
    if (!params.empty()) columns += ", ", marks += ", ";
    columns += quoted(data_.fields[f].name);
    marks += "?";
    params.push_back(columnValue(f, cells[f]));
  }
  if (params.empty()) throw Error(err::kIllegalOperation, "Recordset", "A new row without values cannot be inserted");
  run("INSERT INTO " + data_.table + " (" + columns + ") VALUES (" + marks + ")", params);
}

void TableWriter::update(uint32_t row, const std::vector<Value>& original) {
  const Value* cells = data_.row(row);
  std::string sql = "UPDATE " + data_.table + " SET ";
  std::vector<Value> params;
  for (size_t f = 0; f < data_.fields.size(); ++f) {
    if (cells[f] == original[f]) continue;
    if (!params.empty()) sql += ", ";
    sql += quoted(data_.fields[f].name) + " = ?";
    params.push_back(columnValue(f, cells[f]));
  }
  if (params.empty()) return;
  appendKey(sql, params, original);
  run(sql, params);
}

void TableWriter::remove(const std::vector<Value>& original) {
  std::string sql = "DELETE FROM " + data_.table;
  std::vector<Value> params;
  appendKey(sql, params, original);
  run(sql, params);
}

}  // namespace briskal::data
