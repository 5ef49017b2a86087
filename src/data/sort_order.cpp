#include "data/sort_order.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/error.h"
#include "common/utf8.h"
#include "data/criteria.h"
#include "data/recordset_data.h"

namespace briskal::data {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// One sort column, extracted once so that comparisons do not decode values again and again.
struct Column {
  std::vector<uint8_t> rank;      // 0 Null/Empty, 1 number, 2 date, 3 text
  std::vector<double> number;     // numbers and dates
  std::vector<std::string> text;  // case-folded text
  bool descending = false;
  size_t field = 0;
};

Column extract(const std::vector<uint32_t>& rows, const RecordsetData& data, size_t field, bool descending) {
  Column c;
  c.field = field;
  c.descending = descending;
  c.rank.resize(rows.size());
  c.number.resize(rows.size());
  bool anyText = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Value v = data.value(rows[i], field);
    switch (v.kind()) {
      case Value::Kind::Empty:
      case Value::Kind::Null: c.rank[i] = 0; break;
      case Value::Kind::Bool: c.rank[i] = 1, c.number[i] = v.asBool() ? -1 : 0; break;
      case Value::Kind::Int16: c.rank[i] = 1, c.number[i] = v.asInt16(); break;
      case Value::Kind::Int32: c.rank[i] = 1, c.number[i] = v.asInt32(); break;
      case Value::Kind::Int64: c.rank[i] = 1, c.number[i] = static_cast<double>(v.asInt64()); break;
      case Value::Kind::Double: c.rank[i] = 1, c.number[i] = v.asDouble(); break;
      case Value::Kind::Decimal: c.rank[i] = 1, c.number[i] = v.asDecimal().toDouble(); break;
      case Value::Kind::Date:
        c.rank[i] = 2, c.number[i] = static_cast<double>(v.asDate().secondsSinceEpoch());
        break;
      case Value::Kind::Text: c.rank[i] = 3, anyText = true; break;
    }
  }
  if (anyText) {
    c.text.resize(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
      if (c.rank[i] == 3) c.text[i] = utf8::foldCase(data.value(rows[i], field).asText());
  }
  return c;
}

// Equal doubles may still be different decimals beyond the fifteenth digit.
int exactTie(const Value& a, const Value& b, double approximate) {
  if (a.kind() == Value::Kind::Decimal && b.kind() == Value::Kind::Decimal) {
    const auto order = a.asDecimal() <=> b.asDecimal();
    return std::is_lt(order) ? -1 : std::is_gt(order) ? 1 : 0;
  }
  if (std::fabs(approximate) < 9007199254740992.0 && a.kind() != Value::Kind::Decimal &&
      b.kind() != Value::Kind::Decimal)
    return 0;
  return compareForSort(a, b);
}

}  // namespace

SortKeys parseSortOrder(std::string_view text, const FieldIndex& index) {
  SortKeys keys;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    std::string_view item = trim(text.substr(start, comma - start));
    if (item.empty())
      throw Error(err::kInvalidArgument, "Recordset", "Invalid sort order \"" + std::string(text) + "\"");
    bool descending = false;
    const size_t blank = item.find_last_of(" \t");
    if (blank != std::string_view::npos && (item.front() != '[' || item.back() != ']')) {
      const std::string_view word = item.substr(blank + 1);
      if (utf8::equalsNoCase(word, "DESC")) descending = true;
      else if (!utf8::equalsNoCase(word, "ASC"))
        throw Error(err::kInvalidArgument, "Recordset", "Invalid sort direction '" + std::string(word) + "'");
      item = trim(item.substr(0, blank));
    }
    if (item.size() >= 2 && item.front() == '[' && item.back() == ']') item = item.substr(1, item.size() - 2);
    const int field = index.find(item);
    if (field < 0)
      throw Error(err::kItemNotFound, "Recordset",
                  "Item cannot be found in the collection: field " + std::string(item));
    keys.emplace_back(static_cast<size_t>(field), descending);
    start = comma + 1;
  }
  return keys;
}

void sortRows(std::vector<uint32_t>& rows, const RecordsetData& data, const SortKeys& keys) {
  std::vector<Column> columns;
  columns.reserve(keys.size());
  for (const auto& [field, descending] : keys) columns.push_back(extract(rows, data, field, descending));
  std::vector<uint32_t> order(rows.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  auto compare = [&](uint32_t a, uint32_t b) {
    for (const Column& c : columns) {
      int result = 0;
      if (c.rank[a] != c.rank[b]) {
        result = c.rank[a] < c.rank[b] ? -1 : 1;
      } else if (c.rank[a] == 3) {
        result = c.text[a].compare(c.text[b]);
      } else if (c.rank[a] != 0) {
        if (c.number[a] != c.number[b]) result = c.number[a] < c.number[b] ? -1 : 1;
        else if (c.rank[a] == 1)
          result = exactTie(data.value(rows[a], c.field), data.value(rows[b], c.field), c.number[a]);
      }
      if (result != 0) return c.descending ? result > 0 : result < 0;
    }
    return rows[a] < rows[b];
  };
  std::sort(order.begin(), order.end(), compare);
  std::vector<uint32_t> sorted(rows.size());
  for (size_t i = 0; i < order.size(); ++i) sorted[i] = rows[order[i]];
  rows = std::move(sorted);
}

}  // namespace briskal::data
