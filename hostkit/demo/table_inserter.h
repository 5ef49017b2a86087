#pragma once
// One prepared INSERT for a table and a fixed list of columns. Rows are sent `rowsHeld` at a
// time: a driver that sends arrays of parameters (ODBC) then gets long runs of rows for one
// statement even when the caller writes several tables in turn. With more than one row held,
// flush() sends the rest and must be called before the rows are needed. Throws briskal::Error
// when a row has the wrong number of values, and whatever the database raises.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "data/connection.h"

namespace briskal::hostkit {

class TableInserter {
 public:
  TableInserter(data::Connection& connection, std::string_view table,
                std::initializer_list<std::string_view> columns, size_t rowsHeld = 1);

  void insert(std::initializer_list<Value> values);
  void flush();

 private:
  std::unique_ptr<data::PreparedStatement> statement_;
  size_t columns_;
  size_t rowsHeld_;
  std::vector<Value> held_;  // rows one after the other
};

// A decimal of `units` in the last of `scale` places: decimalUnits(3700, 3) is 3.700.
Value decimalUnits(int64_t units, int scale);
// The same, or Null when there are no units.
Value optionalUnits(std::optional<int64_t> units, int scale);
// Text, or Null when empty.
Value optionalText(std::string_view text);
// A whole number stored in a DECIMAL(p,0) column.
inline Value wholeNumber(int64_t value) { return Value(Decimal(value)); }

}  // namespace briskal::hostkit
