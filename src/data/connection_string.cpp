#include "data/connection_string.h"

#include "common/error.h"
#include "common/utf8.h"

namespace briskal::data {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

ConnectionTarget parseConnectionString(std::string_view text, std::string_view user,
                                       std::string_view password) {
  bool odbc = false;
  std::string dataSource;
  size_t i = 0;
  while (i < text.size()) {
    const size_t eq = text.find('=', i);
    if (eq == std::string_view::npos) break;
    const std::string_view key = trim(text.substr(i, eq - i));
    size_t end = eq + 1;
    std::string value;
    while (end < text.size() && text[end] == ' ') ++end;
    if (end < text.size() && text[end] == '{') {
      const size_t close = text.find('}', end);
      value = std::string(text.substr(end + 1, close == std::string_view::npos ? close : close - end - 1));
      end = close == std::string_view::npos ? text.size() : close + 1;
      end = text.find(';', end);
    } else {
      const size_t semi = text.find(';', end);
      value = std::string(trim(text.substr(end, semi == std::string_view::npos ? semi : semi - end)));
      end = semi;
    }
    if (utf8::equalsNoCase(key, "driver") || utf8::equalsNoCase(key, "dsn")) odbc = true;
    if (utf8::equalsNoCase(key, "data source")) dataSource = value;
    if (end == std::string_view::npos) break;
    i = end + 1;
  }
  if (odbc) {
    std::string full(text);
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about a chain of operator+.
    if (!user.empty()) {
      if (!full.empty() && full.back() != ';') full += ';';
      full.append("UID=").append(user);
    }
    if (!password.empty()) full.append(";PWD=").append(password);
    return {ConnectionTarget::Kind::Odbc, full};
  }
  if (dataSource.empty())
    throw Error(err::kInvalidConnection, "briskal.data",
                "The connection string names no database: use Data Source=FILE, Driver=... or DSN=...");
  return {ConnectionTarget::Kind::Sqlite, dataSource};
}

}  // namespace briskal::data
