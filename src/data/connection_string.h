#pragma once
// Reads a connection string: which driver it goes to and what that driver is handed.

#include <string>
#include <string_view>

namespace briskal::data {

struct ConnectionTarget {
  enum class Kind { Sqlite, Odbc };
  Kind kind = Kind::Sqlite;
  std::string text;  // the SQLite file path, or the ODBC connection string
};

// "Driver=" or "DSN=" anywhere: ODBC, with user and password added when given. Otherwise
// "Data Source=FILE" opens the SQLite file. Error 3709 when neither is present.
ConnectionTarget parseConnectionString(std::string_view text, std::string_view user,
                                       std::string_view password);

}  // namespace briskal::data
