#include "labelrows/selection_editing.h"

#include <array>
#include <unordered_set>

#include "common/convert.h"
#include "common/routines.h"
#include "labelrows/label_rows.h"

namespace briskal::labelrows {
namespace {

constexpr const char* kOrderLine = "IDRIGAORDINE";
constexpr const char* kSelection = "SELEZIONE";

// The field each parameter type compares; "5" is the order quantity of the line's master row.
const char* comparedField(std::string_view type) {
  static constexpr std::array<std::pair<std::string_view, const char*>, 9> kFields{{
      {"1", "DO11_NUMDOC"},
      {"2", "DO30_PROGRIGA"},
      {"3", "DO30_CODDEP_MG58"},
      {"4", "DO30_CODART_MG66"},
      {"5", "QTAORD"},
      {"6", "DO41_CODPROGETTO"},
      {"7", "DO41_CODSPROGETTO"},
      {"8", "DO41_CODCOMMESSA"},
      {"9", "DO41_CODSCOMMESSA"},
  }};
  for (const auto& [value, field] : kFields)
    if (value == type) return field;
  return nullptr;
}

template <typename T>
bool compare(const T& row, const T& parameter, std::string_view op) {
  if (op == "0") return row > parameter;
  if (op == "1") return row < parameter;
  if (op == "2") return row != parameter;
  if (op == "3") return row == parameter;
  if (op == "4") return row >= parameter;
  if (op == "5") return row <= parameter;
  return false;
}

bool isEmptyText(const Value& v) { return v.isText() && v.asText().empty(); }

}  // namespace

// Project ("6") and job ("8") codes are text such as "PR26-004" or "C26/0084"; their sub-codes
// are numbers.
bool isNumericParameter(std::string_view type) {
  return type == "1" || type == "2" || type == "5" || type == "7" || type == "9";
}

std::optional<Decimal> labelQuantity(const std::string& text, const RegionalSettings& rs) {
  const Value typed(text);
  if (!IsNumeric(typed, rs)) return std::nullopt;
  const Decimal quantity = toDecimal(typed, rs);
  if (quantity <= Decimal() || quantity.round(3) != quantity) return std::nullopt;
  return quantity;
}

SelectionEditor::SelectionEditor(data::Recordset& rows, const RegionalSettings& rs) : rows_(rows), rs_(rs) {}

SelectionTotals countSelection(const data::Recordset& rows, const RegionalSettings& rs) {
  SelectionTotals totals;
  const std::unique_ptr<data::Recordset> all = rows.clone();
  all->setFilter("");
  const auto selectionField = static_cast<size_t>(all->fieldIndex(kSelection));
  const auto kindField = static_cast<size_t>(all->fieldIndex("TIPORIGA"));
  const auto lineField = static_cast<size_t>(all->fieldIndex(kOrderLine));
  const Value master("M");
  const Value printed(selection::kPrinted);
  std::unordered_set<int64_t> linesPrinted;
  for (; !all->eof(); all->moveNext()) {
    const bool isMaster = all->value(kindField) == master;
    (isMaster ? totals.allOrderLines : totals.allLabelRows) += 1;
    if (all->value(selectionField) != printed) continue;
    ++totals.labels;
    if (!isMaster) ++totals.labelRows;
    if (const Value line = all->value(lineField); !line.isNull() && !line.isEmpty())
      linesPrinted.insert(toInt64(line, rs));
  }
  totals.orderLines = static_cast<int64_t>(linesPrinted.size());
  return totals;
}

int64_t SelectionEditor::markOrderLines(const BatchRule& rule, std::string_view filter,
                                        std::string_view mark) {
  int64_t marked = 0;
  orderQuantities_.clear();
  if (rule.parameterType == "5") {
    const std::unique_ptr<data::Recordset> all = rows_.clone();
    for (; !all->eof(); all->moveNext())
      if (all->value("TIPORIGA") == Value("M"))
        orderQuantities_[toInt64(all->value(kOrderLine), rs_)] = all->value("QTAORD");
  }
  if (!rows_.bof() || !rows_.eof()) rows_.moveFirst();
  rows_.setFilter(filter);
  if (!rows_.eof()) rows_.moveFirst();
  while (!rows_.eof()) {
    if (matches(rule)) {
      marked += markOrderLine(mark);  // already past the order line
      continue;
    }
    rows_.moveNext();
    if (!rows_.eof()) rows_.find("TIPORIGA = 'M'");
  }
  return marked;
}

// A row whose value is no number, or no value at all, matches no numeric comparison.
bool SelectionEditor::matches(const BatchRule& rule) const {
  const char* field = comparedField(rule.parameterType);
  if (!field) return false;
  Value value = rows_.value(field);
  if (rule.parameterType == "5") {
    const auto master = orderQuantities_.find(toInt64(rows_.value(kOrderLine), rs_));
    value = master == orderQuantities_.end() ? Value() : master->second;
  }
  if (isNumericParameter(rule.parameterType)) {
    const Value parameter = NVL(Value(rule.parameter), Value(""));
    if (value.isNull() || isEmptyText(value) || !IsNumeric(value, rs_) || !IsNumeric(parameter, rs_))
      return false;
    return compare(toDecimal(value, rs_), toDecimal(parameter, rs_), rule.operatorValue);
  }
  const std::string row(RTrim(toText(NVL(value, Value("")), rs_)));
  return compare(row, rule.parameter, rule.operatorValue);
}

int64_t SelectionEditor::markOrderLine(std::string_view mark) {
  int64_t marked = 0;
  const Value line = rows_.value(kOrderLine);
  while (!rows_.eof() && rows_.value(kOrderLine) == line) {
    rows_.setValue(kSelection, Value(std::string(mark)));
    rows_.update();
    rows_.moveNext();
    ++marked;
  }
  return marked;
}

int64_t SelectionEditor::restoreAll() {
  int64_t restored = 0;
  rows_.setFilter(" SELEZIONE = '0'");
  while (!rows_.eof()) {
    rows_.setValue(kSelection, Value(selection::kPrinted));
    rows_.update();
    rows_.moveNext();
    ++restored;
  }
  rows_.setFilter("");
  if (!rows_.eof()) rows_.moveFirst();
  return restored;
}

int64_t SelectionEditor::applyQuantity(const Decimal& quantity, bool global) {
  if (!global) {
    rows_.setFilter("SELEZIONE= '9'");
    if (rows_.recordCount() < 1) {
      rows_.setFilter("");
      return 0;
    }
  }
  int64_t changed = 0;
  for (rows_.moveFirst(); !rows_.eof(); rows_.moveNext()) {
    rows_.setValue("QTASUETICH", Value(quantity));
    recomputeMeasures(quantity);
    if (!global) rows_.setValue(kSelection, Value(selection::kPrinted));
    rows_.update();
    ++changed;
  }
  rows_.setFilter("");
  if (!rows_.eof()) rows_.moveFirst();
  return changed;
}

void SelectionEditor::toggleCurrent() {
  const std::string current = toText(NVL(rows_.value(kSelection), Value("")), rs_);
  std::string next;
  if (current == selection::kPrinted) next = selection::kRemoved;
  else if (current == selection::kRemoved) next = selection::kPrinted;
  else return;
  if (rows_.value("TIPORIGA") != Value("M")) {
    rows_.setValue(kSelection, Value(next));
    rows_.update();
    return;
  }
  const data::Bookmark here = rows_.bookmark();
  markOrderLine(next);
  rows_.setBookmark(here);
}

void SelectionEditor::recomputeMeasures(const Decimal& quantity) {
  for (const LabelMeasure& m : kLabelMeasures) {
    if (isEmptyText(NVL(rows_.value(m.label), Value("")))) {
      rows_.setValue(m.label, Value(""));
      continue;
    }
    rows_.setValue(m.label,
                   Value(Arrotonda(Value(quantity * toDecimal(rows_.value(m.perUnit), rs_)), 5, rs_)));
  }
}

}  // namespace briskal::labelrows
