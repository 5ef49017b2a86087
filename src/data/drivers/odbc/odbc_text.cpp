#include "data/drivers/odbc/odbc_text.h"

#include <sqlext.h>

#include "common/utf8.h"
#include "data/drivers/odbc/odbc_error.h"

namespace briskal::data::odbc {
namespace {

// SQLGetData in a loop: a value longer than the buffer comes in pieces, each but the last one
// filling the buffer up to its terminator.
template <typename Unit>
std::optional<std::vector<Unit>> readChunks(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType,
                                            const std::string& source) {
  constexpr size_t kUnits = 4096;
  Unit buffer[kUnits];
  std::vector<Unit> out;
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, cType, buffer, sizeof buffer, &indicator);
    if (rc == SQL_NO_DATA) break;
    check(rc, SQL_HANDLE_STMT, stmt, source);
    if (indicator == SQL_NULL_DATA) return std::nullopt;
    const bool truncated =
        indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(sizeof buffer - sizeof(Unit));
    if (!truncated) {
      out.insert(out.end(), buffer, buffer + static_cast<size_t>(indicator) / sizeof(Unit));
      break;
    }
    out.insert(out.end(), buffer, buffer + kUnits - 1);
  }
  return out;
}

}  // namespace

std::vector<SQLWCHAR> toWide(std::string_view text) {
  const std::u16string units = utf8::toUtf16(text);
  std::vector<SQLWCHAR> wide(units.begin(), units.end());
  wide.push_back(0);
  return wide;
}

std::string fromWide(const SQLWCHAR* units, size_t count) {
  return utf8::fromUtf16(std::u16string(units, units + count));
}

std::optional<std::string> readText(SQLHSTMT stmt, SQLUSMALLINT column, const std::string& source) {
  const auto units = readChunks<SQLWCHAR>(stmt, column, SQL_C_WCHAR, source);
  if (!units) return std::nullopt;
  return fromWide(units->data(), units->size());
}

std::optional<std::string> readChars(SQLHSTMT stmt, SQLUSMALLINT column, const std::string& source) {
  const auto chars = readChunks<char>(stmt, column, SQL_C_CHAR, source);
  if (!chars) return std::nullopt;
  return std::string(chars->begin(), chars->end());
}

}  // namespace briskal::data::odbc
