#pragma once
// Text between our UTF-8 strings and the UTF-16 units of the ODBC wide calls (SQLWCHAR is two
// bytes under unixODBC), and column data read whole however long it is.

#include <sql.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace briskal::data::odbc {

// UTF-16 units with a terminating zero.
std::vector<SQLWCHAR> toWide(std::string_view text);
std::string fromWide(const SQLWCHAR* units, size_t count);

// The column's text of the current row, read in chunks; nullopt for SQL NULL. Throws DriverError.
std::optional<std::string> readText(SQLHSTMT stmt, SQLUSMALLINT column, const std::string& source);
// The column as the driver writes it in characters (SQL_C_CHAR), e.g. every digit of a decimal.
std::optional<std::string> readChars(SQLHSTMT stmt, SQLUSMALLINT column, const std::string& source);

}  // namespace briskal::data::odbc
