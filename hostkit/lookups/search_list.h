#pragma once
// A search list as the host shows it: rows of cells under headings, the first cell the code the
// list hands back. The user narrows it by typing and picks a row, or closes it without a choice.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace briskal::hostkit {

struct SearchList {
  std::string title;
  std::vector<std::string> headings;
  std::vector<std::vector<std::string>> rows;
  std::vector<size_t> described;  // the columns that describe a row: the search box looks inside them
};

// The rows shown once `typed` is in the search box, by index: those whose code starts with it or
// whose describing cells contain it, ignoring case; every row for a blank text.
std::vector<size_t> narrowedRows(const SearchList& list, std::string_view typed);

// The host's screen for search lists: shows one and returns the index of the row the user picked,
// nullopt when the list was closed without a choice.
using SearchListDriver = std::function<std::optional<size_t>(const SearchList& list)>;

}  // namespace briskal::hostkit
