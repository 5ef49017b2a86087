#pragma once
// The kinds the parameter form offers: the label type (CMB_TipoEtichetta) and what one label
// counts (CMB_TipoQuantità), with the keys their combos hold.

#include <optional>
#include <string_view>

namespace briskal::labelrows {

enum class LabelType { Standard = 0, Customisable = 1 };

enum class QuantityBasis { Unit = 0, Package = 1, Custom = 2 };

// The kind a combo key names; nullopt for any other text.
inline std::optional<LabelType> labelTypeOf(std::string_view key) {
  if (key == "0") return LabelType::Standard;
  if (key == "1") return LabelType::Customisable;
  return std::nullopt;
}

inline std::optional<QuantityBasis> quantityBasisOf(std::string_view key) {
  if (key == "0") return QuantityBasis::Unit;
  if (key == "1") return QuantityBasis::Package;
  if (key == "2") return QuantityBasis::Custom;
  return std::nullopt;
}

}  // namespace briskal::labelrows
