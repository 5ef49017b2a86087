#pragma once
// A database connection opened by connection string: "Data Source=FILE" is the embedded SQLite
// file, "Driver=..." or "DSN=..." goes through ODBC. Statements are written in SQL Server dialect
// and adapted to the database. After a failure the database's errors stay listed in errors().

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/regional.h"
#include "data/drivers/driver.h"

namespace briskal::data {

class Connection {
 public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void setConnectionString(std::string text);
  const std::string& connectionString() const { return connectionString_; }
  // Takes effect when the connection opens and at the next transaction.
  void setIsolationLevel(int32_t level);
  int32_t isolationLevel() const { return isolationLevel_; }
  // Number and date conversions of values written through this connection's recordsets.
  void setRegionalSettings(const RegionalSettings& rs) { regional_ = rs; }
  const RegionalSettings& regionalSettings() const { return regional_; }

  // Error 3705 when already open; DriverError when the database refuses.
  void open(std::string_view user = {}, std::string_view password = {});
  void close();
  bool isOpen() const { return driver_ != nullptr; }
  Dialect dialect() const;

  // Runs one statement; its result set, if any, comes back whole.
  StatementResult execute(std::string_view sql, std::span<const Value> params = {});
  std::unique_ptr<PreparedStatement> prepare(std::string_view sql);
  std::vector<std::string> primaryKey(std::string_view table);

  // Transactions nest: an inner level is a savepoint.
  void beginTrans();
  void commitTrans();
  void rollbackTrans();
  int transactionDepth() const { return depth_; }

  // Told once for each place where text read through this connection was not valid UTF-8 and was
  // repaired; standard error unless set.
  void setWarningHandler(std::function<void(const std::string&)> handler) { warn_ = std::move(handler); }

  const std::vector<ProviderError>& errors() const { return errors_; }
  void clearErrors() { errors_.clear(); }

 private:
  DriverConnection& driver();
  // Runs a driver call, listing the database's errors when it fails.
  template <typename F>
  auto guarded(F&& call) -> decltype(call());

  std::string connectionString_;
  int32_t isolationLevel_ = isolation::kUnspecified;
  RegionalSettings regional_ = RegionalSettings::italian();
  std::unique_ptr<DriverConnection> driver_;
  std::vector<ProviderError> errors_;
  int depth_ = 0;
  std::function<void(const std::string&)> warn_;
  std::set<std::string> warned_;
};

// Rolls back on destruction unless committed; never throws from the destructor.
class Transaction {
 public:
  explicit Transaction(Connection& connection);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit();

 private:
  Connection& connection_;
  bool done_ = false;
};

}  // namespace briskal::data
