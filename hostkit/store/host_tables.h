#pragma once
// The host's own tables in the company database, beside the component's: made when first needed
// and brought up to the schema version this program knows, by one process at a time.

#include <cstdint>
#include <string>

#include "common/value.h"

namespace briskal::data {
class Connection;
}

namespace briskal::hostkit {

// The schema version this program writes.
// 1: templates; 2: the print history; 3: the counters; 4: the printer profiles.
inline constexpr int32_t kHostSchemaVersion = 4;

// Makes or upgrades the host's tables on the database `connection` is open on. Throws
// briskal::Error when the database holds a newer schema than this program knows, or cannot be
// changed (read-only, full), saying so.
void ensureHostTables(data::Connection& connection);
// Whether the database has the host's tables, without changing it (a read-only database is read).
bool hostTablesPresent(data::Connection& connection);
// The version of the host's tables the database holds, 0 when it has none; it changes nothing.
int32_t hostTablesVersion(data::Connection& connection);

// What the host's rows say of when and where: the time now in UTC (YYYY-MM-DDTHH:MM:SSZ) and this
// workstation's name.
std::string nowUtc();
std::string workstationName();
// A value of the host's tables as text, a null one as nothing; as a number, a null one as 0.
std::string storedText(const Value& v);
int64_t storedNumber(const Value& v);

}  // namespace briskal::hostkit
