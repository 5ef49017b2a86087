#include "labelrows/label_rows.h"

#include <array>

namespace briskal::labelrows {
namespace {

using data::FieldType;

struct FieldSpec {
  const char* name;
  FieldType type;
  int64_t size;
};

constexpr FieldType kChar = FieldType::Char;
constexpr FieldType kDecimal = FieldType::Decimal;
constexpr FieldType kText = FieldType::VarWChar;
constexpr FieldType kVariant = FieldType::Variant;

// clang-format off
constexpr std::array<FieldSpec, 52> kNullableBeforeKey = {{
    {"SELEZIONE", kChar, 1},           {"DO11_SEZDOC", kChar, 2},          {"DO11_NUMDOC", kDecimal, 7},
    {"DO11_CODREP_PD07", kChar, 5},    {"PD07_DESCR", kText, 40},          {"DO11_CLIFOR_CG44", kDecimal, 5},
    {"DO30_PROGRIGA", kDecimal, 6},    {"DO30_CODDEP_MG58", kChar, 2},     {"DO30_CODART_MG66", kChar, 25},
    {"DO30_OPZIONE_MG5E", kChar, 20},  {"DO30_DESCART", kText, 3600},      {"DO30_UM1", kChar, 3},
    {"DO30_UM2", kChar, 3},            {"DO30_QTA1", kVariant, 20},        {"DO30_QTA2", kVariant, 20},
    {"MG68_PESON", kVariant, 16},      {"MG68_PESOL", kVariant, 16},       {"MG68_UMPESO", kChar, 3},
    {"MG68_VOLUME", kVariant, 16},     {"MG68_UMVOLUME", kChar, 3},        {"MG68_CAPAC", kVariant, 16},
    {"MG68_UMCAPAC", kChar, 3},        {"MG68_ALTEZ", kVariant, 16},       {"MG68_LARGH", kVariant, 16},
    {"MG68_PROF", kVariant, 16},       {"MG68_UMDIMEN", kChar, 3},         {"DO30_CODARTCLI", kChar, 25},
    {"D031_DATACONS", FieldType::Date, 0}, {"DO33_NUMVSDOC", kText, 10},   {"DO41_CODPROGETTO", kChar, 25},
    {"DO41_CODSPROGETTO", kDecimal, 4}, {"DO41_CODCOMMESSA", kChar, 25},   {"DO41_CODSCOMMESSA", kDecimal, 4},
    {"PD12_CODICE_PD01", kChar, 5},    {"PD01_DESCR", kText, 40},          {"PD12_MACCHINA_PD08", kChar, 20},
    {"PD08_DESCR", kText, 40},         {"CG16_RAGSOANAG", kText, 60},      {"CG16_INDIRIZZO", kText, 40},
    {"CG16_CAP", kChar, 10},           {"CG16_CITTA", kText, 40},          {"CG16_PROV", kChar, 2},
    {"QTAORD", kVariant, 17},          {"QTASUETICH", kVariant, 15},       {"MG68_PZCONF", kVariant, 15},
    {"IDRIGAORDINE", kDecimal, 5},     {"TIPORIGA", kChar, 1},             {"QTAORDTMP", kVariant, 17},
    {"MG68_PESONUNIT", kVariant, 16},  {"MG68_PESOLUNIT", kVariant, 16},   {"MG68_VOLUMEUNIT", kVariant, 16},
    {"MG68_CAPACUNIT", kVariant, 16},
}};
// clang-format on

}  // namespace

std::unique_ptr<data::Recordset> newLabelRows() {
  auto rows = std::make_unique<data::Recordset>();
  for (const FieldSpec& f : kNullableBeforeKey)
    rows->appendField(f.name, f.type, f.size, data::attr::kIsNullable);
  rows->appendField("DO11_NUMREG_CO99", kChar, 12, data::attr::kUnspecified);
  rows->appendField("IDGRIGLIA", kDecimal, 0, data::attr::kUnspecified);
  rows->editableField("IDGRIGLIA").precision = 10;
  rows->editableField("IDGRIGLIA").numericScale = 0;
  rows->appendField("DO31_QTA1CONS", kVariant, 20, data::attr::kIsNullable);
  rows->appendField("DO31_QTA2CONS", kVariant, 20, data::attr::kIsNullable);
  rows->setCursorLocation(data::cursor::kUseClient);
  rows->setCursorType(data::cursor::kOpenDynamic);
  rows->setLockType(data::lock::kOptimistic);
  rows->open();
  return rows;
}

}  // namespace briskal::labelrows
