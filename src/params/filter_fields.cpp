#include "params/filter_fields.h"

#include <array>

#include "host/controls.h"

namespace briskal::params {
namespace {

using host::FilterValueKind;

struct OrdinaryField {
  const char* caption;
  const char* column;
  FilterValueKind kind;
  int length;
};

constexpr FilterValueKind kText = FilterValueKind::Text;
constexpr FilterValueKind kNumber = FilterValueKind::Number;
constexpr FilterValueKind kDate = FilterValueKind::Date;

constexpr std::array<OrdinaryField, 26> kFields = {{
    {"Sezionale doc.", "DO11_SEZDOC", kText, 2},
    {"Numero doc.", "DO11_NUMDOC", kNumber, 7},
    {"Numero riga doc.", "DO30_PROGRIGA", kNumber, 6},
    {"Data doc.", "DO11_DATADOC", kDate, 0},
    {"Data reg. doc.", "DO11_DATAREG", kDate, 0},
    {"Data consegna", "DO31_DATACONS", kDate, 0},
    {"Data consegna confermata", "DO31_DATACONSINT", kDate, 0},
    {"Reparto", "DO11_CODREP_PD07", kText, 5},
    {"Progetto", "DO41_CODPROGETTO", kText, 25},
    {"Sottoprogetto", "DO41_CODSPROGETTO", kNumber, 4},
    {"Nodo", "DO41_NODORIF_PD0C", kText, 0},
    {"Commessa", "DO41_CODCOMMESSA", kText, 25},
    {"Sottocommessa", "DO41_CODSCOMMESSA", kNumber, 4},
    {"Famiglia", "MG66_FAM_MG53", kText, 4},
    {"Sottofamiglia", "MG66_SFAM_MG54", kText, 4},
    {"Gruppo", "MG66_GRUPPO_MG55", kText, 4},
    {"Sottogruppo", "MG66_SGRUPPO_MG56", kText, 4},
    {"Gruppo statistico 1", "MG66_GRUSTAT1_MG74", kText, 4},
    {"Gruppo statistico 2", "MG66_GRUSTAT2_MG75", kText, 4},
    {"Gruppo statistico 3", "MG66_GRUSTAT3_MG76", kText, 4},
    {"Gruppo statistico 4", "MG66_GRUSTAT4_MG77", kText, 4},
    {"Cliente doc. origine", "TORDCLI.DO11_CLIFOR_CG44", kNumber, 6},
    {"Sez. doc. origine", "TORDCLI.DO11_SEZDOC", kText, 0},
    {"Num. doc. origine", "TORDCLI.DO11_NUMDOC", kNumber, 0},
    {"Data doc. origine", "TORDCLI.DO11_DATADOC", kDate, 0},
    {"Riga doc. origine", "DO33_PROGRIGARIF_DO30", kNumber, 6},
}};

template <typename F>
void skippingFailure(F&& declare) {
  try {
    declare();
  } catch (...) {
    // The set-up ignores its errors: the field is simply not offered.
  }
}

}  // namespace

std::string filterColumn(std::string_view caption) {
  for (const OrdinaryField& f : kFields)
    if (caption == f.caption) return f.column;
  return {};
}

void ImpostaCampiFiltro(host::QueryFilterControl& filter) {
  for (size_t i = 0; i < kFields.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    host::FilterField field;
    field.page = "Default";
    field.caption = kFields[i].caption;
    field.column = kFields[i].column;
    field.ordinary = true;
    field.position = number;
    field.kind = kFields[i].kind;
    field.maxLength = kFields[i].length;
    // Fields 1-3 and 8-24 carry the further flag; the dates and field 26 do not.
    field.further = (number >= 1 && number <= 3) || (number >= 8 && number <= 24);
    if (number == 22) field.extra = {Value(""), Value(false), Value(true), Value(""), Value(int32_t{2})};
    skippingFailure([&] { filter.addField(field); });
  }
  skippingFailure([&] {
    filter.addStatusField({"Default", "Stato ordine (Stati)", "VS_DO11.V_IDSTATO", false, 27, 7});
  });
  skippingFailure([&] {
    filter.addStatusField({"Default", "Stato riga (Stati)", "VS_DO30.V_IDSTATO", false, 28, 8});
  });
  skippingFailure([&] { filter.addAttributeGroup({"Default", false, 6, "CO5L_PRO"}); });
  skippingFailure([&] { filter.addAttributeGroup({"Default", false, 7, "CO5L_NOD"}); });
  skippingFailure([&] { filter.addAttributeGroup({"Default", false, 19, "CO5L_DOT"}); });
  skippingFailure([&] { filter.addAttributeGroup({"Default", false, 20, "CO5L_DOC"}); });
}

}  // namespace briskal::params
