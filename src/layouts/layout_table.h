#pragma once
// The label layout table: the fixed statements and filters the forms use on it, and writing a
// layout whole. A layout is a header row (running number 0) with the label size and the printed
// quantity, and one detail row per field, numbered across the whole table.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/error.h"
#include "common/regional.h"
#include "common/value.h"
#include "data/connection.h"
#include "data/recordset.h"

namespace briskal::layouts {

// A code in the 10-character form the table keeps: trimmed, padded, cut.
std::string layoutCode(std::string_view code);

// Statement 1: one row per layout.
std::string layoutListSql();
// Statement 2: the whole table, for editing and writing.
std::string layoutTableSql();
// All rows of a layout, and its detail rows only. The code is compared in its 10-character form;
// a quote in it is doubled, so that a code finds exactly its own rows.
std::string layoutRowsFilter(std::string_view code);
std::string layoutDetailFilter(std::string_view code);

// Thrown by replaceLayout when another workstation saved a new layout of the same code since the
// list was read: saving again replaces it.
class LayoutSavedElsewhere : public Error {
 public:
  explicit LayoutSavedElsewhere(std::string code);
  const std::string& code() const { return code_; }  // without its padding

 private:
  std::string code_;
};

struct LayoutHeader {
  std::string code;
  std::string title;
  Value width;  // each already a decimal: an empty edit is 0
  Value height;
  Value distance;
  Value printedQuantity;
};

// Replaces (or creates) the layout `header.code` with `lines` in the whole-table recordset `table`
// (batch mode), in one transaction: the old rows go and the new ones come together, numbered
// from the highest number read inside that transaction. When another workstation took the same
// numbers first, the save is tried again with fresh numbers; when it saved a new layout of the
// same code first, the save fails at once with LayoutSavedElsewhere. With no lines the layout is only
// deleted. Throws the database's error when it cannot be saved; then the table is as it was.
void replaceLayout(data::Connection& connection, data::Recordset& table, data::Recordset& lines,
                   const LayoutHeader& header, bool deleteExisting, const RegionalSettings& rs);

// Deletes every row of `code`, in one transaction. Throws the database's error on failure.
void deleteLayout(data::Recordset& table, std::string_view code);

}  // namespace briskal::layouts
