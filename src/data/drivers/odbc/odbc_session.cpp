#include "data/drivers/odbc/odbc_session.h"

#include <sqlext.h>

#include <algorithm>
#include <utility>

#include "data/drivers/odbc/odbc_error.h"
#include "data/drivers/odbc/odbc_result.h"
#include "data/drivers/odbc/odbc_statement.h"
#include "data/drivers/odbc/odbc_text.h"

namespace briskal::data::odbc {
namespace {

std::string infoText(SQLHDBC dbc, SQLUSMALLINT type, const std::string& source) {
  SQLWCHAR buffer[256] = {};
  SQLSMALLINT bytes = 0;
  check(SQLGetInfoW(dbc, type, buffer, sizeof buffer, &bytes), SQL_HANDLE_DBC, dbc, source);
  const size_t units = std::min(static_cast<size_t>(std::max<SQLSMALLINT>(bytes, 0)) / sizeof(SQLWCHAR),
                                std::size(buffer) - 1);
  return fromWide(buffer, units);
}

Dialect dialectOf(const std::string& product) {
  if (product == "PostgreSQL") return Dialect::PostgreSQL;
  if (product == "Microsoft SQL Server") return Dialect::SqlServer;
  if (product.find("SQLite") != std::string::npos) return Dialect::SQLite;
  return Dialect::Other;
}

// Whether the driver executes arrays of parameter rows, which the batched inserts rely on.
bool takesParameterArrays(SQLHDBC dbc) {
  SQLUINTEGER counts = 0;
  if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, SQL_PARAM_ARRAY_ROW_COUNTS, &counts, sizeof counts, nullptr)))
    return false;
  return counts == SQL_PARC_BATCH || counts == SQL_PARC_NO_BATCH;
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

StatementHandle SessionState::newStatement() const {
  SQLHANDLE stmt = SQL_NULL_HANDLE;
  check(SQLAllocHandle(SQL_HANDLE_STMT, dbc(), &stmt), SQL_HANDLE_DBC, dbc(), source);
  return StatementHandle(stmt);
}

void SessionState::ensureOpen() const {
  if (closed) fail("The connection is closed", source);
}

void SessionState::sendPending() {
  if (pending != nullptr) pending->send();
}

