#pragma once
// The label-row recordset: one master row per order line and the label rows it expands into,
// 56 fields in a fixed order, with the selection state each row has for printing.

#include <array>
#include <memory>

#include "data/recordset.h"

namespace briskal::labelrows {

// SELEZIONE values.
namespace selection {
inline constexpr const char* kPrinted = "1";
inline constexpr const char* kRemoved = "0";
inline constexpr const char* kBelowOnePackage = "2";
inline constexpr const char* kMarked = "9";
}  // namespace selection

// A label's measures: each with its per-unit copy on the label row and the order-line field it
// comes from.
struct LabelMeasure {
  const char* label;
  const char* perUnit;
  const char* orderLine;
};
inline constexpr std::array<LabelMeasure, 4> kLabelMeasures{{
    {"MG68_PESON", "MG68_PESONUNIT", "DO30_PESON"},
    {"MG68_PESOL", "MG68_PESOLUNIT", "DO30_PESOL"},
    {"MG68_VOLUME", "MG68_VOLUMEUNIT", "DO30_VOLUME"},
    {"MG68_CAPAC", "MG68_CAPACUNIT", "DO30_CAPACITA"},
}};

// A new, open, empty label-row recordset. The row identifier holds ten digits, so that any run
// that fits in memory numbers its rows.
std::unique_ptr<data::Recordset> newLabelRows();

}  // namespace briskal::labelrows
