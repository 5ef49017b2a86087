#pragma once
// The component writes SQL Server dialect; before a statement reaches another database its table
// hints are dropped and ISNULL( becomes COALESCE(, outside string literals and quoted names only.

#include <string>
#include <string_view>

namespace briskal::data {

enum class Dialect { SqlServer, SQLite, PostgreSQL, Other };

std::string adaptSql(std::string_view sql, Dialect dialect);

}  // namespace briskal::data
