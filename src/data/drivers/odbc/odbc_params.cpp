#include "data/drivers/odbc/odbc_params.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "common/utf8.h"
#include "data/drivers/odbc/odbc_error.h"

namespace briskal::data::odbc {
namespace {

// Bounds the buffers of one batch: a few long texts must not multiply into gigabytes.
constexpr size_t kMaxBatchBytes = size_t{8} << 20;
// Longer texts go as long data, which SQL Server needs beyond 4,000 characters.
constexpr size_t kLongTextUnits = 4000;
// "-" 29 digits "." and the terminator, with room to spare.
constexpr size_t kDecimalChars = 40;

SQL_TIMESTAMP_STRUCT toTimestamp(const DateTime& date) {
  SQL_TIMESTAMP_STRUCT ts{};
  ts.year = static_cast<SQLSMALLINT>(date.year());
  ts.month = static_cast<SQLUSMALLINT>(date.month());
  ts.day = static_cast<SQLUSMALLINT>(date.day());
  ts.hour = static_cast<SQLUSMALLINT>(date.hour());
  ts.minute = static_cast<SQLUSMALLINT>(date.minute());
  ts.second = static_cast<SQLUSMALLINT>(date.second());
  return ts;
}

int integerRank(Value::Kind kind) {
  switch (kind) {
    case Value::Kind::Int16: return 1;
    case Value::Kind::Int32: return 2;
    default: return 3;
  }
}

int64_t integerOf(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Int16: return value.asInt16();
    case Value::Kind::Int32: return value.asInt32();
    default: return value.asInt64();
  }
}

}  // namespace

ParameterBatch::Binding ParameterBatch::bindingOf(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Empty:
    case Value::Kind::Null: return Binding::Null;
    case Value::Kind::Bool: return Binding::Bit;
    case Value::Kind::Int16:
    case Value::Kind::Int32:
    case Value::Kind::Int64: return Binding::Integer;
    case Value::Kind::Double: return Binding::Double;
    case Value::Kind::Decimal: return Binding::Decimal;
    case Value::Kind::Text: return Binding::Text;
    case Value::Kind::Date: return Binding::Timestamp;
  }
  return Binding::Null;
}

size_t ParameterBatch::bytesWith(std::span<const Value> row) const {
  size_t rowBytes = 0;
  for (size_t c = 0; c < columns_.size(); ++c) {
    const Binding binding = bindingOf(row[c]) == Binding::Null ? columns_[c].binding : bindingOf(row[c]);
    size_t cell = sizeof(SQLLEN) + sizeof(SQL_TIMESTAMP_STRUCT);
    if (binding == Binding::Decimal) cell = sizeof(SQLLEN) + kDecimalChars;
    if (binding == Binding::Text) {
      const size_t widest = std::max(columns_[c].widestText, row[c].isText() ? row[c].asText().size() : 0);
      cell = sizeof(SQLLEN) + (widest + 1) * sizeof(SQLWCHAR);
    }
    rowBytes += cell;
  }
  return rowBytes * (rows_ + 1);
}

bool ParameterBatch::accepts(std::span<const Value> row) const {
  if (rows_ == 0) return true;
  if (row.size() != columns_.size()) return false;
  for (size_t c = 0; c < row.size(); ++c) {
    const Binding binding = bindingOf(row[c]);
    if (binding != Binding::Null && columns_[c].binding != Binding::Null && binding != columns_[c].binding)
      return false;
  }
  return bytesWith(row) <= kMaxBatchBytes;
}

void ParameterBatch::add(std::span<const Value> row) {
  if (rows_ == 0) columns_.assign(row.size(), Column{});
  for (size_t c = 0; c < row.size(); ++c) {
    const Binding binding = bindingOf(row[c]);
    if (binding != Binding::Null) columns_[c].binding = binding;
    if (binding == Binding::Text)
      columns_[c].widestText = std::max(columns_[c].widestText, row[c].asText().size());
  }
  values_.insert(values_.end(), row.begin(), row.end());
  ++rows_;
}

void ParameterBatch::clear() {
  values_.clear();
  columns_.clear();
  rows_ = 0;
}

bool ParameterBatch::anyRowFailed() const {
  return std::any_of(statuses_.begin(), statuses_.end(), [](SQLUSMALLINT s) { return s == SQL_PARAM_ERROR; });
}

void ParameterBatch::bind(SQLHSTMT stmt, const std::string& source) {
  check(SQLFreeStmt(stmt, SQL_RESET_PARAMS), SQL_HANDLE_STMT, stmt, source);
  // Array attributes only where rows go in arrays: not every driver takes them.
  if (rows_ > 1 || !statuses_.empty()) {
    statuses_.assign(rows_ > 1 ? rows_ : 0, SQL_PARAM_UNUSED);
    const auto size = static_cast<SQLULEN>(rows_);
    // ODBC passes integer attributes in its pointer argument.
    check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(size), 0),
          SQL_HANDLE_STMT, stmt, source);
    check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, statuses_.empty() ? nullptr : statuses_.data(), 0),
          SQL_HANDLE_STMT, stmt, source);
  }
  for (size_t c = 0; c < columns_.size(); ++c) {
    fillColumn(c);
    check(bindColumn(stmt, c), SQL_HANDLE_STMT, stmt, source);
  }
}

