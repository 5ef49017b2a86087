#include "hostkit/store/host_tables.h"

#include <unistd.h>

#include <array>
#include <chrono>
#include <ctime>
#include <string>

#include "common/convert.h"
#include "common/error.h"
#include "data/connection.h"
#include "data/named_lock.h"

namespace briskal::hostkit {
namespace {

// Texts without a length limit, as each database names them.
std::string longText(data::Dialect dialect) {
  return dialect == data::Dialect::SqlServer ? "NVARCHAR(MAX)" : "TEXT";
}

// Millimetres and other fractional numbers.
std::string realType(data::Dialect dialect) {
  switch (dialect) {
    case data::Dialect::SqlServer: return "FLOAT";
    case data::Dialect::PostgreSQL: return "DOUBLE PRECISION";
    default: return "REAL";
  }
}

std::string createIfMissing(data::Dialect dialect, const std::string& table, const std::string& columns) {
  if (dialect == data::Dialect::SqlServer)
    return "IF OBJECT_ID('" + table + "') IS NULL CREATE TABLE " + table + " (" + columns + ")";
  return "CREATE TABLE IF NOT EXISTS " + table + " (" + columns + ")";
}

int32_t storedVersion(data::Connection& connection) {
  const data::StatementResult r = connection.execute("SELECT MAX(VERSION) AS V FROM BRISKAL_SCHEMA");
  if (!r.rows || r.rows->rowCount == 0 || r.rows->cells[0].isNull()) return 0;
  return toInt32(r.rows->cells[0], RegionalSettings::english());
}

}  // namespace

std::string nowUtc() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::array<char, 24> written{};
  std::strftime(written.data(), written.size(), "%Y-%m-%dT%H:%M:%SZ", &utc);
  return written.data();
}

std::string workstationName() {
  std::array<char, 256> name{};
  return gethostname(name.data(), name.size() - 1) == 0 ? std::string(name.data()) : std::string();
}

std::string storedText(const Value& v) {
  return v.isNull() ? std::string() : toText(v, RegionalSettings::english());
}

int64_t storedNumber(const Value& v) { return v.isNull() ? 0 : toInt64(v, RegionalSettings::english()); }

bool hostTablesPresent(data::Connection& connection) {
  try {
    connection.execute("SELECT VERSION FROM BRISKAL_SCHEMA WHERE 1 = 0");
    return true;
  } catch (const Error&) {
    connection.clearErrors();
    return false;
  }
}

int32_t hostTablesVersion(data::Connection& connection) {
  return hostTablesPresent(connection) ? storedVersion(connection) : 0;
}

