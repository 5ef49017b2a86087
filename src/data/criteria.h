#pragma once
// Recordset criteria as Filter and Find write them: clauses "Field op value" joined by AND and OR,
// evaluated left to right, grouped by parentheses. Operators = <> < > <= >= LIKE; values are
// 'text' (quotes doubled inside), #date#, bare numbers or Null. A parenthesised OR group may not be
// joined to another clause by AND. Field names and keywords ignore case; text comparisons ignore
// letter case but not trailing blanks. Grammar and examples: docs/recordset-criteria.md.

#include <memory>
#include <string_view>
#include <vector>

#include "common/regional.h"
#include "common/value.h"
#include "data/field.h"

namespace briskal::data {

class FieldIndex;
struct CriteriaNode;
struct RecordsetData;

class Criteria {
 public:
  // Error 3001 with the position for a malformed text, 3265 for an unknown field. With
  // `singleClause`, as Find requires, AND, OR and parentheses are refused.
  static Criteria parse(std::string_view text, const std::vector<Field>& fields, const FieldIndex& index,
                        const RegionalSettings& rs, bool singleClause = false);

  Criteria(Criteria&&) noexcept;
  Criteria& operator=(Criteria&&) noexcept;
  ~Criteria();

  bool matches(const RecordsetData& data, uint32_t row) const;

 private:
  explicit Criteria(std::unique_ptr<CriteriaNode> root);
  std::unique_ptr<CriteriaNode> root_;
};

// Case-insensitive lookup of field names.
class FieldIndex {
 public:
  void add(std::string_view name, size_t position);
  // -1 when there is no such field.
  int find(std::string_view name) const;
  void clear() { entries_.clear(); }

 private:
  std::vector<std::pair<std::string, size_t>> entries_;  // folded name, position; sorted
};

// Ordering used by Sort: Null and Empty first, numbers before text, text ignoring case.
int compareForSort(const Value& a, const Value& b);

}  // namespace briskal::data
