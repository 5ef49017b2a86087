#pragma once
// What a user types in a filter row, checked against its column and written into SQL. Nothing a
// user types reaches the condition unchecked: numbers and dates are parsed and written anew, texts
// are quoted with their quotes doubled.

#include <optional>
#include <string>
#include <string_view>

#include "common/datetime.h"
#include "data/dialect.h"
#include "hostkit/controls/filter_columns.h"

namespace briskal::hostkit {

// One bound of a row as the condition compares it: a text without its trailing blanks, a number
// in plain digits with '.' as the point, or a day.
struct FilterBound {
  std::string text;
  DateTime day;
  friend bool operator==(const FilterBound&, const FilterBound&) = default;
};

// nullopt for a blank value. Numbers take ',' or '.' as the point and no thousands separators;
// dates are dd/mm/yyyy or yyyy-mm-dd. Throws briskal::Error with `source`, naming the caption and
// the value: 13 for what is not a number, a whole number or a date, 6 for a number too large,
// 380 for a text or number longer than the column allows or a text with control characters.
std::optional<FilterBound> checkBound(const FilterColumn& column, std::string_view typed,
                                      const std::string& source);

// 'YYYYMMDD' for SQL Server, which reads it the same under every language setting; 'YYYY-MM-DD'
// elsewhere.
std::string dateLiteral(const DateTime& day, data::Dialect dialect);

// The row's condition without parentheses: "=" for equal bounds, else ">=" and "<=". A date range
// ends before the day after its last day, so that values with a time of day are included.
std::string rowCondition(const FilterColumn& column, const std::optional<FilterBound>& from,
                         const std::optional<FilterBound>& to, data::Dialect dialect);

}  // namespace briskal::hostkit