void ensureHostTables(data::Connection& connection) {
  // Two workstations starting at once would both make the tables.
  const std::unique_ptr<data::NamedLock> turn =
      data::NamedLock::take(connection, "BRISKAL_SCHEMA", std::chrono::seconds(30), [] {});
  if (!turn)
    throw Error(err::kIllegalOperation, "briskal",
                "Another workstation has been changing the host's tables for 30 seconds: try again");
  const data::Dialect dialect = connection.dialect();
  connection.execute(createIfMissing(dialect, "BRISKAL_SCHEMA", "VERSION INTEGER NOT NULL"));
  const int32_t version = storedVersion(connection);
  if (version > kHostSchemaVersion)
    throw Error(err::kIllegalOperation, "briskal",
                "The database holds the host's tables at version " + std::to_string(version) +
                    ", newer than this program's " + std::to_string(kHostSchemaVersion) +
                    ": use a newer program");
  if (version == kHostSchemaVersion) return;
  data::Transaction change(connection);
  connection.execute(
      createIfMissing(dialect, "BRISKAL_TEMPLATES",
                      "COMPANY INTEGER NOT NULL, NAME VARCHAR(100) NOT NULL, VERSION INTEGER NOT "
                      "NULL, CONTENT " +
                          longText(dialect) +
                          " NOT NULL, AUTHOR VARCHAR(100) NOT NULL, WORKSTATION VARCHAR(100) NOT "
                          "NULL, SAVED_UTC VARCHAR(20) NOT NULL, COMMENT " +
                          longText(dialect) + " NOT NULL, PRIMARY KEY (COMPANY, NAME, VERSION)"));
  connection.execute(createIfMissing(dialect, "BRISKAL_ACTIVE_TEMPLATES",
                                     "COMPANY INTEGER NOT NULL, NAME VARCHAR(100) NOT NULL, VERSION INTEGER "
                                     "NOT NULL, PRIMARY KEY (COMPANY, NAME)"));
  // The print history: a job per run, its labels in packed chunks, and each distinct template
  // printed with once.
  connection.execute(createIfMissing(
      dialect, "BRISKAL_PRINT_JOBS",
      "COMPANY INTEGER NOT NULL, JOB_ID INTEGER NOT NULL, USER_CODE VARCHAR(100) NOT NULL, WORKSTATION "
      "VARCHAR(100) NOT NULL, STARTED_UTC VARCHAR(20) NOT NULL, ENDED_UTC VARCHAR(20), KIND VARCHAR(20) NOT "
      "NULL, DESTINATION " +
          longText(dialect) + " NOT NULL, SETTINGS " + longText(dialect) +
          " NOT NULL, LAYOUT VARCHAR(100) NOT NULL, TEMPLATE_KEY VARCHAR(40) NOT NULL, LABELS INTEGER NOT "
          "NULL, "
          "PAGES INTEGER NOT NULL, OUTCOME VARCHAR(20) NOT NULL, ERROR_TEXT " +
          longText(dialect) + " NOT NULL, REPRINT_OF INTEGER, REASON " + longText(dialect) +
          " NOT NULL, PRIMARY KEY (COMPANY, JOB_ID)"));
  connection.execute(
      createIfMissing(dialect, "BRISKAL_PRINT_LABELS",
                      "COMPANY INTEGER NOT NULL, JOB_ID INTEGER NOT NULL, FIRST_LABEL INTEGER NOT "
                      "NULL, LABELS INTEGER NOT NULL, ORDERS " +
                          longText(dialect) + " NOT NULL, CONTENT " + longText(dialect) +
                          " NOT NULL, PRIMARY KEY (COMPANY, JOB_ID, FIRST_LABEL)"));
  connection.execute(createIfMissing(
      dialect, "BRISKAL_PRINTED_TEMPLATES",
      "TEMPLATE_KEY VARCHAR(40) NOT NULL PRIMARY KEY, CONTENT " + longText(dialect) + " NOT NULL"));
  // The counters, the blocks of numbers taken from them, and the numbers voided one by one.
  connection.execute(
      createIfMissing(dialect, "BRISKAL_COUNTERS",
                      "COMPANY INTEGER NOT NULL, NAME VARCHAR(40) NOT NULL, KIND VARCHAR(10) NOT "
                      "NULL, NEXT_NUMBER BIGINT NOT NULL, EXTENSION_DIGIT INTEGER NOT NULL, "
                      "COMPANY_PREFIX VARCHAR(10) NOT NULL, PRIMARY KEY (COMPANY, NAME)"));
  connection.execute(createIfMissing(
      dialect, "BRISKAL_COUNTER_BLOCKS",
      "COMPANY INTEGER NOT NULL, NAME VARCHAR(40) NOT NULL, FIRST_NUMBER BIGINT NOT NULL, LAST_NUMBER BIGINT "
      "NOT NULL, STATE VARCHAR(10) NOT NULL, USER_CODE VARCHAR(100) NOT NULL, WORKSTATION VARCHAR(100) NOT "
      "NULL, TAKEN_UTC VARCHAR(20) NOT NULL, PRIMARY KEY (COMPANY, NAME, FIRST_NUMBER)"));
  connection.execute(createIfMissing(dialect, "BRISKAL_COUNTER_VOIDS",
                                     "COMPANY INTEGER NOT NULL, NAME VARCHAR(40) NOT NULL, NUMBER BIGINT NOT "
                                     "NULL, REASON " +
                                         longText(dialect) +
                                         " NOT NULL, USER_CODE VARCHAR(100) NOT NULL, VOIDED_UTC VARCHAR(20) "
                                         "NOT NULL, PRIMARY KEY (COMPANY, NAME, NUMBER)"));
  // The label printers' profiles.
  const std::string real = realType(dialect);
  connection.execute(createIfMissing(
      dialect, "BRISKAL_PRINTERS",
      "COMPANY INTEGER NOT NULL, NAME VARCHAR(40) NOT NULL, DESTINATION " + longText(dialect) +
          " NOT NULL, LANGUAGE VARCHAR(10) NOT NULL, DPI INTEGER, MEDIA VARCHAR(12) NOT NULL, GAP_MM " +
          real + " NOT NULL, LABEL_WIDTH_MM " + real + ", LABEL_HEIGHT_MM " + real +
          ", DARKNESS INTEGER, SPEED INTEGER, OFFSET_X_MM " + real + " NOT NULL, OFFSET_Y_MM " + real +
          " NOT NULL, CHECK_STATUS INTEGER NOT NULL, CHANGED_BY VARCHAR(100) NOT NULL, CHANGED_UTC "
          "VARCHAR(20) "
          "NOT NULL, PRIMARY KEY (COMPANY, NAME)"));
  connection.execute("DELETE FROM BRISKAL_SCHEMA");
  const Value now(int32_t{kHostSchemaVersion});
  connection.execute("INSERT INTO BRISKAL_SCHEMA (VERSION) VALUES (?)", std::span(&now, 1));
  change.commit();
}

}  // namespace briskal::hostkit
