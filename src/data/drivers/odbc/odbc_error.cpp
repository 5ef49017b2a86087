#include "data/drivers/odbc/odbc_error.h"

#include <sqlext.h>

#include <algorithm>

#include "data/drivers/odbc/odbc_text.h"

namespace briskal::data::odbc {
namespace {

std::string trimEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace

std::vector<ProviderError> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& source) {
  std::vector<ProviderError> errors;
  if (handle == SQL_NULL_HANDLE) return errors;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLINTEGER native = 0;
    std::vector<SQLWCHAR> message(512);
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &native, message.data(),
                                  static_cast<SQLSMALLINT>(message.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
      message.resize(static_cast<size_t>(length) + 1);
      rc = SQLGetDiagRecW(handleType, handle, record, state, &native, message.data(),
                          static_cast<SQLSMALLINT>(message.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) break;
    const size_t units = std::min(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), message.size());
    ProviderError error;
    error.description = trimEnd(fromWide(message.data(), units));
    error.source = source;
    error.sqlState = fromWide(state, SQL_SQLSTATE_SIZE);
    error.nativeError = native;
    errors.push_back(std::move(error));
  }
  return errors;
}

void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const std::string& source) {
  if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
  std::vector<ProviderError> errors = diagnostics(handleType, handle, source);
  if (errors.empty()) {
    ProviderError error;
    error.description =
        "The ODBC driver failed without a diagnostic record (return code " + std::to_string(rc) + ")";
    error.source = source;
    errors.push_back(std::move(error));
  }
  throw DriverError(std::move(errors));
}

void fail(std::string description, const std::string& source) {
  ProviderError error;
  error.description = std::move(description);
  error.source = source;
  throw DriverError({std::move(error)});
}

}  // namespace briskal::data::odbc
