#include "layouts/layout_table.h"

#include <chrono>
#include <random>
#include <thread>
#include <utility>

#include "common/convert.h"
#include "common/routines.h"
#include "data/dialect.h"
#include "data/provider_error.h"

namespace briskal::layouts {
namespace {

// Several workstations saving at the same moment take numbers in turn; under load a save may
// lose the race a few times, so it tries often, each time after a short pause of its own length.
constexpr int kAttempts = 25;

// The code as the criteria compare it: in its 10-character form, quoted.
std::string codeLiteral(std::string_view code) {
  return data::textLiteral(layoutCode(code), data::Dialect::Other);
}

int32_t nextNumber(data::Connection& connection, const RegionalSettings& rs) {
  const data::StatementResult result =
      connection.execute("SELECT MAX (PD45_PROGRIGA) AS PROGRIGA FROM PD45_CONFIGETICH");
  const Value highest = result.rows && result.rows->rowCount > 0 ? result.rows->cells[0] : Value::null();
  return toInt32(NVL(highest, Value(int32_t{1})), rs) + 1;
}

// The header row, then one detail row per layout line in row and sequence order.
void addRows(data::Recordset& table, data::Recordset& lines, const LayoutHeader& header, int32_t number) {
  table.addNew();
  table.setValue("PD45_CODICE", Value(header.code));
  table.setValue("PD45_TITOLO", Value(header.title));
  table.setValue("PD45_WIDTH", header.width);
  table.setValue("PD45_HEIGHT", header.height);
  table.setValue("PD45_RIGA", Value(int32_t{0}));
  table.setValue("PD45_SEQSTP", Value(int32_t{0}));
  table.setValue("PD45_CAMPO", Value(""));
  table.setValue("PD45_DATAFIELD", Value::null());
  table.setValue("PD45_POSINI", Value(int32_t{0}));
  table.setValue("PD45_PROGRIGA", Value(int32_t{0}));
  table.setValue("PD45_FLGLBLCAMPO", Value(int32_t{0}));
  table.setValue("PD45_DISTANZA", header.distance);
  table.setValue("PD45_INDQTARIP", header.printedQuantity);
  table.update();
  for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
    table.addNew();
    table.setValue("PD45_CODICE", Value(header.code));
    table.setValue("PD45_TITOLO", Value(header.title));
    for (const char* field :
         {"PD45_RIGA", "PD45_SEQSTP", "PD45_CAMPO", "PD45_DATAFIELD", "PD45_POSINI", "PD45_FLGLBLCAMPO"})
      table.setValue(field, lines.value(field));
    table.setValue("PD45_PROGRIGA", Value(number++));
    table.update();
  }
}

// Whether a layout `code` has its header row in the table now, whoever wrote it.
bool layoutExists(data::Connection& connection, std::string_view code) {
  // Stored without its trailing blanks; compared so on every database.
  const Value parameters[] = {Value(std::string(RTrim(layoutCode(code))))};
  const data::StatementResult found = connection.execute(
      "SELECT COUNT(*) AS N FROM PD45_CONFIGETICH WHERE PD45_CODICE = ? AND PD45_PROGRIGA = 0", parameters);
  return found.rows && found.rows->rowCount > 0 &&
         toInt64(found.rows->cells[0], RegionalSettings::english()) > 0;
}

bool isKeyClash(const data::DriverError& e) {
  for (const auto& error : e.errors())
    if (error.sqlState.rfind("23", 0) == 0) return true;
  return false;
}

}  // namespace

std::string layoutCode(std::string_view code) { return StringaFissa(code, 10); }

LayoutSavedElsewhere::LayoutSavedElsewhere(std::string code)
    : Error(err::kProviderError, "PD45_CONFIGETICH",
            "Un'altra postazione ha appena salvato la personalizzazione " + code +
                ": salvare di nuovo per sostituirla."),
      code_(std::move(code)) {}

std::string layoutListSql() {
  return std::string(
             "SELECT PD45_CODICE, PD45_TITOLO, PD45_WIDTH, PD45_HEIGHT, PD45_DISTANZA, PD45_INDQTARIP") +
         " FROM PD45_CONFIGETICH" + " WHERE PD45_PROGRIGA = 0" + " ORDER BY PD45_PROGRIGA";
}

std::string layoutTableSql() { return std::string("SELECT  *") + " FROM PD45_CONFIGETICH"; }

std::string layoutRowsFilter(std::string_view code) { return "PD45_CODICE = " + codeLiteral(code); }

std::string layoutDetailFilter(std::string_view code) {
  return "PD45_CODICE = " + codeLiteral(code) + " AND PD45_PROGRIGA <> 0 ";
}

void replaceLayout(data::Connection& connection, data::Recordset& table, data::Recordset& lines,
                   const LayoutHeader& header, bool deleteExisting, const RegionalSettings& rs) {
  lines.setSort("PD45_RIGA , PD45_SEQSTP");
  const bool hasLines = !(lines.bof() && lines.eof());
  for (int attempt = 1;; ++attempt) {
    table.setFilter("");
    try {
      data::PendingBatch batch(table);
      data::Transaction transaction(connection);
      if (deleteExisting) {
        table.setFilter(layoutRowsFilter(header.code));
        table.deleteShown();
        table.setFilter("");
      }
      if (hasLines) addRows(table, lines, header, nextNumber(connection, rs));
      batch.write();
      transaction.commit();
      return;
    } catch (const data::DriverError& e) {
      if (!isKeyClash(e) || attempt == kAttempts) throw;
      // Another workstation saved a layout of this very code since the list was read: saving
      // again would clash again. Replacing it is the person's decision, asked on the next save.
      if (!deleteExisting && layoutExists(connection, header.code))
        throw LayoutSavedElsewhere(std::string(RTrim(layoutCode(header.code))));
      // Another workstation took these numbers between our read and our write: read again.
      std::this_thread::sleep_for(std::chrono::milliseconds(attempt * (5 + std::random_device{}() % 10)));
    }
  }
}

void deleteLayout(data::Recordset& table, std::string_view code) {
  table.setFilter(layoutRowsFilter(code));
  data::PendingBatch batch(table);
  table.deleteShown();
  batch.write();
  table.setFilter("");
}

}  // namespace briskal::layouts
