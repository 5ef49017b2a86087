#pragma once
// Measures a text layout against the label: its highest row against the height in rows, and the
// characters each row's fields take against the width. All counts are 16-bit, as the layout
// editor holds them; an overflow is error 6.

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/regional.h"
#include "data/recordset.h"

namespace briskal::params {

// Characters a data field takes on the label; `previous` when the field has no length of its own.
int16_t fieldPrintLength(std::string_view dataField, int16_t previous);

struct RowMeasure {
  int16_t row = 0;
  int16_t characters = 0;
};

// The characters used on label row `row` by its fields up to print sequence `sequence`, measured
// on a clone so that the layout's own cursor does not move; nullopt when no field qualifies.
std::optional<RowMeasure> measureRowUpTo(const data::Recordset& layout, int16_t row, int16_t sequence,
                                         const RegionalSettings& rs);

struct DimensionVerdict {
  bool ok = true;
  bool tooHigh = false;    // the highest row exceeds the height
  int16_t tooWideRow = 0;  // the first row wider than the width, 0 when none
};

// Checks the whole layout. With a height, sorts the layout by row and sequence and leaves it on
// its last row when too high; with a width, walks it from the first row.
DimensionVerdict checkLabelDimensions(data::Recordset& layout, int16_t height, int16_t width,
                                      const RegionalSettings& rs);

}  // namespace briskal::params
