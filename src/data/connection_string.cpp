#include "data/connection_string.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "common/error.h"
#include "common/utf8.h"

namespace briskal::data {
namespace {

// The keys that make key=value pairs a connection string rather than a file's odd name.
constexpr std::string_view kConnectionKeys[] = {"data source", "driver", "dsn",      "filedsn",
                                                "provider",    "server", "database", "initial catalog",
                                                "uid",         "pwd",    "user id",  "password"};

struct Pair {
  std::string_view key;
  std::string value;
};

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool isKey(std::string_view key) {
  return !key.empty() && std::isalpha(static_cast<unsigned char>(key.front())) &&
         std::all_of(key.begin(), key.end(),
                     [](unsigned char c) { return std::isalnum(c) || c == ' ' || c == '_'; });
}

bool isConnectionKey(std::string_view key) {
  return std::any_of(std::begin(kConnectionKeys), std::end(kConnectionKeys),
                     [key](std::string_view known) { return utf8::equalsNoCase(key, known); });
}

// The text's key=value pairs; nothing when a part of it is no such pair, as in a file's path.
std::optional<std::vector<Pair>> pairsOf(std::string_view text) {
  std::vector<Pair> pairs;
  size_t i = 0;
  while (i < text.size()) {
    const size_t semi = text.find(';', i);
    const size_t eq = text.find('=', i);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      // A part without '=' may only be empty: "a;;b=c" or a closing ';'.
      const size_t end = semi == std::string_view::npos ? text.size() : semi;
      if (!trim(text.substr(i, end - i)).empty()) return std::nullopt;
      i = end + 1;
      continue;
    }
    const std::string_view key = trim(text.substr(i, eq - i));
    if (!isKey(key)) return std::nullopt;
    size_t end = eq + 1;
    while (end < text.size() && text[end] == ' ') ++end;
    std::string value;
    if (end < text.size() && text[end] == '{') {
      const size_t close = text.find('}', end);
      value = std::string(text.substr(end + 1, close == std::string_view::npos ? close : close - end - 1));
      end = close == std::string_view::npos ? text.size() : text.find(';', close);
    } else {
      const size_t next = text.find(';', end);
      value = std::string(trim(text.substr(end, next == std::string_view::npos ? next : next - end)));
      end = next;
    }
    pairs.push_back({key, std::move(value)});
    if (end == std::string_view::npos) break;
    i = end + 1;
  }
  return pairs;
}

[[noreturn]] void namesNoDatabase() {
  throw Error(err::kInvalidConnection, "briskal.data",
              "The connection string names no database: give a file's path, Data Source=FILE, Driver=... or "
              "DSN=...");
}

}  // namespace

ConnectionTarget parseConnectionString(std::string_view text, std::string_view user,
                                       std::string_view password) {
  const std::optional<std::vector<Pair>> pairs = pairsOf(text);
  const bool connectionString = pairs && std::any_of(pairs->begin(), pairs->end(),
                                                     [](const Pair& p) { return isConnectionKey(p.key); });
  if (!connectionString) {
    if (trim(text).empty()) namesNoDatabase();
    return {ConnectionTarget::Kind::Sqlite, std::string(text)};
  }
  bool odbc = false;
  std::string dataSource;
  for (const Pair& pair : *pairs) {
    if (utf8::equalsNoCase(pair.key, "driver") || utf8::equalsNoCase(pair.key, "dsn")) odbc = true;
    if (utf8::equalsNoCase(pair.key, "data source")) dataSource = pair.value;
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
  if (dataSource.empty()) namesNoDatabase();
  return {ConnectionTarget::Kind::Sqlite, dataSource};
}

}  // namespace briskal::data
