#include "hostkit/lookups/search_list.h"

#include "common/routines.h"
#include "common/utf8.h"

namespace briskal::hostkit {

std::vector<size_t> narrowedRows(const SearchList& list, std::string_view typed) {
  const std::string wanted = utf8::foldCase(Trim(typed));
  std::vector<size_t> shown;
  for (size_t r = 0; r < list.rows.size(); ++r) {
    const std::vector<std::string>& row = list.rows[r];
    bool match = wanted.empty() || utf8::foldCase(row.front()).starts_with(wanted);
    for (size_t c : list.described) {
      if (match) break;
      match = c < row.size() && utf8::foldCase(row[c]).find(wanted) != std::string::npos;
    }
    if (match) shown.push_back(r);
  }
  return shown;
}

}  // namespace briskal::hostkit
