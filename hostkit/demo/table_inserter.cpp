#include "hostkit/demo/table_inserter.h"

#include <span>
#include <string>

#include "common/error.h"

namespace briskal::hostkit {

TableInserter::TableInserter(data::Connection& connection, std::string_view table,
                             std::initializer_list<std::string_view> columns, size_t rowsHeld)
    : columns_(columns.size()), rowsHeld_(rowsHeld) {
  std::string sql = "INSERT INTO ";
  sql.append(table).append(" (");
  std::string markers;
  for (std::string_view column : columns) {
    if (!markers.empty()) {
      sql.append(", ");
      markers.append(", ");
    }
    sql.append(column);
    markers.push_back('?');
  }
  sql.append(") VALUES (").append(markers).append(")");
  statement_ = connection.prepare(sql);
  held_.reserve(rowsHeld_ * columns_);
}

void TableInserter::insert(std::initializer_list<Value> values) {
  if (values.size() != columns_) {
    throw Error(err::kInvalidArgument, "briskal",
                "An insert got " + std::to_string(values.size()) + " values for " + std::to_string(columns_) +
                    " columns");
  }
  held_.insert(held_.end(), values.begin(), values.end());
  if (held_.size() >= rowsHeld_ * columns_) flush();
}

void TableInserter::flush() {
  for (size_t row = 0; row < held_.size(); row += columns_) {
    statement_->execute(std::span<const Value>(held_).subspan(row, columns_));
  }
  held_.clear();
}

Value decimalUnits(int64_t units, int scale) {
  const bool negative = units < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  return Value(Decimal::fromParts(magnitude, scale, negative));
}

Value optionalUnits(std::optional<int64_t> units, int scale) {
  return units ? decimalUnits(*units, scale) : Value::null();
}

Value optionalText(std::string_view text) { return text.empty() ? Value::null() : Value(text); }

}  // namespace briskal::hostkit
