#pragma once
// The component writes SQL Server dialect; before a statement reaches another database its table
// hints are dropped and ISNULL( becomes COALESCE(, outside string literals and quoted names only.

#include <string>
#include <string_view>

namespace briskal::data {

enum class Dialect { SqlServer, SQLite, PostgreSQL, Other };

std::string adaptSql(std::string_view sql, Dialect dialect);

// `text` as a string literal of SQL or of recordset criteria: in single quotes, each quote inside
// doubled. SQL Server gets N'...' for text beyond ASCII, so that it keeps its characters; the
// criteria and the other databases take plain quotes (Dialect::Other).
std::string textLiteral(std::string_view text, Dialect dialect);

}  // namespace briskal::data
