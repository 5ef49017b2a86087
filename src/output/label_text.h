#pragma once
// The text of a standard label, composed line by line from the text layout and one label row:
// each field at its start column (or one blank after the previous text), with its caption when
// the layout says so, numbers and dates as text by the regional settings.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/regional.h"
#include "data/recordset.h"

namespace briskal::output {

// The layout read once for a run: for each label row (from 1), its fields in print order.
class LabelLayout {
 public:
  struct Field {
    std::string caption;
    std::string dataField;
    int32_t startColumn = 0;
    bool withCaption = false;
  };

  // Reads the layout lines, leaving them sorted by row and sequence.
  LabelLayout(data::Recordset& lines, const RegionalSettings& rs);

  int16_t rows() const { return static_cast<int16_t>(rows_.size()); }
  const std::vector<Field>& fieldsOf(int16_t row) const { return rows_[static_cast<size_t>(row - 1)]; }

 private:
  std::vector<std::vector<Field>> rows_;
};

// The value text of `dataField` on the label row, with the quantity selector's choice for the
// quantity fields ("0" ordered, "1" residual, "2" delivered; anything else an empty value).
std::string fieldText(const data::Recordset& label, std::string_view dataField,
                      std::string_view quantitySelector, const RegionalSettings& rs);

// Text line `row` of the label: a line without fields is one blank.
std::string ScriviRigaDati(const LabelLayout& layout, const data::Recordset& label, int16_t row,
                           std::string_view quantitySelector, const RegionalSettings& rs);

// Every line from 1 to the layout's last, joined with CR LF.
std::string composeLabel(const LabelLayout& layout, const data::Recordset& label,
                         std::string_view quantitySelector, const RegionalSettings& rs);

}  // namespace briskal::output
