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

// A text is a connection string when it is made of KEY=VALUE pairs separated by ';' (a VALUE in
// braces may hold ';'), each KEY of letters, digits, blanks and '_', one of them a connection key
// (Data Source, Driver, DSN, FileDSN, Provider, Server, Database, Initial Catalog, UID, PWD,
// User ID, Password). With Driver= or DSN= it goes to ODBC, user and password added when given;
// otherwise Data Source=FILE opens the SQLite file. Any other text is the path of a SQLite file:
// "/srv/a=b;c.db" and "./DSN=x.db" are paths. Error 3709 for an empty text and for a connection
// string that names no database.
ConnectionTarget parseConnectionString(std::string_view text, std::string_view user,
                                       std::string_view password);

}  // namespace briskal::data