template <typename T>
void ParameterBatch::fillFixed(Column& column, const std::vector<std::optional<T>>& cells) {
  column.stride = sizeof(T);
  column.data.assign(cells.size() * sizeof(T), 0);
  column.indicators.assign(cells.size(), SQL_NULL_DATA);
  for (size_t r = 0; r < cells.size(); ++r) {
    if (!cells[r]) continue;
    std::memcpy(column.data.data() + r * sizeof(T), &*cells[r], sizeof(T));
    column.indicators[r] = sizeof(T);
  }
}

template <typename Unit>
size_t ParameterBatch::fillStrings(Column& column,
                                   const std::vector<std::optional<std::basic_string<Unit>>>& cells) {
  static_assert(sizeof(Unit) == 1 || sizeof(Unit) == sizeof(SQLWCHAR));
  size_t widest = 0;
  for (const auto& cell : cells)
    if (cell) widest = std::max(widest, cell->size());
  const size_t stride = (widest + 1) * sizeof(Unit);  // room for the terminator drivers expect
  column.stride = static_cast<SQLLEN>(stride);
  column.data.assign(cells.size() * stride, 0);
  column.indicators.assign(cells.size(), SQL_NULL_DATA);
  for (size_t r = 0; r < cells.size(); ++r) {
    if (!cells[r]) continue;
    const size_t bytes = cells[r]->size() * sizeof(Unit);
    std::memcpy(column.data.data() + r * stride, cells[r]->data(), bytes);
    column.indicators[r] = static_cast<SQLLEN>(bytes);
  }
  return widest;
}

void ParameterBatch::fillColumn(size_t index) {
  Column& column = columns_[index];
  column.columnSize = 0;
  column.decimalDigits = 0;
  auto cells = [&](auto&& convert) {
    using T = typename std::invoke_result_t<decltype(convert), const Value&>::value_type;
    std::vector<std::optional<T>> out(rows_);
    for (size_t r = 0; r < rows_; ++r) out[r] = convert(at(r, index));
    return out;
  };
  switch (column.binding) {
    case Binding::Null:
      column.cType = SQL_C_CHAR;
      column.sqlType = SQL_VARCHAR;
      column.columnSize = 1;
      fillStrings(column, std::vector<std::optional<std::string>>(rows_));
      return;
    case Binding::Bit:
      column.cType = SQL_C_BIT;
      column.sqlType = SQL_BIT;
      fillFixed(column, cells([](const Value& v) {
                  return v.kind() == Value::Kind::Bool ? std::optional<unsigned char>(v.asBool() ? 1 : 0)
                                                       : std::nullopt;
                }));
      return;
    case Binding::Integer: {
      column.cType = SQL_C_SBIGINT;
      int rank = 1;
      fillFixed(column, cells([&](const Value& v) -> std::optional<int64_t> {
                  if (v.isNull() || v.isEmpty()) return std::nullopt;
                  rank = std::max(rank, integerRank(v.kind()));
                  return integerOf(v);
                }));
      // Declared as narrow as the values allow, so that the database compares like with like.
      column.sqlType = rank == 1 ? SQL_SMALLINT : rank == 2 ? SQL_INTEGER : SQL_BIGINT;
      return;
    }
    case Binding::Double:
      column.cType = SQL_C_DOUBLE;
      column.sqlType = SQL_DOUBLE;
      fillFixed(column, cells([](const Value& v) {
                  return v.kind() == Value::Kind::Double ? std::optional<double>(v.asDouble()) : std::nullopt;
                }));
      return;
    case Binding::Decimal: {
      column.cType = SQL_C_CHAR;
      column.sqlType = SQL_DECIMAL;
      int integerDigits = 1;
      int scale = 0;
      fillStrings(column, cells([&](const Value& v) -> std::optional<std::string> {
                    if (v.kind() != Value::Kind::Decimal) return std::nullopt;
                    integerDigits = std::max(integerDigits, v.asDecimal().integerDigits());
                    scale = std::max(scale, v.asDecimal().scale());
                    return v.asDecimal().toString();
                  }));
      // Precision and scale wide enough for every value of the batch, so that none is rounded.
      column.columnSize = static_cast<SQLULEN>(integerDigits) + static_cast<SQLULEN>(scale);
      column.decimalDigits = static_cast<SQLSMALLINT>(scale);
      return;
    }
    case Binding::Text: {
      column.cType = SQL_C_WCHAR;
      const size_t widest =
          fillStrings(column, cells([](const Value& v) {
                        return v.isText() ? std::optional(utf8::toUtf16(v.asText())) : std::nullopt;
                      }));
      column.sqlType = widest > kLongTextUnits ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
      column.columnSize = std::max<SQLULEN>(widest, 1);
      return;
    }
    case Binding::Timestamp:
      column.cType = SQL_C_TYPE_TIMESTAMP;
      column.sqlType = SQL_TYPE_TIMESTAMP;
      column.columnSize = 19;  // "YYYY-MM-DD HH:MM:SS": whole seconds
      fillFixed(column, cells([](const Value& v) {
                  return v.isDate() ? std::optional(toTimestamp(v.asDate())) : std::nullopt;
                }));
      return;
  }
}

SQLRETURN ParameterBatch::bindColumn(SQLHSTMT stmt, size_t index) {
  Column& column = columns_[index];
  return SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(index + 1), SQL_PARAM_INPUT, column.cType,
                          column.sqlType, column.columnSize, column.decimalDigits, column.data.data(),
                          column.stride, column.indicators.data());
}

}  // namespace briskal::data::odbc
