#include "params/layout_rows.h"

#include <array>

namespace briskal::params {
namespace {

struct CatalogueEntry {
  const char* caption;
  int32_t textNumber;
  const char* dataField;
};

// The two quantity entries both name QTASUETICH, and "Via" shares its text number with the
// customer name: both as the catalogue has always had them.
constexpr std::array<CatalogueEntry, 36> kCatalogue = {{
    {"Numero ordine", 41456, "DO11_NUMDOC"},
    {"Numero riga ordine", 74604, "DO30_PROGRIGA"},
    {"Sezionale documento", 52248, "DO11_SEZDOC"},
    {"Numero ordine cliente", 41460, "DO33_NUMVSDOC"},
    {"Codice articolo", 12021, "DO30_CODART_MG66"},
    {"Variante", 60287, "DO30_OPZIONE_MG5E"},
    {"Descrizione articolo", 21175, "DO30_DESCART"},
    {"I U.M.", 74605, "DO30_UM1"},
    {"Quantità I U.M.", 74606, "DO30_QTA1"},
    {"II U.M.", 74607, "DO30_UM2"},
    {"Quantità II U.M.", 74608, "DO30_QTA2"},
    {"Quantità per etichetta", 64773, "QTASUETICH"},
    {"Quantità per confezioni", 74609, "QTASUETICH"},
    {"Peso netto", 44440, "MG68_PESON"},
    {"Peso lordo", 44424, "MG68_PESOL"},
    {"Volume", 61321, "MG68_VOLUME"},
    {"Capacità", 9866, "MG68_CAPAC"},
    {"Altezza", 6035, "MG68_ALTEZ"},
    {"Larghezza", 35306, "MG68_LARGH"},
    {"Profondità", 45402, "MG68_PROF"},
    {"Codice articolo cliente", 12034, "DO30_CODARTCLI"},
    {"Data consegna", 17972, "D031_DATACONS"},
    {"Progetto", 45482, "DO41_CODPROGETTO"},
    {"S. progetto", 50033, "DO41_CODSPROGETTO"},
    {"N. commessa", 74610, "DO41_CODCOMMESSA"},
    {"N. sottocommessa", 74611, "DO41_CODSCOMMESSA"},
    {"Deposito", 20411, "DO30_CODDEP_MG58"},
    {"Reparto", 48533, "DO11_CODREP_PD07"},
    {"Linea", 35781, "PD12_CODICE_PD01"},
    {"Macchina", 36431, "PD12_MACCHINA_PD08"},
    {"Codice cliente", 12335, "DO11_CLIFOR_CG44"},
    {"Ragione sociale cliente", 47977, "CG16_RAGSOANAG"},
    {"Via", 47977, "CG16_INDIRIZZO"},
    {"Cap", 9804, "CG16_CAP"},
    {"Località", 36188, "CG16_CITTA"},
    {"Provincia", 46104, "CG16_PROV"},
}};

}  // namespace

std::unique_ptr<data::Recordset> newLayoutRows() {
  using data::FieldType;
  auto rows = std::make_unique<data::Recordset>();
  rows->appendField("PD45_RIGA", FieldType::Decimal, 2);
  rows->appendField("PD45_SEQSTP", FieldType::Decimal, 2);
  rows->appendField("PD45_CAMPO", FieldType::VarWChar, 40);
  rows->appendField("PD45_DATAFIELD", FieldType::VarWChar, 40);
  rows->appendField("PD45_POSINI", FieldType::Decimal, 4);
  rows->appendField("PD45_FLGLBLCAMPO", FieldType::Decimal, 3);
  rows->appendField("PD45_WIDTH", FieldType::Decimal, 5);
  rows->appendField("PD45_HEIGHT", FieldType::Decimal, 5);
  rows->setCursorLocation(data::cursor::kUseClient);
  rows->setCursorType(data::cursor::kOpenDynamic);
  rows->setLockType(data::lock::kOptimistic);
  rows->open();
  return rows;
}

void addDefaultLayout(data::Recordset& rows, const Translator& translate) {
  int16_t number = 0;
  for (const CatalogueEntry& entry : kCatalogue) {
    ++number;
    rows.addNew();
    rows.setValue("PD45_RIGA", Value(number));
    rows.setValue("PD45_SEQSTP", Value(int16_t{1}));
    rows.setValue("PD45_CAMPO", Value(translate(entry.caption, entry.textNumber)));
    rows.setValue("PD45_DATAFIELD", Value(entry.dataField));
    rows.setValue("PD45_POSINI", Value(int16_t{0}));
    rows.setValue("PD45_FLGLBLCAMPO", Value(int16_t{1}));
  }
  rows.update();
}

}  // namespace briskal::params
