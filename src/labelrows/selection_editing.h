#pragma once
// Editing the selection before printing, on the label rows only (nothing reaches the database):
// batch actions that mark the order lines matching a parameter, the "Sel." toggle of a row or of
// a whole order line, and a label quantity with the weights and volumes that follow from it.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/decimal.h"
#include "common/regional.h"
#include "data/recordset.h"

namespace briskal::labelrows {

// What a batch action compares: CMB_TIPOPAR's value, CMB_OPERAT's value ("0" >, "1" <, "2" <>,
// "3" =, "4" >=, "5" <=) and TXT_PARAM's text.
struct BatchRule {
  std::string parameterType;
  std::string operatorValue;
  std::string parameter;
};

inline constexpr std::string_view kEveryRow = "99";

// Whether the parameter type compares numbers: "1", "2", "5", "7" and "9"; the others compare
// text.
bool isNumericParameter(std::string_view parameterType);

// The new quantity per label typed for a batch change: an exact decimal above zero with at most
// three decimals; nullopt for anything else.
std::optional<Decimal> labelQuantity(const std::string& text, const RegionalSettings& rs);

// What a selection prints, counted over every label row: the order lines with a row to print (of
// all the order lines), the label rows to print beside their order line's master row (of all
// label rows), and the labels, one for each row to print, master rows included.
struct SelectionTotals {
  int64_t orderLines = 0;
  int64_t allOrderLines = 0;
  int64_t labelRows = 0;
  int64_t allLabelRows = 0;
  int64_t labels = 0;
  friend bool operator==(const SelectionTotals&, const SelectionTotals&) = default;
};
SelectionTotals countSelection(const data::Recordset& rows, const RegionalSettings& rs);

class SelectionEditor {
 public:
  SelectionEditor(data::Recordset& rows, const RegionalSettings& rs);

  // Cancel ("0"), restore ("1") or mark for a new quantity ("9") every order line whose master
  // row matches the rule, among the rows `filter` shows; leaves the filter on. Returns the rows
  // marked.
  int64_t markOrderLines(const BatchRule& rule, std::string_view filter, std::string_view mark);
  // Every removed row back to printed; returns how many there were.
  int64_t restoreAll();
  // Gives the rows marked "9" (global: every selected row) the quantity and the measures that
  // follow, and the marked rows "1" again; returns the rows given the quantity, 0 (changing
  // nothing) when no row is marked.
  int64_t applyQuantity(const Decimal& quantity, bool global);
  // The "Sel." double click on the current row: "1" and "0" swap; a master row carries its whole
  // order line, a label row changes alone; any other value stays. The current row stays current.
  void toggleCurrent();
  // The current label's weights and volumes for `quantity` labels' worth: each measure that has a
  // value becomes the quantity times its per-unit copy, rounded to 5 decimals.
  void recomputeMeasures(const Decimal& quantity);

 private:
  // ModificaRighe: false when the current order line does not match and the cursor has not moved.
  bool matches(const BatchRule& rule) const;
  // Returns the rows marked.
  int64_t markOrderLine(std::string_view mark);

  data::Recordset& rows_;
  const RegionalSettings& rs_;
  // The order quantity of each order line's master row, by IDRIGAORDINE, for parameter type "5".
  std::unordered_map<int64_t, Value> orderQuantities_;
};

}  // namespace briskal::labelrows
