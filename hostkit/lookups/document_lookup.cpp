#include "hostkit/lookups/document_lookup.h"

#include <array>

#include "data/dialect.h"
#include "data/recordset.h"
#include "hostkit/lookups/code_decoder.h"
#include "hostkit/lookups/code_tables.h"

namespace briskal::hostkit {
namespace {

// clang-format off
constexpr std::array kKinds = {
  DocumentKind{15, 0, "OC"},    // customer orders
  DocumentKind{21, 3, "OCLA"},  // subcontracting orders from customers
  DocumentKind{24, 20, "OLI"},  // production work orders
  DocumentKind{25, 1, "OCLP"},  // subcontracting orders to suppliers
};
// clang-format on

constexpr std::string_view kHeaders =
    "SELECT DO11_NUMREG_CO99, DO11_TIPODOC, DO11_SEZDOC, DO11_NUMDOC, DO11_DATADOC, DO11_CLIFOR_CG44,"
    " CG16_RAGSOANAG"
    " FROM DO11_TESTATE"
    " LEFT OUTER JOIN CG44_CLIFOR ON CG44_DITTA_CG18 = DO11_DITTA_CG18 AND CG44_TIPOCF = DO11_TIPOCF_CG44"
    " AND CG44_CLIFOR = DO11_CLIFOR_CG44"
    " LEFT OUTER JOIN CG16_ANAGRAFICA ON CG16_CODICE = CG44_CODICE_CG16";

constexpr std::string_view kLines =
    "SELECT DO30_NUMREG_CO99, DO30_PROGRIGA, DO30_CODART_MG66, DO30_DESCART, DO30_UM1, DO30_QTA1"
    " FROM DO30_RIGHE WHERE DO30_NUMREG_CO99 = ";

std::unique_ptr<data::Recordset> openRows(const std::string& sql, data::Connection& connection) {
  auto rows = std::make_unique<data::Recordset>();
  rows->setCursorLocation(data::cursor::kUseClient);
  rows->open(sql, connection, data::cursor::kOpenStatic, data::lock::kReadOnly);
  return rows;
}

// The search list of a recordset's rows, one cell a column of `columns`.
SearchList listOf(data::Recordset& rows, const std::string& title, std::vector<std::string> headings,
                  const std::vector<std::string_view>& columns, std::vector<size_t> described,
                  const RegionalSettings& regional) {
  SearchList list{title, std::move(headings), {}, std::move(described)};
  std::vector<size_t> fields;
  for (std::string_view c : columns) fields.push_back(static_cast<size_t>(rows.fieldIndex(c)));
  list.rows.reserve(static_cast<size_t>(std::max<int64_t>(rows.recordCount(), 0)));
  for (std::unique_ptr<data::Recordset> walk = rows.clone(); !walk->eof(); walk->moveNext()) {
    std::vector<std::string>& row = list.rows.emplace_back();
    for (size_t f : fields) row.push_back(cellText(walk->value(f), regional));
  }
  return list;
}

}  // namespace

DocumentKind documentKind(int32_t type) {
  for (const DocumentKind& k : kKinds)
    if (k.type == type) return k;
  return {type, 0, ""};
}

DocumentFinder::DocumentFinder(SearchListDriver screen) : screen_(std::move(screen)) {}

std::vector<int32_t> DocumentFinder::offeredTypes(const host::DocumentLookupRequest& request) {
  const Value company = tables_.company();
  const data::ResultSet types = tables_.rows(
      "SELECT DISTINCT DO11_TIPODOC FROM DO11_TESTATE WHERE DO11_DITTA_CG18 = ? ORDER BY DO11_TIPODOC",
      std::span(&company, 1));
  std::vector<int32_t> offered;
  for (const Value& cell : types.cells) {
    const std::optional<int64_t> type = wholeNumber(cell);
    if (!type) continue;
    const DocumentKind kind = documentKind(static_cast<int32_t>(*type));
    bool select = kind.type == request.documentType && kind.subKind == request.subKind;
    bool cancel = false;
    if (onAddNode_) onAddNode_(Value(kind.type), Value(kind.subKind), Value(kind.code), select, cancel);
    if (select && !cancel) offered.push_back(kind.type);
  }
  return offered;
}

bool DocumentFinder::show(const host::DocumentLookupRequest& request) {
  const std::vector<int32_t> types = offeredTypes(request);
  const std::optional<int64_t> company = wholeNumber(tables_.company());
  if (!company) return false;
  std::string sql = std::string(kHeaders) + " WHERE DO11_DITTA_CG18 = " + std::to_string(*company) +
                    " AND DO11_TIPODOC IN (";
  for (size_t i = 0; i < types.size(); ++i) sql += (i ? ", " : "") + std::to_string(types[i]);
  sql += types.empty() ? "NULL)" : ")";
  sql += " ORDER BY DO11_SEZDOC, DO11_NUMDOC";
  data::Connection& connection = tables_.connection();
  std::unique_ptr<data::Recordset> headers = openRows(sql, connection);
  const SearchList documents =
      listOf(*headers, request.title, {"Numero", "Sezionale", "Data", "Intestatario"},
             {"DO11_NUMDOC", "DO11_SEZDOC", "DO11_DATADOC", "CG16_RAGSOANAG"}, {3}, tables_.regional());
  const std::optional<size_t> document = screen_ ? screen_(documents) : std::nullopt;
  if (!document || *document >= documents.rows.size()) return false;
  headers->setAbsolutePosition(static_cast<int64_t>(*document) + 1);

  const std::string registration = cellText(headers->value("DO11_NUMREG_CO99"), tables_.regional());
  std::unique_ptr<data::Recordset> lines = openRows(
      std::string(kLines) + data::textLiteral(registration, connection.dialect()) + " ORDER BY DO30_PROGRIGA",
      connection);
  if (request.pickLine) {
    const SearchList lineList =
        listOf(*lines, request.title, {"Riga", "Articolo", "Descrizione", "U.M.", "Quantità"},
               {"DO30_PROGRIGA", "DO30_CODART_MG66", "DO30_DESCART", "DO30_UM1", "DO30_QTA1"}, {1, 2},
               tables_.regional());
    const std::optional<size_t> line = screen_ ? screen_(lineList) : std::nullopt;
    if (!line || *line >= lineList.rows.size()) return false;
    lines->setAbsolutePosition(static_cast<int64_t>(*line) + 1);
  }
  bool cancel = false;
  if (onSelection_) onSelection_(cancel, *lines, *headers);
  return !cancel;
}

}  // namespace briskal::hostkit
