#pragma once
// Parameter rows of one SQLExecute, held column-wise: one row for a plain execute, many when
// inserts go to the database in a batch. Each parameter is bound with one C type for the whole
// batch, so a row whose values change kind cannot join the rows already held.

#include <sql.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/value.h"

namespace briskal::data::odbc {

class ParameterBatch {
 public:
  bool empty() const { return rows_ == 0; }
  size_t rows() const { return rows_; }
  // True when `row` can be bound together with the rows held.
  bool accepts(std::span<const Value> row) const;
  void add(std::span<const Value> row);
  void clear();
  // After an SQLExecute of several rows: whether the driver marked any of them failed, which
  // some drivers report with SQL_SUCCESS_WITH_INFO.
  bool anyRowFailed() const;

  // Binds the rows held to `stmt` for its next SQLExecute; the buffers live until clear().
  // Throws DriverError.
  void bind(SQLHSTMT stmt, const std::string& source);

 private:
  // How a parameter is bound; Null binds as any other kind.
  enum class Binding : uint8_t { Null, Bit, Integer, Double, Decimal, Text, Timestamp };
  struct Column {
    Binding binding = Binding::Null;
    size_t widestText = 0;  // bytes of the longest text, an upper bound of its UTF-16 units
    // What SQLBindParameter is given, rebuilt by bind().
    SQLSMALLINT cType = 0;
    SQLSMALLINT sqlType = 0;
    SQLULEN columnSize = 0;
    SQLSMALLINT decimalDigits = 0;
    SQLLEN stride = 0;
    std::vector<unsigned char> data;
    std::vector<SQLLEN> indicators;
  };

  static Binding bindingOf(const Value& value);
  size_t bytesWith(std::span<const Value> row) const;
  const Value& at(size_t row, size_t column) const { return values_[row * columns_.size() + column]; }
  void fillColumn(size_t index);
  template <typename T>
  static void fillFixed(Column& column, const std::vector<std::optional<T>>& cells);
  // Returns the length of the longest string, in units.
  template <typename Unit>
  static size_t fillStrings(Column& column, const std::vector<std::optional<std::basic_string<Unit>>>& cells);
  SQLRETURN bindColumn(SQLHSTMT stmt, size_t index);

  std::vector<Value> values_;  // row-major
  std::vector<Column> columns_;
  std::vector<SQLUSMALLINT> statuses_;
  size_t rows_ = 0;
};

}  // namespace briskal::data::odbc
