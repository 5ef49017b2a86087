#include "hostkit/lookups/code_tables.h"

#include <array>
#include <charconv>

#include "common/decimal.h"
#include "common/routines.h"

namespace briskal::hostkit {
namespace {

using host::CodeKind;

// clang-format off
const std::array kTables = {
  CodeTable{CodeKind::DocumentSection, 0, "DO11_TESTATE", "DO11_DITTA_CG18", "DO11_SEZDOC", "", {}, {}, ""},
  CodeTable{CodeKind::Depot, 0, "MG58_DEPOSITI", "MG58_DITTA_CG18", "MG58_CODICE", "MG58_DESCRDEP",
            {"MG58_CODICE"}, {}, ""},
  CodeTable{CodeKind::Department, 0, "PD07_REPARTI", "PD07_DITTA_CG18", "PD07_CODICE", "PD07_DESCR",
            {"PD07_CODICE"}, {}, ""},
  CodeTable{CodeKind::Project, 0, "PD68_PROGETTI", "PD68_DITTA_CG18", "PD68_CODPROGETTO", "PD68_DESCR",
            {"PD68_CODPROGETTO", "PD68_CODSPROGETTO"}, {"PD68_CODSPROGETTO"}, ""},
  CodeTable{CodeKind::SubProject, 0, "PD68_PROGETTI", "PD68_DITTA_CG18", "PD68_CODSPROGETTO", "PD68_DESCR",
            {"PD68_CODPROGETTO", "PD68_CODSPROGETTO"}, {"PD68_CODPROGETTO"}, "PD68_CODSPROGETTO <> 0"},
  CodeTable{CodeKind::Node, 0, "PD0C_NODI", "PD0C_DITTA_CG18", "PD0C_CODICE", "PD0C_DESCR",
            {"PD0C_CODPROGETTO_PD68", "PD0C_CODICE"}, {"PD0C_CODPROGETTO_PD68"}, ""},
  CodeTable{CodeKind::Job, 0, "PD69_COMMESSE", "PD69_DITTA_CG18", "PD69_CODCOMMESSA", "PD69_DESCR",
            {"PD69_CODCOMMESSA", "PD69_CODSCOMMESSA"}, {}, "PD69_CODSCOMMESSA = 0"},
  CodeTable{CodeKind::SubJob, 0, "PD69_COMMESSE", "PD69_DITTA_CG18", "PD69_CODSCOMMESSA", "PD69_DESCR",
            {"PD69_CODCOMMESSA", "PD69_CODSCOMMESSA"}, {"PD69_CODCOMMESSA"}, "PD69_CODSCOMMESSA <> 0"},
  CodeTable{CodeKind::Family, 0, "MG53_FAMIGLIE", "MG53_DITTA_CG18", "MG53_CODICE", "MG53_DESCR",
            {"MG53_CODICE"}, {}, ""},
  CodeTable{CodeKind::SubFamily, 0, "MG54_SOTTOFAMIGLIE", "MG54_DITTA_CG18", "MG54_CODICE", "MG54_DESCR",
            {"MG54_CODICE", "MG54_CODFAM_MG53"}, {"MG54_CODFAM_MG53"}, ""},
  CodeTable{CodeKind::Group, 0, "MG55_GRUPPI", "MG55_DITTA_CG18", "MG55_CODICE", "MG55_DESCR",
            {"MG55_CODICE", "MG55_CODFAM_MG53", "MG55_CODSFAM_MG54"},
            {"MG55_CODFAM_MG53", "MG55_CODSFAM_MG54"}, ""},
  CodeTable{CodeKind::SubGroup, 0, "MG56_SOTTOGRUPPI", "MG56_DITTA_CG18", "MG56_CODICE", "MG56_DESCR",
            {"MG56_CODICE", "MG56_CODFAM_MG53", "MG56_CODSFAM_MG54", "MG56_CODGRUPPO_MG55"},
            {"MG56_CODFAM_MG53", "MG56_CODSFAM_MG54", "MG56_CODGRUPPO_MG55"}, ""},
  CodeTable{CodeKind::StatisticalGroup, 1, "MG74_GRUSTAT1", "MG74_DITTA_CG18", "MG74_CODICE", "MG74_DESCR",
            {"MG74_CODICE"}, {}, ""},
  CodeTable{CodeKind::StatisticalGroup, 2, "MG75_GRUSTAT2", "MG75_DITTA_CG18", "MG75_CODICE", "MG75_DESCR",
            {"MG75_CODICE"}, {}, ""},
  CodeTable{CodeKind::StatisticalGroup, 3, "MG76_GRUSTAT3", "MG76_DITTA_CG18", "MG76_CODICE", "MG76_DESCR",
            {"MG76_CODICE"}, {}, ""},
  CodeTable{CodeKind::StatisticalGroup, 4, "MG77_GRUSTAT4", "MG77_DITTA_CG18", "MG77_CODICE", "MG77_DESCR",
            {"MG77_CODICE"}, {}, ""},
  CodeTable{CodeKind::Customer, 0,
            "CG44_CLIFOR INNER JOIN CG16_ANAGRAFICA ON CG44_CODICE_CG16 = CG16_CODICE",
            "CG44_DITTA_CG18", "CG44_CLIFOR", "CG16_RAGSOANAG",
            {"CG44_TIPOCF", "CG44_CLIFOR"}, {}, "CG44_TIPOCF = 0"},
};

// Numeric key columns, and the value a blank one stands for where a blank has a meaning: a
// project's own row is its sub-project 0.
struct NumericColumn {
  std::string_view column;
  std::optional<int64_t> blank;
};
const std::array kNumericColumns = {
  NumericColumn{"PD68_CODSPROGETTO", 0},
  NumericColumn{"PD69_CODSCOMMESSA", std::nullopt},
  NumericColumn{"CG44_TIPOCF", std::nullopt},
  NumericColumn{"CG44_CLIFOR", std::nullopt},
};

struct Heading {
  std::string_view column;
  std::string_view text;
};
const std::array kParentHeadings = {
  Heading{"PD68_CODSPROGETTO", "Sottoprogetto"},
  Heading{"PD68_CODPROGETTO", "Progetto"},
  Heading{"PD0C_CODPROGETTO_PD68", "Progetto"},
  Heading{"PD69_CODCOMMESSA", "Commessa"},
  Heading{"MG54_CODFAM_MG53", "Famiglia"},
  Heading{"MG55_CODFAM_MG53", "Famiglia"},
  Heading{"MG55_CODSFAM_MG54", "Sottofamiglia"},
  Heading{"MG56_CODFAM_MG53", "Famiglia"},
  Heading{"MG56_CODSFAM_MG54", "Sottofamiglia"},
  Heading{"MG56_CODGRUPPO_MG55", "Gruppo"},
};
// clang-format on

const NumericColumn* numericColumn(std::string_view column) {
  for (const NumericColumn& n : kNumericColumns)
    if (n.column == column) return &n;
  return nullptr;
}

std::string wherePrefix(const CodeTable& table) {
  return " FROM " + std::string(table.from) + " WHERE " + std::string(table.companyColumn) + " = ?";
}

}  // namespace

std::optional<int64_t> wholeNumber(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Int16: return value.asInt16();
    case Value::Kind::Int32: return value.asInt32();
    case Value::Kind::Int64: return value.asInt64();
    case Value::Kind::Decimal: {
      const Decimal d = value.asDecimal();
      if (!(d == Decimal(d.toInt64()))) return std::nullopt;
      return d.toInt64();
    }
    case Value::Kind::Text: {
      const std::string_view text = Trim(value.asText());
      int64_t n = 0;
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
      if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
      return n;
    }
    default: return std::nullopt;
  }
}

