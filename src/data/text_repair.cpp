#include "data/text_repair.h"

#include <vector>

#include "common/utf8.h"
#include "common/value.h"

namespace briskal::data {
namespace {

// A key value as the database would show it.
std::string cellText(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Text: return v.asText();
    case Value::Kind::Decimal: return v.asDecimal().toPlainString();
    case Value::Kind::Int16: return std::to_string(v.asInt16());
    case Value::Kind::Int32: return std::to_string(v.asInt32());
    case Value::Kind::Int64: return std::to_string(v.asInt64());
    case Value::Kind::Date: return v.asDate().toIso();
    default: return v.debugString();
  }
}

// The row's key as its table defines it, when the result holds every key column; otherwise its
// position in the result.
std::string keyOf(const ResultSet& rows, size_t row, const std::string& table, DriverConnection& driver) {
  std::vector<std::string> key;
  if (!table.empty()) {
    try {
      key = driver.primaryKey(table);
    } catch (const Error&) {
      key.clear();
    }
  }
  std::string text;
  for (const std::string& column : key) {
    size_t found = rows.columns.size();
    for (size_t c = 0; c < rows.columns.size(); ++c)
      if (utf8::equalsNoCase(rows.columns[c].name, column)) found = c;
    if (found == rows.columns.size()) return "row " + std::to_string(row + 1) + " of the result";
    text += (text.empty() ? "" : ", ") + column + " = " +
            utf8::printable(cellText(rows.cells[row * rows.columns.size() + found]), false);
  }
  return text.empty() ? "row " + std::to_string(row + 1) + " of the result" : "the record with " + text;
}

}  // namespace

std::optional<TextRepair> repairText(ResultSet& rows, DriverConnection& driver) {
  size_t repaired = 0;
  size_t first = 0;
  for (size_t i = 0; i < rows.cells.size(); ++i) {
    Value& cell = rows.cells[i];
    if (!cell.isText() || utf8::isValidUtf8(cell.asText())) continue;
    if (repaired++ == 0) first = i;
    cell = Value(utf8::toValidUtf8(cell.asText()));
  }
  if (repaired == 0) return std::nullopt;
  const size_t columns = rows.columns.size();
  const size_t column = first % columns;
  const std::string table = column < rows.baseTables.size() ? rows.baseTables[column] : std::string();
  const std::string place = (table.empty() ? "" : table + ".") + rows.columns[column].name + " of " +
                            keyOf(rows, first / columns, table, driver);
  std::string text =
      "the text in " + place + " is not valid UTF-8: its invalid bytes are shown as \xEF\xBF\xBD";
  if (repaired > 1) text += " (" + std::to_string(repaired - 1) + " more values of this read likewise)";
  return TextRepair{place, text};
}

}  // namespace briskal::data
