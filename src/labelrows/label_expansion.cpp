#include "labelrows/label_expansion.h"

#include "common/convert.h"
#include "common/error.h"
#include "common/routines.h"
#include "labelrows/label_rows.h"

namespace briskal::labelrows {
namespace {

// Label-row field <- order-line column, as every row of an order line carries them.
// clang-format off
constexpr std::pair<const char*, const char*> kCopied[] = {
    {"DO11_SEZDOC", "DO11_SEZDOC"},           {"DO11_NUMDOC", "DO11_NUMDOC"},
    {"DO11_CODREP_PD07", "DO46_CODREPARTO"},  {"PD07_DESCR", "PD07_DESCR"},
    {"DO11_CLIFOR_CG44", "DO11_CLIFOR_CG44"}, {"DO30_PROGRIGA", "DO30_PROGRIGA"},
    {"DO30_CODDEP_MG58", "DO30_CODDEP_MG58"}, {"DO30_CODART_MG66", "DO30_CODART_MG66"},
    {"DO30_OPZIONE_MG5E", "DO30_OPZIONE_MG5E"}, {"DO30_DESCART", "DO30_DESCART"},
    {"DO30_UM1", "DO30_UM1"},                 {"DO30_UM2", "DO30_UM2"},
    {"DO30_QTA1", "DO30_QTA1"},               {"DO30_QTA2", "DO30_QTA2"},
    {"DO30_CODARTCLI", "DO30_CODARTCLI"},     {"D031_DATACONS", "DO31_DATACONS"},
    {"DO41_CODPROGETTO", "DO41_CODPROGETTO"}, {"DO41_CODSPROGETTO", "DO41_CODSPROGETTO"},
    {"DO41_CODCOMMESSA", "DO41_CODCOMMESSA"}, {"DO41_CODSCOMMESSA", "DO41_CODSCOMMESSA"},
    {"PD12_CODICE_PD01", "PD12_CODICE_PD01"}, {"PD01_DESCR", "PD01_DESCR"},
    {"PD12_MACCHINA_PD08", "DO46_MACCHINAALT"}, {"PD08_DESCR", "PD08_DESCR"},
    {"CG16_RAGSOANAG", "CG16_RAGSOANAG"},     {"CG16_INDIRIZZO", "CG16_INDIRIZZO"},
    {"CG16_CAP", "CG16_CAP"},                 {"CG16_CITTA", "CG16_CITTA"},
    {"CG16_PROV", "CG16_PROV"},               {"DO11_NUMREG_CO99", "DO11_NUMREG_CO99"},
    {"DO31_QTA1CONS", "DO31_QTA1CONS"},       {"DO31_QTA2CONS", "DO31_QTA2CONS"},
};
// clang-format on

const Value kOne(Decimal(1));

}  // namespace

LabelExpansion::LabelExpansion(data::Recordset& orderLines, data::Recordset& labelRows,
                               const RegionalSettings& rs, Trap trap, ZeroPiecesMessage zeroPieces)
    : lines_(orderLines),
      labels_(labelRows),
      rs_(rs),
      trap_(std::move(trap)),
      zeroPieces_(std::move(zeroPieces)) {
  for (const auto& [to, from] : kCopied) copies_.push_back({labelField(to), lineField(from)});
  for (const LabelMeasure& m : kLabelMeasures)
    measures_.push_back({labelField(m.label), labelField(m.perUnit), lineField(m.orderLine)});
  selezione_ = labelField("SELEZIONE");
  tipoRiga_ = labelField("TIPORIGA");
  idRigaOrdine_ = labelField("IDRIGAORDINE");
  idGriglia_ = labelField("IDGRIGLIA");
  qtaOrd_ = labelField("QTAORD");
  qtaOrdTmp_ = labelField("QTAORDTMP");
  qtaSuEtich_ = labelField("QTASUETICH");
  numVsDoc_ = labelField("DO33_NUMVSDOC");
  umPeso_ = labelField("MG68_UMPESO");
  umVolume_ = labelField("MG68_UMVOLUME");
  umCapac_ = labelField("MG68_UMCAPAC");
  umDimen_ = labelField("MG68_UMDIMEN");
  altez_ = labelField("MG68_ALTEZ");
  largh_ = labelField("MG68_LARGH");
  prof_ = labelField("MG68_PROF");
  lineUmPeso_ = lineField("DO30_UMPESO");
  lineUmVolume_ = lineField("DO30_UMVOLUME");
  lineUmCapac_ = lineField("DO30_UMCAPAC");
  lineAltezza_ = lineField("DO30_ALTEZZA");
  lineBase_ = lineField("DO30_BASE");
  lineProfondita_ = lineField("DO30_PROFONDITA");
  linePzConf_ = lineField("DO30_PZCONF");
  lineNumNsDoc_ = lineField("DO33_NUMNSDOC");
  lineSezNsDoc_ = lineField("DO33_SEZNSDOC");
  lineQta1Res_ = lineField("QTAORD1");
  lineQta2Res_ = lineField("QTAORD2");
  lineQta1Cons_ = lineField("DO31_QTA1CONS");
  lineQta2Cons_ = lineField("DO31_QTA2CONS");
}

int LabelExpansion::labelField(const char* name) const {
  const int f = labels_.fieldIndex(name);
  if (f < 0)
    throw Error(err::kItemNotFound, "DAZO_BRISKAL", std::string("The label rows have no field ") + name);
  return f;
}

int LabelExpansion::lineField(const char* name) const {
  const int f = lines_.fieldIndex(name);
  if (f < 0)
    throw Error(err::kItemNotFound, "DAZO_BRISKAL", std::string("The order lines have no column ") + name);
  return f;
}

void LabelExpansion::expandAll(const ExpansionOptions& options) {
  gridCounter_ = 0;
  lineCounter_ = 1;
  lines_.moveFirst();
  while (!lines_.eof()) {
    addMasterRow(options);
    if (options.basis == QuantityBasis::Unit) {
      trap_("CaricaRigheUnitarie", [&] { CaricaRigheUnitarie(q_); });
    } else if (options.basis == QuantityBasis::Package) {
      trap_("CaricaRighePerConfezione", [&] { CaricaRighePerConfezione(q_); });
    } else if (options.basis == QuantityBasis::Custom) {
      trap_("CaricaRighePersonalizzate", [&] { CaricaRighePersonalizzate(q_, options.labelsPerLine); });
    }
    labels_.update();
    lines_.moveNext();
    ++lineCounter_;
    ++gridCounter_;
  }
}

Decimal LabelExpansion::baseQuantity(const ExpansionOptions& options) const {
  const int column = options.firstUnit ? (options.delivered ? lineQta1Cons_ : lineQta1Res_)
                                       : (options.delivered ? lineQta2Cons_ : lineQta2Res_);
  const Value quantity = NVL(line(column), Value(Decimal()));
  const Decimal q = toDecimal(quantity, rs_);
  return q > Decimal() ? q : Decimal();
}

void LabelExpansion::addMasterRow(const ExpansionOptions& options) {
  labels_.addNew();
  master_ = labels_.bookmark();
  set(selezione_, Value(selection::kPrinted));
  set(tipoRiga_, Value("M"));
  set(idRigaOrdine_, Value(lineCounter_));
  set(idGriglia_, Value(gridCounter_));
  for (const Copy& c : copies_) set(c.to, line(c.from));
  set(numVsDoc_, concat(concat(line(lineNumNsDoc_), Value("/"), rs_), line(lineSezNsDoc_), rs_));
  q_ = baseQuantity(options);
  set(qtaOrd_, Value(q_));
  set(qtaOrdTmp_, Value(q_));
}

void LabelExpansion::commonPart() {
  set(umPeso_, line(lineUmPeso_));
  set(umVolume_, line(lineUmVolume_));
  set(umCapac_, line(lineUmCapac_));
  set(umDimen_, Value(""));
  set(altez_, line(lineAltezza_));
  set(largh_, line(lineBase_));
  set(prof_, line(lineProfondita_));
  for (const Measure& m : measures_) set(m.unit, line(m.source));
}

void LabelExpansion::addLabelRow(const char* selection, const Value& quantity) {
  labels_.addNewLike(master_);
  set(selezione_, Value(selection));
  set(tipoRiga_, Value("D"));
  set(idGriglia_, Value(++gridCounter_));
  set(qtaOrd_, Value());
  set(qtaSuEtich_, quantity);
}

// The measure rule: k times the per-unit value, rounded to 5 decimals; empty text when the order
// line has no value.
void LabelExpansion::setMeasures(const Value& k) {
  const Decimal factor = toDecimal(k, rs_);
  for (const Measure& m : measures_) {
    const Value source = line(m.source);
    const Value present = NVL(source, Value(""));
    if (present.isText() && present.asText().empty()) {
      set(m.label, Value(""));
    } else {
      set(m.label, Value(Arrotonda(Value(factor * toDecimal(source, rs_)), 5, rs_)));
    }
  }
}

void LabelExpansion::copyMeasures() {
  for (const Measure& m : measures_) set(m.label, line(m.source));
}

void LabelExpansion::CaricaRigheUnitarie(const Decimal& q) {
  set(qtaSuEtich_, kOne);
  commonPart();
  if (q < Decimal(1)) {
    set(qtaSuEtich_, Value(q));
    setMeasures(Value(q));
    return;
  }
  copyMeasures();
  labels_.update();
  const Decimal whole = q.floor();
  const int64_t units = whole.toInt64();
  for (int64_t i = 1; i < units; ++i) {
    addLabelRow(selection::kPrinted, kOne);
    copyMeasures();
    labels_.update();
  }
  const Decimal r = q - whole;
  if (r > Decimal()) {
    addLabelRow(selection::kPrinted, Value(r));
    setMeasures(Value(r));
    labels_.update();
  }
}

void LabelExpansion::CaricaRighePerConfezione(const Decimal& q) {
  commonPart();
  const Decimal p = toDecimal(NVL(line(linePzConf_), Value(Decimal())), rs_);
  if (q < p) {
    set(selezione_, Value(selection::kBelowOnePackage));
    set(qtaSuEtich_, Value(q));
    setMeasures(Value(q));
    return;
  }
  setMeasures(Value(p));
  if (p.isZero()) {
    zeroPieces_();
    set(selezione_, Value(selection::kBelowOnePackage));
    set(qtaSuEtich_, Value(Decimal()));
    return;
  }
  const int64_t n = (q / p).floor().toInt64();
  const Decimal r = q - Decimal(n) * p;
  if (n == 0) {
    set(selezione_, Value(selection::kBelowOnePackage));
    set(qtaSuEtich_, Value(p));
    return;
  }
  set(selezione_, Value(selection::kPrinted));
  set(qtaSuEtich_, Value(p));
  // Every full package gets its label, also when a package holds less than one piece.
  for (int64_t i = 1; i < n; ++i) {
    addLabelRow(selection::kPrinted, Value(p));
    setMeasures(Value(p));
  }
  if (!r.isZero()) {
    addLabelRow(selection::kPrinted, Value(Arrotonda(Value(r), 6, rs_)));
    setMeasures(Value(r));
  }
}

void LabelExpansion::CaricaRighePersonalizzate(const Decimal& q, const std::string& labelsPerLine) {
  commonPart();
  set(selezione_, Value(selection::kPrinted));
  const int32_t m = toInt32(Value(labelsPerLine), rs_);
  if (m <= 0) throw Error(err::kDivisionByZero, "DAZO_BRISKAL", "The number of labels must be above zero");
  const Decimal t = q / Decimal(m);
  const Decimal i(static_cast<int64_t>(toInt32(Value(t.floor()), rs_)));
  if (t > Decimal(1) && m == 1) {
    set(qtaSuEtich_, Value(t));
    setMeasures(Value(t));
    return;
  }
  if (t > Decimal(1)) {
    set(qtaSuEtich_, Value(i));
    setMeasures(Value(i));
    for (int32_t k = 0; k < m - 2; ++k) {
      addLabelRow(selection::kPrinted, Value(i));
      setMeasures(Value(i));
    }
    if (m > 1) {
      const Value last(Arrotonda(Value(q - Decimal(m - 1) * i), 6, rs_));
      addLabelRow(selection::kPrinted, last);
      setMeasures(last);
    }
    return;
  }
  const Value share(Arrotonda(Value(t), 4, rs_));
  set(qtaSuEtich_, share);
  for (int32_t k = 0; k < m - 1; ++k) {
    addLabelRow(selection::kPrinted, share);
    setMeasures(share);
  }
}

}  // namespace briskal::labelrows