const CodeTable* codeTable(host::CodeKind kind, int grouping) {
  for (const CodeTable& t : kTables)
    if (t.kind == kind && (kind != CodeKind::StatisticalGroup || t.grouping == grouping)) return &t;
  return nullptr;
}

std::optional<Value> keyValue(std::string_view column, const Value& value) {
  if (const NumericColumn* numeric = numericColumn(column)) {
    if (isBlank(value)) return numeric->blank ? std::optional<Value>(Value(*numeric->blank)) : std::nullopt;
    const std::optional<int64_t> n = wholeNumber(value);
    return n ? std::optional<Value>(Value(*n)) : std::nullopt;
  }
  if (isBlank(value)) return std::nullopt;
  if (value.kind() != Value::Kind::Text) return std::nullopt;
  return Value(std::string(RTrim(value.asText())));
}

std::optional<BoundQuery> decodeQuery(const CodeTable& table, const Value& company,
                                      const std::vector<Value>& key) {
  if (key.size() != table.key.size()) return std::nullopt;
  BoundQuery q{
      "SELECT " + std::string(table.description.empty() ? "1" : table.description) + wherePrefix(table),
      {company}};
  for (size_t i = 0; i < key.size(); ++i) {
    std::optional<Value> v = keyValue(table.key[i], key[i]);
    if (!v) return std::nullopt;
    q.sql += " AND " + std::string(table.key[i]) + " = ?";
    q.params.push_back(std::move(*v));
  }
  return q;
}

BoundQuery listQuery(const CodeTable& table, const Value& company, const std::vector<Value>& parents) {
  std::string columns(table.codeColumn);
  if (!table.description.empty()) columns += ", " + std::string(table.description);
  for (std::string_view p : table.parents) columns += ", " + std::string(p);
  // A kind without a description is a value the documents carry, listed once each.
  const char* select = table.description.empty() ? "SELECT DISTINCT " : "SELECT ";
  BoundQuery q{select + columns + wherePrefix(table), {company}};
  if (!table.listCondition.empty()) q.sql += " AND " + std::string(table.listCondition);
  for (size_t i = 0; i < table.parents.size() && i < parents.size(); ++i) {
    std::optional<Value> v = keyValue(table.parents[i], parents[i]);
    if (!v) continue;
    q.sql += " AND " + std::string(table.parents[i]) + " = ?";
    q.params.push_back(std::move(*v));
  }
  q.sql += " ORDER BY " + std::string(table.codeColumn);
  for (std::string_view p : table.parents) q.sql += ", " + std::string(p);
  return q;
}

std::vector<std::string> listHeadings(const CodeTable& table) {
  std::vector<std::string> headings{"Codice"};
  if (!table.description.empty()) headings.emplace_back("Descrizione");
  for (std::string_view p : table.parents) {
    for (const Heading& h : kParentHeadings)
      if (h.column == p) headings.emplace_back(h.text);
  }
  return headings;
}

}  // namespace briskal::hostkit
