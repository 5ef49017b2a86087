#pragma once
// What the selection form reads from the form that opened it, as values: the choices made on the
// parameter form. The selection form knows this interface, not the parameter form.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/value.h"
#include "host/controls.h"
#include "labelrows/label_kinds.h"

namespace briskal::labelrows {

struct LabelRowChoices {
  std::string owner;                                        // the opening form's name, the report's owner
  std::string orderTypeText;                                // CMB_TipoOrdini, the caption
  std::optional<LabelType> labelType;                       // CMB_TipoEtichetta
  std::optional<QuantityBasis> quantityBasis;               // CMB_TipoQuantità
  std::string referenceQuantity;                            // CMB_QtaRifer key
  int32_t firstUnit = 1;                                    // CBX_Gestione
  std::string labelsPerLine;                                // TXT_NumEtichette
  std::string quantityBasisText;                            // CMB_TipoQuantità, the caption
  std::string distance;                                     // TXT_SALTO
  std::string printedQuantity;                              // CMB_QTARIPORTATA key
  std::vector<host::QueryFilterControl::Item> filterItems;  // KVX_ADVQ
  Value companyCode;
  Value companyName;
};

// The form that opens the selection form; read as the selection form loads and prints, so that
// what the person changes there meanwhile counts.
class LabelRowSource {
 public:
  virtual ~LabelRowSource() = default;
  virtual LabelRowChoices labelRowChoices() const = 0;
};

}  // namespace briskal::labelrows
