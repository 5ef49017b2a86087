#pragma once
// The one place where SQLite return codes become DriverError.

#include <string_view>

struct sqlite3;

namespace briskal::data::sqlite {

// How long a statement waits for another connection's lock before it fails.
inline constexpr int kBusyTimeoutMs = 30000;

// Throws DriverError with SQLite's message for `db` when `rc` is not SQLITE_OK, SQLITE_ROW or
// SQLITE_DONE; `context` names the step that failed.
void check(int rc, sqlite3* db, std::string_view context);
[[noreturn]] void fail(int rc, sqlite3* db, std::string_view context);

}  // namespace briskal::data::sqlite
