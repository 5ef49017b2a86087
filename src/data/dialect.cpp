#include "data/dialect.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "common/utf8.h"

namespace briskal::data {
namespace {

bool isSqlWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '@' || c == '#';
}

size_t skipSpace(std::string_view s, size_t i) {
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

bool isTableHint(std::string_view word) {
  static constexpr std::array<std::string_view, 8> kHints = {
      "NOLOCK", "READUNCOMMITTED", "READCOMMITTED", "ROWLOCK", "UPDLOCK", "HOLDLOCK", "PAGLOCK", "TABLOCK"};
  for (auto hint : kHints)
    if (utf8::equalsNoCase(word, hint)) return true;
  return false;
}

// When `i` starts "WITH (hint[, hint...])" made only of table hints, the index past the ')'.
size_t tableHintEnd(std::string_view s, size_t i) {
  size_t j = skipSpace(s, i + 4);
  if (j >= s.size() || s[j] != '(') return 0;
  j = skipSpace(s, j + 1);
  for (;;) {
    const size_t start = j;
    while (j < s.size() && isSqlWordChar(s[j])) ++j;
    if (start == j || !isTableHint(s.substr(start, j - start))) return 0;
    j = skipSpace(s, j);
    if (j < s.size() && s[j] == ',') {
      j = skipSpace(s, j + 1);
      continue;
    }
    return j < s.size() && s[j] == ')' ? j + 1 : 0;
  }
}

// Copies a quoted run starting at `i` (quote doubled inside = escaped) and returns the index past it.
size_t copyQuoted(std::string_view s, size_t i, char close, std::string& out) {
  const size_t start = i++;
  while (i < s.size()) {
    if (s[i] == close) {
      if (i + 1 < s.size() && s[i + 1] == close) {
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    ++i;
  }
  out.append(s.substr(start, i - start));
  return i;
}

}  // namespace

std::string adaptSql(std::string_view sql, Dialect dialect) {
  if (dialect == Dialect::SqlServer) return std::string(sql);
  std::string out;
  out.reserve(sql.size());
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      i = copyQuoted(sql, i, c, out);
    } else if (c == '[' && dialect == Dialect::PostgreSQL) {
      const size_t close = sql.find(']', i);
      const size_t end = close == std::string_view::npos ? sql.size() : close;
      out += '"';
      out.append(sql.substr(i + 1, end - i - 1));
      out += '"';
      i = end == sql.size() ? end : end + 1;
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      const size_t end = sql.find('\n', i);
      const size_t stop = end == std::string_view::npos ? sql.size() : end;
      out.append(sql.substr(i, stop - i));
      i = stop;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      const size_t end = sql.find("*/", i + 2);
      const size_t stop = end == std::string_view::npos ? sql.size() : end + 2;
      out.append(sql.substr(i, stop - i));
      i = stop;
    } else if (isSqlWordChar(c) && (i == 0 || !isSqlWordChar(sql[i - 1]))) {
      size_t end = i;
      while (end < sql.size() && isSqlWordChar(sql[end])) ++end;
      const std::string_view word = sql.substr(i, end - i);
      if (utf8::equalsNoCase(word, "WITH")) {
        if (const size_t hintEnd = tableHintEnd(sql, i)) {
          // Keep one blank where the hint stood so that the neighbouring words stay apart.
          if (!out.empty() && out.back() != ' ') out += ' ';
          i = hintEnd;
          continue;
        }
      } else if (utf8::equalsNoCase(word, "ISNULL")) {
        const size_t next = skipSpace(sql, end);
        if (next < sql.size() && sql[next] == '(') {
          out += "COALESCE";
          i = end;
          continue;
        }
      }
      out.append(word);
      i = end;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

std::string textLiteral(std::string_view text, Dialect dialect) {
  const bool beyondAscii = std::any_of(text.begin(), text.end(), [](unsigned char c) { return c >= 0x80; });
  std::string literal = dialect == Dialect::SqlServer && beyondAscii ? "N'" : "'";
  for (const char c : text) {
    if (c == '\'') literal += '\'';
    literal += c;
  }
  return literal + '\'';
}

}  // namespace briskal::data
