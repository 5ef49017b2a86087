#pragma once
// ODBC handles owned by unique_ptr: freed with SQLFreeHandle of their kind, a connection
// handle rolled back and disconnected first so that it can be freed at all.

#include <sql.h>

#include <memory>

namespace briskal::data::odbc {

struct EnvironmentDeleter {
  void operator()(SQLHANDLE handle) const noexcept { SQLFreeHandle(SQL_HANDLE_ENV, handle); }
};

struct ConnectionDeleter {
  void operator()(SQLHANDLE handle) const noexcept {
    // A driver refuses to disconnect while a manual-commit transaction is open.
    SQLEndTran(SQL_HANDLE_DBC, handle, SQL_ROLLBACK);
    SQLDisconnect(handle);
    SQLFreeHandle(SQL_HANDLE_DBC, handle);
  }
};

struct StatementDeleter {
  void operator()(SQLHANDLE handle) const noexcept { SQLFreeHandle(SQL_HANDLE_STMT, handle); }
};

using EnvironmentHandle = std::unique_ptr<void, EnvironmentDeleter>;
using ConnectionHandle = std::unique_ptr<void, ConnectionDeleter>;
using StatementHandle = std::unique_ptr<void, StatementDeleter>;

}  // namespace briskal::data::odbc
