#pragma once
// What a database driver offers the data layer: statements with bound parameters, result sets read
// whole into contiguous cells, transactions and key lookup. Drivers throw DriverError on failure.
// Statements arrive already adapted to the driver's dialect.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "data/dialect.h"
#include "data/field.h"
#include "data/provider_error.h"

namespace briskal::data {

// A result read whole: row r, column c is cells[r * columns.size() + c]. Values are typed by the
// column: text as UTF-8 (not yet padded), DECIMAL/NUMERIC as Decimal, dates as DateTime, SQL NULL
// as Null. Column types follow the declared type where the database tells it.
struct ResultSet {
  std::vector<Field> columns;
  std::vector<Value> cells;
  size_t rowCount = 0;
  // Column c's table, where the driver can tell ("" where it cannot, or for an expression).
  std::vector<std::string> baseTables;
};

struct StatementResult {
  std::optional<ResultSet> rows;  // present when the statement produced a result set
  int64_t rowsAffected = -1;
};

class PreparedStatement {
 public:
  virtual ~PreparedStatement() = default;
  // Binds the parameters (Empty and Null as SQL NULL) in order and runs the statement once.
  virtual int64_t execute(std::span<const Value> params) = 0;
};

// Isolation levels, numbered as the platform numbers them.
namespace isolation {
inline constexpr int32_t kUnspecified = -1;
inline constexpr int32_t kReadUncommitted = 256;
inline constexpr int32_t kReadCommitted = 4096;
inline constexpr int32_t kRepeatableRead = 65536;
inline constexpr int32_t kSerializable = 1048576;
}  // namespace isolation

class DriverConnection {
 public:
  virtual ~DriverConnection() = default;
  virtual Dialect dialect() const = 0;
  virtual void setIsolationLevel(int32_t level) = 0;
  virtual void begin() = 0;
  virtual void commit() = 0;
  virtual void rollback() = 0;
  virtual StatementResult execute(std::string_view sql, std::span<const Value> params = {}) = 0;
  virtual std::unique_ptr<PreparedStatement> prepare(std::string_view sql) = 0;
  // The primary-key columns of a table, in key order; empty when it has none.
  virtual std::vector<std::string> primaryKey(std::string_view table) = 0;
};

// "Data Source=FILE" (and nothing else that names a driver) opens an SQLite file, created when
// missing. Throws DriverError when the file cannot be opened.
std::unique_ptr<DriverConnection> openSqlite(const std::string& path);
// Any ODBC connection string ("Driver={PostgreSQL Unicode};Server=...", "DSN=..."). The dialect
// comes from the database product the driver reports.
std::unique_ptr<DriverConnection> openOdbc(const std::string& connectionString);

}  // namespace briskal::data
