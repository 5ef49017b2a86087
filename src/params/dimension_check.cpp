#include "params/dimension_check.h"

#include <array>
#include <limits>
#include <string>

#include "common/convert.h"
#include "common/error.h"
#include "common/routines.h"
#include "common/utf8.h"

namespace briskal::params {
namespace {

struct PrintLength {
  std::string_view field;
  int16_t length;
};

// clang-format off
constexpr std::array<PrintLength, 36> kLengths = {{
    {"DO11_SEZDOC", 2},         {"DO11_NUMDOC", 7},         {"DO30_PROGRIGA", 6},
    {"DO33_NUMVSDOC", 10},      {"DO30_CODART_MG66", 25},   {"DO30_OPZIONE_MG5E", 20},
    {"DO30_DESCART", 36},       {"DO30_UM1", 3},            {"DO30_UM2", 3},
    {"DO30_QTA1", 14},          {"DO30_QTA2", 14},          {"QTASUETICH", 10},
    {"MG68_PZCONF", 5},         {"MG68_PESON", 14},         {"MG68_PESOL", 14},
    {"MG68_VOLUME", 14},        {"MG68_CAPAC", 14},         {"MG68_ALTEZ", 14},
    {"MG68_LARGH", 14},         {"MG68_PROF", 14},          {"DO30_CODARTCLI", 25},
    {"D031_DATACONS", 10},      {"DO41_CODPROGETTO", 25},   {"DO41_CODCOMMESSA", 25},
    {"DO41_CODSPROGETTO", 4},   {"DO41_CODSCOMMESSA", 4},   {"DO30_CODDEP_MG58", 2},
    {"DO11_CODREP_PD07", 46},   {"PD12_CODICE_PD01", 46},   {"PD12_MACCHINA_PD08", 61},
    {"DO11_CLIFOR_CG44", 5},    {"CG16_RAGSOANAG", 60},     {"CG16_INDIRIZZO", 40},
    {"CG16_CITTA", 40},         {"CG16_CAP", 10},           {"CG16_PROV", 2},
}};
// clang-format on

int16_t add16(int32_t a, int32_t b) {
  const int32_t sum = a + b;
  if (sum < std::numeric_limits<int16_t>::min() || sum > std::numeric_limits<int16_t>::max()) throwOverflow();
  return static_cast<int16_t>(sum);
}

std::string textOf(const Value& v, const RegionalSettings& rs) {
  const Value text = NVL(v, Value(""));
  return toText(text, rs);
}

// Adds the next field of a row to the running count `c`; `length` carries the last field length
// measured, for fields the table does not know.
void addField(const data::Recordset& layout, bool first, int16_t& c, int16_t& length,
              const RegionalSettings& rs) {
  length = fieldPrintLength(textOf(layout.value("PD45_DATAFIELD"), rs), length);
  int16_t width = length;
  if (toInt32(NVL(layout.value("PD45_FLGLBLCAMPO"), Value(int16_t{0})), rs) == 1) {
    const std::string caption(RTrim(textOf(layout.value("PD45_CAMPO"), rs)));
    width = add16(add16(static_cast<int32_t>(utf8::length(caption)), width), 1);
  }
  const int16_t position = toInt16(NVL(layout.value("PD45_POSINI"), Value(int16_t{0})), rs);
  if (first) width = add16(width, position);
  else if (position > c) c = position;
  c = add16(add16(c, width), 1);
}

int16_t rowOf(const data::Recordset& layout, const RegionalSettings& rs) {
  return toInt16(NVL(layout.value("PD45_RIGA"), Value(int16_t{0})), rs);
}

}  // namespace

int16_t fieldPrintLength(std::string_view dataField, int16_t previous) {
  for (const PrintLength& entry : kLengths)
    if (entry.field == dataField) return entry.length;
  return previous;
}

std::optional<RowMeasure> measureRowUpTo(const data::Recordset& layout, int16_t row, int16_t sequence,
                                         const RegionalSettings& rs) {
  std::unique_ptr<data::Recordset> clone = layout.clone();
  if (clone->eof()) return std::nullopt;
  clone->moveFirst();
  clone->setSort("PD45_RIGA, PD45_SEQSTP");
  if (clone->eof()) return std::nullopt;
  clone->moveFirst();
  clone->setFilter("PD45_RIGA = " + std::to_string(row) + " AND PD45_SEQSTP <= " + std::to_string(sequence));
  if (clone->eof()) return std::nullopt;
  RowMeasure measure;
  measure.row = rowOf(*clone, rs);
  int16_t length = 0;
  for (bool first = true; !clone->eof(); clone->moveNext(), first = false)
    addField(*clone, first, measure.characters, length, rs);
  return measure;
}

DimensionVerdict checkLabelDimensions(data::Recordset& layout, int16_t height, int16_t width,
                                      const RegionalSettings& rs) {
  DimensionVerdict verdict;
  if (height != 0) {
    layout.setSort("PD45_RIGA, PD45_SEQSTP");
    if (!layout.eof()) {
      layout.moveLast();
      if (rowOf(layout, rs) > height) {
        verdict.ok = false;
        verdict.tooHigh = true;
        return verdict;
      }
    }
  }
  if (width == 0) return verdict;
  if (layout.eof() && layout.bof()) return verdict;
  layout.moveFirst();
  int16_t length = 0;
  while (!layout.eof()) {
    const int16_t row = rowOf(layout, rs);
    int16_t c = 0;
    for (bool first = true; !layout.eof() && rowOf(layout, rs) == row; layout.moveNext(), first = false)
      addField(layout, first, c, length, rs);
    if (c > width) {
      verdict.ok = false;
      verdict.tooWideRow = row;
      layout.movePrevious();
      return verdict;
    }
  }
  layout.moveFirst();
  return verdict;
}

}  // namespace briskal::params
