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

std::string fileOf(sqlite3* db) {
  const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
  return file && *file ? std::string(file) : std::string("in memory");
}

// What a person can act on: for a damaged or locked database, the file and what to do, not the
// statement that met it.
std::string describe(int rc, sqlite3* db, std::string_view context) {
  const std::string said = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  switch (rc & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return "the database file " + fileOf(db) + " is damaged (" + said + "): restore it from a backup";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "the database " + fileOf(db) + " stayed locked by another program or workstation for " +
             std::to_string(kBusyTimeoutMs / 1000) + " seconds: try again when it is free";
    case SQLITE_READONLY:
      return db ? "the database " + fileOf(db) + " cannot be written (" + said + ")" : std::string(context);
    default: return context.empty() ? said : said + " (" + std::string(context) + ")";
  }
}

}  // namespace

void fail(int rc, sqlite3* db, std::string_view context) {
  ProviderError e;
  e.description = describe(db ? sqlite3_extended_errcode(db) : rc, db, context);
  e.source = "SQLite";
  e.sqlState = sqlStateOf(rc);
  e.nativeError = db ? sqlite3_extended_errcode(db) : rc;
  throw DriverError({e});
}

void check(int rc, sqlite3* db, std::string_view context) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) fail(rc, db, context);
}

}  // namespace briskal::data::sqlite
