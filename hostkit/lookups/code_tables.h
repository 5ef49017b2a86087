#pragma once
// Where each kind of code lives in the company's tables: the table, its code and description, the
// columns a code is decoded by (in the order the decoding calls give them) and the columns a search
// list is restricted by. The statements built from it bind every value; no value is written into
// the SQL text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "host/services.h"

namespace briskal::hostkit {

struct CodeTable {
  host::CodeKind kind;
  int grouping = 0;       // 1 to 4 for the statistical groupings, else 0
  std::string_view from;  // the table, with its joins
  std::string_view companyColumn;
  std::string_view codeColumn;
  std::string_view description;           // "" when the kind has none
  std::vector<std::string_view> key;      // decoding columns, in the callers' order
  std::vector<std::string_view> parents;  // search-list restrictions, in the callers' order
  std::string_view listCondition;         // what a search list always keeps, "" for nothing
};

// The table of `kind`; for the statistical groupings the one of `grouping`. nullptr when there is
// none (a grouping outside 1 to 4).
const CodeTable* codeTable(host::CodeKind kind, int grouping = 0);

// A statement and the values it binds, in order.
struct BoundQuery {
  std::string sql;
  std::vector<Value> params;
};

// The statement that finds the code `key` names, selecting its description (or 1 for a kind
// without one); nullopt when a key value cannot match (a blank code, a number that is no number).
std::optional<BoundQuery> decodeQuery(const CodeTable& table, const Value& company,
                                      const std::vector<Value>& key);
// The statement of the search list: code, description (where the kind has one) and the parent
// columns, ordered by code.
// A blank parent restricts nothing.
BoundQuery listQuery(const CodeTable& table, const Value& company, const std::vector<Value>& parents);
// The headings of the list's columns.
std::vector<std::string> listHeadings(const CodeTable& table);

// A whole number given as a number or as text; nullopt for anything else.
std::optional<int64_t> wholeNumber(const Value& value);

// A key or parent value as its column compares it: a text without trailing blanks, a number for a
// numeric column; nullopt for a blank value or what is no whole number.
std::optional<Value> keyValue(std::string_view column, const Value& value);

}  // namespace briskal::hostkit
