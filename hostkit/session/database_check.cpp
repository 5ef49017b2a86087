#include "hostkit/session/database_check.h"

#include <filesystem>
#include <fstream>

#include "common/error.h"
#include "data/connection.h"
#include "data/connection_string.h"

namespace briskal::hostkit {
namespace {

// What the component reads and writes: the company, the order lines with the views they join,
// the layouts and the composed label texts.
constexpr const char* kComponentTables[] = {"CG18_DITTE",       "VDO11_BRISKAL",    "VFILTROSTATI",
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
  data::Connection connection;
  connection.setConnectionString(connectionString);
  connection.open();
  for (const char* table : kComponentTables) {
    try {
      connection.execute(std::string("SELECT * FROM ") + table + " WHERE 1 = 0");
    } catch (const Error&) {
      check.missing.emplace_back(table);
    }
  }
  if (!check.missing.empty()) check.verdict = DatabaseCheck::Verdict::LacksTables;
  return check;
}

}  // namespace briskal::hostkit
