#pragma once
// Rows printed for machines (CSV: RFC 4180, '.' as decimal point, ISO dates, Null as an empty
// unquoted field, empty text as "") or for people (aligned columns, regional formatting).

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "common/regional.h"
#include "common/value.h"

namespace briskal::cli {

enum class Format { Csv, Table };

class TabularOutput {
 public:
  TabularOutput(std::ostream& out, Format format, const RegionalSettings& rs);
  ~TabularOutput();
  // Columns marked in `numbers` are aligned right in a table, as are those whose values are
  // numbers; a number already formatted as text needs the mark.
  void header(std::vector<std::string> names, std::vector<bool> numbers = {});
  void row(std::span<const Value> values);
  // Prints what a table layout has collected; CSV rows are written as they come.
  void finish();

 private:
  std::string csvField(const Value& v) const;
  std::string tableField(const Value& v) const;

  std::ostream& out_;
  Format format_;
  RegionalSettings rs_;
  std::vector<std::string> names_;
  std::vector<std::vector<std::string>> cells_;
  std::vector<bool> rightAligned_;
  bool finished_ = false;
};

// Csv when standard output is not a terminal, Table when it is.
Format defaultFormat();

// Thrown where output could not be written because its reader has gone (a closed pipe).
struct OutputClosed {};

// Throws OutputClosed when `out` failed because its reader went away, briskal::Error naming the
// cause when it failed otherwise (a full disk).
void requireWritten(std::ostream& out);

}  // namespace briskal::cli
