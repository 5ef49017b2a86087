#pragma once
// A database connection through ODBC. Autocommit is on except between begin() and commit() or
// rollback(). On PostgreSQL, single-row INSERT ... VALUES statements executed through prepare()
// inside a transaction are held back and sent a thousand rows at a time (one round trip per row
// caps psqlODBC at about 13,000 rows a second). A batch that fails makes the call that sent it
// throw (an execute, at the latest commit()); that transaction can then only be rolled back.

#include <sql.h>

#include <memory>
#include <string>
#include <vector>

#include "data/drivers/driver.h"
#include "data/drivers/odbc/odbc_handle.h"

namespace briskal::data::odbc {

class Statement;

// What a session shares with its prepared statements, which keep the handles alive.
struct SessionState {
  EnvironmentHandle environment;
  ConnectionHandle connection;
  std::string source = "ODBC";  // names the driver in error records
  Dialect dialect = Dialect::Other;
  bool batchInserts = false;
  bool inTransaction = false;
  bool closed = false;
  Statement* pending = nullptr;            // the statement holding rows not yet sent
  std::vector<ProviderError> failedBatch;  // why the open transaction can no longer commit

  SQLHDBC dbc() const { return connection.get(); }
  // Throws DriverError.
  StatementHandle newStatement() const;
  void ensureOpen() const;
  // Sends the rows a statement holds back; throws DriverError when the database refuses them.
  void sendPending();
};

class Session final : public DriverConnection {
 public:
  // SQLDriverConnect, never prompting. Throws DriverError.
  explicit Session(const std::string& connectionString);
  // Rows still held back are dropped and an open transaction rolled back.
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Dialect dialect() const override { return state_->dialect; }
  void setIsolationLevel(int32_t level) override;
  void begin() override;
  void commit() override;
  void rollback() override;
  StatementResult execute(std::string_view sql, std::span<const Value> params) override;
  std::unique_ptr<PreparedStatement> prepare(std::string_view sql) override;
  std::vector<std::string> primaryKey(std::string_view table) override;

 private:
  void setAutocommit(bool on);
  void endTransaction(SQLSMALLINT completion);
  std::vector<std::string> keyColumns(std::string_view table);

  std::shared_ptr<SessionState> state_;
};

}  // namespace briskal::data::odbc
