#include "output/print_support.h"

#include <string>
#include <utility>
#include <vector>

#include "common/convert.h"
#include "common/error.h"
#include "common/routines.h"

namespace briskal::output {
namespace {

using data::FieldType;

struct SupportField {
  const char* name;
  FieldType type;
  int size;  // characters, or precision for decimals
  int scale;
  bool nullable;
};

constexpr FieldType C = FieldType::Char;
constexpr FieldType W = FieldType::VarWChar;
constexpr FieldType D = FieldType::Decimal;
constexpr FieldType T = FieldType::Date;
constexpr FieldType V = FieldType::Variant;

// clang-format off
constexpr SupportField kFields[] = {
    {"SELEZIONE", C, 1, 0, false},          {"DO11_DITTA_CG18", D, 5, 0, false},    {"DO11_NUMREG_CO99", C, 12, 0, false},
    {"DO11_NUMDOC", D, 7, 0, false},        {"DO11_SEZDOC", C, 2, 0, false},        {"DO11_CODREP_PD07", C, 5, 0, true},
    {"DESCREP_DOC", W, 40, 0, true},        {"DO11_DATADOC", T, 0, 0, false},       {"DO11_DATAREG", T, 0, 0, false},
    {"DO30_PROGRIGA", D, 6, 0, false},      {"DO30_CODART_MG66", C, 25, 0, true},   {"DO30_OPZIONE_MG5E", C, 20, 0, true},
    {"DO30_DESCART", W, 1600, 0, true},     {"DO30_CODDEP_MG58", C, 2, 0, true},    {"MG58_DESCRDEP", W, 40, 0, true},
    {"DO30_UM1", C, 3, 0, true},            {"DO30_QTA1", D, 14, 3, true},          {"DO30_UM2", C, 3, 0, true},
    {"DO30_QTA2", D, 14, 3, true},          {"DO30_PZCONF", D, 9, 3, true},         {"DO30_UMPESO", C, 3, 0, true},
    {"DO30_PESON", D, 12, 5, true},         {"DO30_PESOL", D, 12, 5, true},         {"DO30_TARA", D, 12, 5, true},
    {"DO30_UMCAPAC", C, 3, 0, true},        {"DO30_CAPACITA", D, 12, 5, true},      {"DO30_UMVOLUME", C, 3, 0, true},
    {"DO30_VOLUME", D, 12, 5, true},        {"DO30_BASE", D, 12, 5, true},          {"DO30_ALTEZZA", D, 12, 5, true},
    {"DO30_PROFONDITA", D, 12, 5, true},    {"MG68_UMDIMEN", C, 3, 0, true},        {"MG68_ALTEZ", D, 10, 4, true},
    {"MG68_PROF", D, 10, 4, true},          {"MG68_LARGH", D, 10, 4, true},         {"MG68_PZCONF", D, 9, 3, true},
    {"DO31_DATACONS", T, 0, 0, true},       {"DO31_DATACONSINT", T, 0, 0, true},    {"DO31_QTA1CONS", D, 14, 3, false},
    {"DO31_QTA2CONS", D, 14, 3, false},     {"DO41_CODPROGETTO", C, 25, 0, true},   {"DO41_CODSPROGETTO", D, 4, 0, true},
    {"DO41_CODCOMMESSA", C, 25, 0, true},   {"DO41_CODSCOMMESSA", D, 4, 0, true},   {"DO46_CODFASE", D, 5, 0, true},
    {"DO46_PROGDET", D, 3, 0, true},        {"DO46_CODREPARTO", C, 5, 0, true},     {"PD07_DESCR", W, 40, 0, true},
    {"DO46_MACCHINAALT", C, 20, 0, true},   {"PD08_DESCR", W, 40, 0, true},         {"DO46_CLIFOR_CG44", D, 5, 0, true},
    {"DO46_TIPOCF_CG44", D, 1, 0, true},    {"PD12_CODICE_PD01", C, 5, 0, true},    {"PD01_DESCR", W, 40, 0, true},
    {"MG66_FAM_MG53", C, 4, 0, true},       {"MG66_SFAM_MG54", C, 4, 0, true},      {"MG66_GRUPPO_MG55", C, 4, 0, true},
    {"MG66_SGRUPPO_MG56", C, 4, 0, true},   {"MG66_GRUSTAT1_MG74", C, 4, 0, true},  {"MG66_GRUSTAT2_MG75", C, 4, 0, true},
    {"MG66_GRUSTAT3_MG76", C, 4, 0, true},  {"MG66_GRUSTAT4_MG77", C, 4, 0, true},  {"DO33_NUMNSDOC", D, 7, 0, true},
    {"DO33_SEZNSDOC", C, 2, 0, true},       {"DO33_NUMVSDOC", W, 15, 0, true},      {"DO30_CODARTCLI", C, 25, 0, true},
    {"DO11_CLIFOR_CG44", D, 5, 0, true},    {"DO11_TIPOCF_CG44", D, 1, 0, true},    {"CG16_RAGSOANAG", W, 60, 0, true},
    {"CG16_INDIRIZZO", W, 40, 0, true},     {"CG16_CAP", C, 12, 0, true},           {"CG16_CITTA", W, 40, 0, true},
    {"CG16_PROV", C, 2, 0, true},           {"IDRIGAORDINE", D, 0, 0, true},        {"TIPORIGA", C, 1, 0, true},
    {"QTARESIDUA", D, 14, 3, true},         {"QTARESIDUAORI", D, 14, 3, true},      {"QTASUETICH", D, 14, 3, false},
    {"PESONETTO", V, 0, 0, true},           {"PESOLORDO", V, 0, 0, true},           {"VOLUME", V, 0, 0, true},
    {"CAPACITA", V, 0, 0, true},
};
// clang-format on
static_assert(std::size(kFields) == 82);

// Support field <- label-row field.
constexpr std::pair<const char*, const char*> kFromLabel[] = {
    {"IDRIGAORDINE", "IDRIGAORDINE"}, {"TIPORIGA", "TIPORIGA"},     {"QTARESIDUA", "QTAORD"},
    {"QTARESIDUAORI", "QTAORDTMP"},   {"QTASUETICH", "QTASUETICH"}, {"PESONETTO", "MG68_PESON"},
    {"PESOLORDO", "MG68_PESOL"},      {"VOLUME", "MG68_VOLUME"},    {"CAPACITA", "MG68_CAPAC"},
};

// Empty text in a decimal field of the label rows is "no value" for a typed field.
Value typed(const Value& v, FieldType type) {
  if (type != FieldType::Variant && v.isText() && Trim(v.asText()).empty()) return Value::null();
  if (type != FieldType::Variant && v.isEmpty()) return Value::null();
  return v;
}

}  // namespace

std::unique_ptr<data::Recordset> CreaSupportoStampaPersonalizzata() {
  auto support = std::make_unique<data::Recordset>();
  for (const SupportField& f : kFields) {
    const int32_t attributes = f.nullable ? data::attr::kIsNullable : data::attr::kUnspecified;
    support->appendField(f.name, f.type, f.size, attributes);
    if (f.type == D && f.size > 0) {
      support->editableField(f.name).precision = static_cast<uint8_t>(f.size);
      support->editableField(f.name).numericScale = static_cast<uint8_t>(f.scale);
    }
  }
  support->setCursorLocation(data::cursor::kUseClient);
  support->setCursorType(data::cursor::kOpenDynamic);
  support->setLockType(data::lock::kOptimistic);
  support->open();
  return support;
}

void AlimentaSupportoStampaPersonalizzata(data::Recordset& orderLines, data::Recordset& labelRows,
                                          data::Recordset& support) {
  if (orderLines.recordCount() == 0 || labelRows.recordCount() == 0) return;
  const RegionalSettings& rs = RegionalSettings::italian();
  // Support field -> order-line column, resolved once.
  std::vector<std::pair<size_t, int>> fromLine;
  for (size_t f = 1; f < 73; ++f) {
    const std::string name = support.field(f).name;
    fromLine.emplace_back(f, orderLines.fieldIndex(name == "DESCREP_DOC" ? "DESCREPTESTAOL" : name));
  }
  // A label row names the order line it was expanded from by its ordinal in the order lines, so
  // an order line that the view returns twice (once per cycle detail) still gives each of its
  // labels once, with the data of its own row.
  std::unique_ptr<data::Recordset> lines = orderLines.clone();
  const int64_t lineCount = lines->recordCount();
  std::unique_ptr<data::Recordset> labels = labelRows.clone();
  if (!labelRows.sort().empty()) labels->setSort(labelRows.sort());
  for (; !labels->eof(); labels->moveNext()) {
    if (RTrim(toText(NVL(labels->value("SELEZIONE"), Value("")), rs)) != "1") continue;
    const Value ordinal = labels->value("IDRIGAORDINE");
    if (ordinal.isNull() || ordinal.isEmpty()) continue;
    const int64_t line = toInt64(ordinal, rs);
    if (line < 1 || line > lineCount) continue;
    lines->setAbsolutePosition(line);
    try {
      support.addNew();
      support.setValue("SELEZIONE", Value("S"));
      for (const auto& [to, from] : fromLine)
        if (from >= 0)
          support.setValue(to, typed(lines->value(static_cast<size_t>(from)), support.field(to).type));
      for (const auto& [to, from] : kFromLabel)
        support.setValue(to, typed(labels->value(from), support.field(to).type));
      support.update();
    } catch (const Error& e) {
      // Whoever is told must be able to find the label.
      throw Error(e.number(), e.source(),
                  "Label of order " + toText(NVL(labels->value("DO11_NUMDOC"), Value("")), rs) + " line " +
                      toText(NVL(labels->value("DO30_PROGRIGA"), Value("")), rs) + ": " + e.description());
    }
  }
}

}  // namespace briskal::output
