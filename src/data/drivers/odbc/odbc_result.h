#pragma once
// Reads what an executed statement produced: its first result set whole, columns described as
// fields and cells typed by column, or else the number of rows it changed.

#include <sql.h>

#include <string>

#include "data/drivers/driver.h"

namespace briskal::data::odbc {

// PostgreSQL folds unquoted names to lower case while the schema writes them in upper case: there
// an all-lower-case name is given back in upper case. Other dialects keep names as they are.
std::string nameAsWritten(std::string name, Dialect dialect);

// Reads every result the statement has pending, so that an error in a later one is not lost;
// result sets after the first are skipped. Throws DriverError.
StatementResult readResults(SQLHSTMT stmt, Dialect dialect, const std::string& source);

}  // namespace briskal::data::odbc
