#pragma once
// The storage a recordset shares with its clones: the fields, the rows' values packed one row
// after another, each row's change state, and what is needed to write the rows back to their table.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/regional.h"
#include "common/value.h"
#include "data/cell_store.h"
#include "data/criteria.h"
#include "data/field.h"

namespace briskal::data {

namespace row_status {
inline constexpr uint8_t kNew = 1;       // added, not yet in the table
inline constexpr uint8_t kModified = 2;  // changed, not yet in the table
inline constexpr uint8_t kDeleted = 4;   // deleted, not yet removed from the table
inline constexpr uint8_t kGone = 8;      // no longer part of the recordset
}  // namespace row_status

struct RecordsetData {
  std::vector<Field> fields;
  FieldIndex index;
  CellStore store;
  std::vector<uint8_t> status;
  // Rows that stopped being part of the data, in order, so that every view can keep its count.
  std::vector<uint32_t> removals;
  // Bumped when rows come back (a cancelled batch): views are then rebuilt.
  uint64_t generation = 0;
  // Values as read from the table, for rows changed or deleted in batch mode.
  std::unordered_map<uint32_t, std::vector<Value>> originals;
  RegionalSettings regional = RegionalSettings::italian();

  // Where the rows can be written back; empty table when they cannot.
  std::string table;
  std::vector<size_t> keyFields;  // the table's primary key, or every field when it has none

  size_t rowCount() const { return status.size(); }
  Value value(uint32_t r, size_t f) const { return store.get(r, f); }
  bool removed(uint32_t r) const { return status[r] & (row_status::kDeleted | row_status::kGone); }
};

}  // namespace briskal::data
