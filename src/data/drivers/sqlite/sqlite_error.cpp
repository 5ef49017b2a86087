#include "data/drivers/sqlite/sqlite_error.h"

#include <sqlite3.h>

#include <string>

#include "data/provider_error.h"

namespace briskal::data::sqlite {
namespace {

std::string sqlStateOf(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT: return "23000";
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return "40001";
    case SQLITE_CANTOPEN: return "08001";
    default: return "HY000";
  }
}

}  // namespace

void fail(int rc, sqlite3* db, std::string_view context) {
  ProviderError e;
  e.description = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  if (!context.empty()) e.description += " (" + std::string(context) + ")";
  e.source = "SQLite";
  e.sqlState = sqlStateOf(rc);
  e.nativeError = db ? sqlite3_extended_errcode(db) : rc;
  throw DriverError({e});
}

void check(int rc, sqlite3* db, std::string_view context) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) fail(rc, db, context);
}

}  // namespace briskal::data::sqlite
