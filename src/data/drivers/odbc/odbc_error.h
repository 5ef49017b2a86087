#pragma once
// The one place where ODBC return codes become exceptions: a failing call throws DriverError with
// every diagnostic record the driver left on the handle (description, SQLSTATE, native error).

#include <sql.h>

#include <string>
#include <vector>

#include "data/provider_error.h"

namespace briskal::data::odbc {

// Every diagnostic record on `handle`, in the driver's order, with `source` naming the driver.
std::vector<ProviderError> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& source);

// Throws DriverError unless `rc` is SQL_SUCCESS, SQL_SUCCESS_WITH_INFO or SQL_NO_DATA (a statement
// that touched no row has not failed).
void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const std::string& source);

// A failure this driver detects itself, with no database diagnostic behind it.
[[noreturn]] void fail(std::string description, const std::string& source);

}  // namespace briskal::data::odbc