Session::Session(const std::string& connectionString) : state_(std::make_shared<SessionState>()) {
  SessionState& s = *state_;
  SQLHANDLE env = SQL_NULL_HANDLE;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
    fail("The ODBC driver manager could not allocate an environment", s.source);
  s.environment.reset(env);
  check(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
        SQL_HANDLE_ENV, env, s.source);
  SQLHANDLE dbc = SQL_NULL_HANDLE;
  check(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_HANDLE_ENV, env, s.source);
  s.connection.reset(dbc);

  std::vector<SQLWCHAR> text = toWide(connectionString);
  check(SQLDriverConnectW(dbc, nullptr, text.data(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, dbc, s.source);
  s.source = "ODBC " + infoText(dbc, SQL_DRIVER_NAME, s.source);
  s.dialect = dialectOf(infoText(dbc, SQL_DBMS_NAME, s.source));
  // Measured on PostgreSQL only, where it lifts bulk inserts about eightfold.
  s.batchInserts = s.dialect == Dialect::PostgreSQL && takesParameterArrays(dbc);
}

Session::~Session() {
  if (state_->pending != nullptr) state_->pending->discard();
  if (state_->inTransaction) SQLEndTran(SQL_HANDLE_DBC, state_->dbc(), SQL_ROLLBACK);
  state_->inTransaction = false;
  state_->closed = true;
}

void Session::setIsolationLevel(int32_t level) {
  SQLULEN odbcLevel = 0;
  switch (level) {
    case isolation::kUnspecified: return;
    case isolation::kReadUncommitted: odbcLevel = SQL_TXN_READ_UNCOMMITTED; break;
    case isolation::kReadCommitted: odbcLevel = SQL_TXN_READ_COMMITTED; break;
    case isolation::kRepeatableRead: odbcLevel = SQL_TXN_REPEATABLE_READ; break;
    case isolation::kSerializable: odbcLevel = SQL_TXN_SERIALIZABLE; break;
    default: fail("Isolation level " + std::to_string(level) + " is not supported", state_->source);
  }
  state_->sendPending();
  check(SQLSetConnectAttrW(state_->dbc(), SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(odbcLevel), 0),
        SQL_HANDLE_DBC, state_->dbc(), state_->source);
}

void Session::setAutocommit(bool on) {
  const SQLULEN mode = on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
  check(SQLSetConnectAttrW(state_->dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(mode), 0),
        SQL_HANDLE_DBC, state_->dbc(), state_->source);
}

void Session::endTransaction(SQLSMALLINT completion) {
  check(SQLEndTran(SQL_HANDLE_DBC, state_->dbc(), completion), SQL_HANDLE_DBC, state_->dbc(), state_->source);
  setAutocommit(true);
  state_->inTransaction = false;
  state_->failedBatch.clear();
}

void Session::begin() {
  state_->ensureOpen();
  state_->sendPending();
  setAutocommit(false);
  state_->inTransaction = true;
}

void Session::commit() {
  state_->ensureOpen();
  state_->sendPending();
  if (!state_->failedBatch.empty()) {
    ProviderError refusal;
    refusal.description =
        "The transaction cannot be committed: rows of a batched insert failed; roll it back";
    refusal.source = state_->source;
    std::vector<ProviderError> errors{refusal};
    errors.insert(errors.end(), state_->failedBatch.begin(), state_->failedBatch.end());
    throw DriverError(std::move(errors));
  }
  endTransaction(SQL_COMMIT);
}

void Session::rollback() {
  state_->ensureOpen();
  if (state_->pending != nullptr) state_->pending->discard();
  endTransaction(SQL_ROLLBACK);
}

StatementResult Session::execute(std::string_view sql, std::span<const Value> params) {
  state_->ensureOpen();
  state_->sendPending();
  if (!params.empty()) return Statement(state_, sql).run(params);
  const StatementHandle stmt = state_->newStatement();
  std::vector<SQLWCHAR> text = toWide(sql);
  check(SQLExecDirectW(stmt.get(), text.data(), SQL_NTS), SQL_HANDLE_STMT, stmt.get(), state_->source);
  return readResults(stmt.get(), state_->dialect, state_->source);
}

std::unique_ptr<PreparedStatement> Session::prepare(std::string_view sql) {
  state_->ensureOpen();
  state_->sendPending();
  return std::make_unique<Statement>(state_, sql);
}

std::vector<std::string> Session::primaryKey(std::string_view table) {
  state_->ensureOpen();
  state_->sendPending();
  std::vector<std::string> columns = keyColumns(table);
  // An unquoted name was folded to lower case where the database folds names.
  if (columns.empty() && lowerAscii(table) != table) columns = keyColumns(lowerAscii(table));
  return columns;
}

std::vector<std::string> Session::keyColumns(std::string_view table) {
  const StatementHandle stmt = state_->newStatement();
  std::vector<SQLWCHAR> name = toWide(table);
  check(SQLPrimaryKeysW(stmt.get(), nullptr, 0, nullptr, 0, name.data(), SQL_NTS), SQL_HANDLE_STMT,
        stmt.get(), state_->source);
  std::vector<std::pair<SQLSMALLINT, std::string>> keys;
  for (;;) {
    const SQLRETURN rc = SQLFetch(stmt.get());
    if (rc == SQL_NO_DATA) break;
    check(rc, SQL_HANDLE_STMT, stmt.get(), state_->source);
    const std::optional<std::string> column = readText(stmt.get(), 4, state_->source);  // COLUMN_NAME
    SQLSMALLINT sequence = 0;                                                           // KEY_SEQ
    SQLLEN indicator = 0;
    check(SQLGetData(stmt.get(), 5, SQL_C_SSHORT, &sequence, sizeof sequence, &indicator), SQL_HANDLE_STMT,
          stmt.get(), state_->source);
    if (column) keys.emplace_back(sequence, nameAsWritten(*column, state_->dialect));
  }
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (auto& key : keys) names.push_back(std::move(key.second));
  return names;
}

}  // namespace briskal::data::odbc
