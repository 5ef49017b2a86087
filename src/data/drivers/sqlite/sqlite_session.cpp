#include "data/drivers/sqlite/sqlite_session.h"

#include <sqlite3.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>

#include "data/drivers/sqlite/sqlite_error.h"
#include "data/drivers/sqlite/sqlite_statement.h"

namespace briskal::data::sqlite {

void Session::Closer::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

Session::Session(const std::string& path) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  db_.reset(raw);
  if (rc != SQLITE_OK) fail(rc, raw, path);
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  sqlite3_extended_result_codes(raw, 1);
  try {
    exec("PRAGMA journal_mode=WAL");
  } catch (const DriverError&) {
    // Its log of changes goes beside the file: a folder or disk that cannot be written fails here.
    const std::filesystem::path file = path;
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    struct statvfs disk {};
    if (::access(path.c_str(), W_OK) != 0 || ::access(folder.c_str(), W_OK) != 0 ||
        (::statvfs(folder.c_str(), &disk) == 0 && (disk.f_flag & ST_RDONLY)))
      fail(SQLITE_READONLY, nullptr,
           "the database file " + path + " is read-only, or on a disk or in a folder that cannot be written");
    throw;
  }
  exec("PRAGMA synchronous=NORMAL");
}

void Session::exec(const char* sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, &message);
  sqlite3_free(message);
  check(rc, db_.get(), sql);
}

void Session::setIsolationLevel(int32_t level) {
  // Dirty reads only exist between connections sharing a cache; each of ours has its own, so
  // every level reads committed data, which is what read-uncommitted readers get at best.
  exec(level == isolation::kReadUncommitted ? "PRAGMA read_uncommitted=1" : "PRAGMA read_uncommitted=0");
}

void Session::begin() { exec("BEGIN IMMEDIATE"); }
void Session::commit() { exec("COMMIT"); }
void Session::rollback() { exec("ROLLBACK"); }

StatementResult Session::execute(std::string_view sql, std::span<const Value> params) {
  StatementResult last;
  std::string_view rest = sql;
  bool first = true;
  // A script of several statements runs them in order; parameters belong to the first one.
  while (!rest.empty()) {
    std::string_view tail;
    Statement statement(db_.get(), rest, &tail);
    rest = tail;
    if (statement.empty()) continue;
    last = statement.run(first ? params : std::span<const Value>());
    first = false;
  }
  return last;
}

std::unique_ptr<PreparedStatement> Session::prepare(std::string_view sql) {
  return std::make_unique<Statement>(db_.get(), sql);
}

std::vector<std::string> Session::primaryKey(std::string_view table) {
  Statement statement(db_.get(), "SELECT name, pk FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk");
  const Value name{std::string(table)};
  StatementResult result = statement.run(std::span<const Value>(&name, 1));
  std::vector<std::string> key;
  for (size_t r = 0; r < result.rows->rowCount; ++r) key.push_back(result.rows->cells[r * 2].asText());
  return key;
}

}  // namespace briskal::data::sqlite
