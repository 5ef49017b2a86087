#include "hostkit/session/database_check.h"

#include <filesystem>
#include <fstream>

#include "common/error.h"
#include "data/connection.h"
#include "data/connection_string.h"
#include "data/provider_error.h"

namespace briskal::hostkit {
namespace {

// What the component reads and writes: the company, the order lines with the views they join,
// the layouts and the composed label texts.
constexpr const char* kComponentTables[] = {"CG18_DITTE",        "VDO11_BRISKAL",    "VFILTROSTATI",
                                            "CO5L_ATTRIBUTIDEN", "PD45_CONFIGETICH", "PD46_RPTETICHETTE"};

// Every SQLite database starts with these 16 bytes; an empty file is an empty database.
bool looksLikeSqlite(const std::filesystem::path& file) {
  static constexpr char kHeader[] = "SQLite format 3";
  std::ifstream in(file, std::ios::binary);
  char header[sizeof kHeader] = {};
  in.read(header, sizeof header);
  if (in.gcount() == 0) return true;
  return in.gcount() == sizeof header && std::equal(header, header + sizeof header, kHeader);
}

// Whether the database refused a statement because a table it names is not there: SQLite says so
// in words, ODBC drivers with the standard states of a missing table.
bool isMissingTable(const data::DriverError& e) {
  for (const data::ProviderError& error : e.errors()) {
    if (error.sqlState == "42S02" || error.sqlState == "42P01") return true;
    if (error.description.find("no such table") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

DatabaseCheck checkDatabase(const std::string& connectionString, bool componentTables) {
  DatabaseCheck check;
  const data::ConnectionTarget target = data::parseConnectionString(connectionString, "", "");
  if (target.kind == data::ConnectionTarget::Kind::Sqlite) {
    check.file = target.text;
    std::error_code error;
    if (!std::filesystem::exists(target.text, error)) {
      check.verdict = DatabaseCheck::Verdict::Missing;
      return check;
    }
    if (!looksLikeSqlite(target.text)) {
      check.verdict = DatabaseCheck::Verdict::NotADatabase;
      return check;
    }
  }
  if (!componentTables) return check;
  const std::string name = check.file.empty() ? std::string("The database") : "The database " + check.file;
  data::Connection connection;
  connection.setConnectionString(connectionString);
  try {
    connection.open();
  } catch (const Error& e) {
    // The database's own words name the file where they can.
    const bool named = !check.file.empty() && e.description().starts_with("the database") &&
                       e.description().find(check.file) != std::string::npos;
    throw Error(e.number(), "briskal",
                named ? e.description() : name + " cannot be opened: " + e.description());
  }
  for (const char* table : kComponentTables) {
    try {
      connection.execute(std::string("SELECT * FROM ") + table + " WHERE 1 = 0");
    } catch (const data::DriverError& e) {
      // A damaged file refuses every statement; that is no missing table.
      if (!isMissingTable(e))
        throw Error(e.number(), "briskal", name + " cannot be read: " + e.description());
      check.missing.emplace_back(table);
    }
  }
  if (!check.missing.empty()) check.verdict = DatabaseCheck::Verdict::LacksTables;
  return check;
}

}  // namespace briskal::hostkit
