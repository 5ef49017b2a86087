#pragma once
// Expands order lines into label rows: a master row per order line, completed and followed by
// the label rows that the quantity basis gives (one per unit, one per package, or a number the
// user chose), each with its quantity and its weights, volume and capacity. Quantities are exact
// decimals; measures are rounded with Arrotonda as doubles.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/regional.h"
#include "data/recordset.h"
#include "labelrows/label_kinds.h"

namespace briskal::labelrows {

struct ExpansionOptions {
  std::optional<QuantityBasis> basis = QuantityBasis::Unit;  // none: master rows only
  bool firstUnit = true;                                     // CBX_Gestione = 1
  bool delivered = false;     // CMB_QtaRifer = 1: the delivered quantity instead of the residual one
  std::string labelsPerLine;  // TXT_NumEtichette, for the custom basis
};

class LabelExpansion {
 public:
  // Runs a routine under the caller's error convention, named by the routine.
  using Trap = std::function<void(const char* procedure, const std::function<void()>& body)>;
  // Tells the user that an order line has no pieces per package.
  using ZeroPiecesMessage = std::function<void()>;

  LabelExpansion(data::Recordset& orderLines, data::Recordset& labelRows, const RegionalSettings& rs,
                 Trap trap, ZeroPiecesMessage zeroPieces);

  // CaricaRsetGrid's loop: every order line from the first, numbered from 1.
  void expandAll(const ExpansionOptions& options);

  // Each works on the current master row and order line; the label rows repeat the master row's
  // order-line ordinal and copied columns.
  void CaricaRigheUnitarie(const Decimal& q);
  void CaricaRighePerConfezione(const Decimal& q);
  void CaricaRighePersonalizzate(const Decimal& q, const std::string& labelsPerLine);

 private:
  struct Copy {
    int to;
    int from;
  };
  struct Measure {
    int label, unit, source;
  };

  int labelField(const char* name) const;
  int lineField(const char* name) const;
  void addMasterRow(const ExpansionOptions& options);
  Decimal baseQuantity(const ExpansionOptions& options) const;
  void commonPart();
  // A new label row repeating the master row, with its own number and quantity.
  void addLabelRow(const char* selection, const Value& quantity);
  void setMeasures(const Value& k);
  void copyMeasures();
  void set(int field, const Value& value) { labels_.setValue(static_cast<size_t>(field), value); }
  Value line(int field) const { return lines_.value(static_cast<size_t>(field)); }

  data::Recordset& lines_;
  data::Recordset& labels_;
  const RegionalSettings& rs_;
  Trap trap_;
  ZeroPiecesMessage zeroPieces_;

  std::vector<Copy> copies_;
  std::vector<Measure> measures_;
  int selezione_, tipoRiga_, idRigaOrdine_, idGriglia_, qtaOrd_, qtaOrdTmp_, qtaSuEtich_, numVsDoc_;
  int umPeso_, umVolume_, umCapac_, umDimen_, altez_, largh_, prof_;
  int lineUmPeso_, lineUmVolume_, lineUmCapac_, lineAltezza_, lineBase_, lineProfondita_, linePzConf_;
  int lineNumNsDoc_, lineSezNsDoc_, lineQta1Res_, lineQta2Res_, lineQta1Cons_, lineQta2Cons_;

  int64_t gridCounter_ = 0;
  int64_t lineCounter_ = 1;
  data::Bookmark master_{};
  Decimal q_;
};

}  // namespace briskal::labelrows
