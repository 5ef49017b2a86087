#include "hostkit/designer/support_fields.h"

#include "output/print_support.h"

namespace briskal::hostkit::designer {
namespace {

// clang-format off
constexpr std::pair<const char*, const char*> kCaptions[] = {
    {"SELEZIONE", "Etichetta selezionata"},                    {"DO11_DITTA_CG18", "Ditta"},
    {"DO11_NUMREG_CO99", "Numero registrazione"},  {"DO11_NUMDOC", "Numero ordine"},
    {"DO11_SEZDOC", "Sezionale documento"},        {"DO11_CODREP_PD07", "Codice reparto documento"},
    {"DESCREP_DOC", "Reparto documento"},          {"DO11_DATADOC", "Data ordine"},
    {"DO11_DATAREG", "Data registrazione"},        {"DO30_PROGRIGA", "Numero riga ordine"},
    {"DO30_CODART_MG66", "Codice articolo"},       {"DO30_OPZIONE_MG5E", "Variante"},
    {"DO30_DESCART", "Descrizione articolo"},      {"DO30_CODDEP_MG58", "Deposito"},
    {"MG58_DESCRDEP", "Descrizione deposito"},     {"DO30_UM1", "I U.M."},
    {"DO30_QTA1", "Quantità I U.M."},              {"DO30_UM2", "II U.M."},
    {"DO30_QTA2", "Quantità II U.M."},             {"DO30_PZCONF", "Pezzi per confezione riga"},
    {"DO30_UMPESO", "U.M. peso"},                  {"DO30_PESON", "Peso netto riga"},
    {"DO30_PESOL", "Peso lordo riga"},             {"DO30_TARA", "Tara"},
    {"DO30_UMCAPAC", "U.M. capacità"},             {"DO30_CAPACITA", "Capacità riga"},
    {"DO30_UMVOLUME", "U.M. volume"},              {"DO30_VOLUME", "Volume riga"},
    {"DO30_BASE", "Base"},                         {"DO30_ALTEZZA", "Altezza riga"},
    {"DO30_PROFONDITA", "Profondità riga"},        {"MG68_UMDIMEN", "U.M. dimensioni"},
    {"MG68_ALTEZ", "Altezza"},                     {"MG68_PROF", "Profondità"},
    {"MG68_LARGH", "Larghezza"},                   {"MG68_PZCONF", "Pezzi per confezione"},
    {"DO31_DATACONS", "Data consegna"},            {"DO31_DATACONSINT", "Data consegna interna"},
    {"DO31_QTA1CONS", "Quantità consegnata I U.M."}, {"DO31_QTA2CONS", "Quantità consegnata II U.M."},
    {"DO41_CODPROGETTO", "Progetto"},              {"DO41_CODSPROGETTO", "S. progetto"},
    {"DO41_CODCOMMESSA", "N. commessa"},           {"DO41_CODSCOMMESSA", "N. sottocommessa"},
    {"DO46_CODFASE", "Fase"},                      {"DO46_PROGDET", "Dettaglio fase"},
    {"DO46_CODREPARTO", "Codice reparto"},         {"PD07_DESCR", "Reparto"},
    {"DO46_MACCHINAALT", "Codice macchina"},       {"PD08_DESCR", "Macchina"},
    {"DO46_CLIFOR_CG44", "Codice terzista"},       {"DO46_TIPOCF_CG44", "Tipo terzista"},
    {"PD12_CODICE_PD01", "Linea"},                 {"PD01_DESCR", "Descrizione linea"},
    {"MG66_FAM_MG53", "Famiglia"},                 {"MG66_SFAM_MG54", "Sottofamiglia"},
    {"MG66_GRUPPO_MG55", "Gruppo"},                {"MG66_SGRUPPO_MG56", "Sottogruppo"},
    {"MG66_GRUSTAT1_MG74", "Gruppo statistico 1"}, {"MG66_GRUSTAT2_MG75", "Gruppo statistico 2"},
    {"MG66_GRUSTAT3_MG76", "Gruppo statistico 3"}, {"MG66_GRUSTAT4_MG77", "Gruppo statistico 4"},
    {"DO33_NUMNSDOC", "Numero ordine origine"},    {"DO33_SEZNSDOC", "Sezionale ordine origine"},
    {"DO33_NUMVSDOC", "Numero ordine cliente"},    {"DO30_CODARTCLI", "Codice articolo cliente"},
    {"DO11_CLIFOR_CG44", "Codice cliente"},        {"DO11_TIPOCF_CG44", "Tipo cliente"},
    {"CG16_RAGSOANAG", "Ragione sociale cliente"}, {"CG16_INDIRIZZO", "Via"},
    {"CG16_CAP", "Cap"},                           {"CG16_CITTA", "Località"},
    {"CG16_PROV", "Provincia"},                    {"IDRIGAORDINE", "Progressivo riga"},
    {"TIPORIGA", "Tipo riga"},                     {"QTARESIDUA", "Qta residua"},
    {"QTARESIDUAORI", "Qta residua originale"},    {"QTASUETICH", "Quantità per etichetta"},
    {"PESONETTO", "Peso netto"},                   {"PESOLORDO", "Peso lordo"},
    {"VOLUME", "Volume"},                          {"CAPACITA", "Capacità"},
};
// clang-format on

}  // namespace

const std::vector<SupportField>& supportFields() {
  static const std::vector<SupportField> fields = [] {
    // In the print support's own order, which is the order its fields are documented in.
    const std::unique_ptr<data::Recordset> support = output::CreaSupportoStampaPersonalizzata();
    std::vector<SupportField> out;
    for (size_t f = 0; f < support->fieldCount(); ++f) {
      const std::string name = support->field(f).name;
      std::string caption = name;
      for (const auto& [field, text] : kCaptions)
        if (name == field) caption = text;
      out.push_back({name, caption});
    }
    return out;
  }();
  return fields;
}

std::unique_ptr<data::Recordset> captionRecord(
    const std::function<std::string(const std::string&)>& caption) {
  auto record = std::make_unique<data::Recordset>();
  for (const SupportField& f : supportFields()) record->appendField(f.name, data::FieldType::VarWChar, 255);
  record->open();
  record->addNew();
  for (const SupportField& f : supportFields())
    record->setValue(f.name, Value("[" + caption(f.caption) + "]"));
  record->update();
  record->moveFirst();
  return record;
}

}  // namespace briskal::hostkit::designer
