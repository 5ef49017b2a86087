#pragma once
// Helpers shared by the demo database suites: reading results by column name, the order-line
// query as the component writes it (SQL Server dialect) and the columns a label reads from it.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "common/utf8.h"
#include "data/connection.h"

namespace briskal::hostkit::demo_test {

inline data::ResultSet query(data::Connection& connection, std::string_view sql) {
  data::StatementResult result = connection.execute(sql);
  if (!result.rows) ADD_FAILURE() << "no rows from " << sql;
  return result.rows ? std::move(*result.rows) : data::ResultSet{};
}

inline const Value& cell(const data::ResultSet& rows, size_t row, size_t column) {
  return rows.cells.at(row * rows.columns.size() + column);
}

// The first column of that name, in any case.
inline size_t columnIndex(const data::ResultSet& rows, std::string_view name) {
  for (size_t c = 0; c < rows.columns.size(); ++c) {
    if (utf8::equalsNoCase(rows.columns[c].name, name)) return c;
  }
  ADD_FAILURE() << "no column " << name;
  return 0;
}

inline int64_t integerOf(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Int16: return v.asInt16();
    case Value::Kind::Int32: return v.asInt32();
    case Value::Kind::Int64: return v.asInt64();
    case Value::Kind::Decimal: return v.asDecimal().toInt64();
    default: ADD_FAILURE() << "not a whole number: " << v.debugString(); return 0;
  }
}

// `residual` is "QTAORD1", "QTAORD2" or empty for no residual condition.
inline std::string orderLineQuery(int company, std::string_view residual, bool skipSettled, int type) {
  std::string sql =
      "SELECT * FROM VDO11_BRISKAL"
      " LEFT OUTER JOIN VFILTROSTATI AS VS_DO11 WITH (NOLOCK) ON DO11_GUID = VS_DO11.V_GUID "
      " LEFT OUTER JOIN VFILTROSTATI AS VS_DO30 WITH (NOLOCK) ON DO30_GUID = VS_DO30.V_GUID "
      " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_PRO WITH (NOLOCK) ON PD68_GUID = CO5L_PRO.CO5L_GUID "
      " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_DOT WITH (NOLOCK) ON DO11_GUID = CO5L_DOT.CO5L_GUID "
      " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_DOC WITH (NOLOCK) ON DO11_GUID = CO5L_DOC.CO5L_GUID "
      " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_NOD WITH (NOLOCK) ON PD0C_GUID = CO5L_NOD.CO5L_GUID "
      " WHERE DO11_DITTA_CG18 = " +
      std::to_string(company) + " ";
  if (!residual.empty()) sql.append(" AND ").append(residual).append(" > 0 ");
  if (skipSettled) sql.append(" AND ISNULL(DO31_FLGNONPIUEV,0) = 0 ");
  sql.append(" AND DO11_TIPODOC = ").append(std::to_string(type));
  sql.append(" ORDER BY DO30_NUMREG_CO99, DO30_PROGRIGA, DO46_PROGDET ");
  return sql;
}

// Every column a label reads from an order line, with the type the print support gives it.
struct ExpectedColumn {
  const char* name;
  data::FieldType type;  // Char, VarWChar, Decimal or Date
  int size;              // characters, or the precision of a decimal
  int scale;
  bool nullable;
};

inline constexpr ExpectedColumn kPrintedColumns[] = {
    {"DO11_DITTA_CG18", data::FieldType::Decimal, 5, 0, false},
    {"DO11_NUMREG_CO99", data::FieldType::Char, 12, 0, false},
    {"DO11_NUMDOC", data::FieldType::Decimal, 7, 0, false},
    {"DO11_SEZDOC", data::FieldType::Char, 2, 0, false},
    {"DO11_CODREP_PD07", data::FieldType::Char, 5, 0, true},
    {"DESCREPTESTAOL", data::FieldType::VarWChar, 40, 0, true},
    {"DO11_DATADOC", data::FieldType::Date, 0, 0, false},
    {"DO11_DATAREG", data::FieldType::Date, 0, 0, false},
    {"DO30_PROGRIGA", data::FieldType::Decimal, 6, 0, false},
    {"DO30_CODART_MG66", data::FieldType::Char, 25, 0, true},
    {"DO30_OPZIONE_MG5E", data::FieldType::Char, 20, 0, true},
    {"DO30_DESCART", data::FieldType::VarWChar, 1600, 0, true},
    {"DO30_CODDEP_MG58", data::FieldType::Char, 2, 0, true},
    {"MG58_DESCRDEP", data::FieldType::VarWChar, 40, 0, true},
    {"DO30_UM1", data::FieldType::Char, 3, 0, true},
    {"DO30_QTA1", data::FieldType::Decimal, 14, 3, true},
    {"DO30_UM2", data::FieldType::Char, 3, 0, true},
    {"DO30_QTA2", data::FieldType::Decimal, 14, 3, true},
    {"DO30_PZCONF", data::FieldType::Decimal, 9, 3, true},
    {"DO30_UMPESO", data::FieldType::Char, 3, 0, true},
    {"DO30_PESON", data::FieldType::Decimal, 12, 5, true},
    {"DO30_PESOL", data::FieldType::Decimal, 12, 5, true},
    {"DO30_TARA", data::FieldType::Decimal, 12, 5, true},
    {"DO30_UMCAPAC", data::FieldType::Char, 3, 0, true},
    {"DO30_CAPACITA", data::FieldType::Decimal, 12, 5, true},
    {"DO30_UMVOLUME", data::FieldType::Char, 3, 0, true},
    {"DO30_VOLUME", data::FieldType::Decimal, 12, 5, true},
    {"DO30_BASE", data::FieldType::Decimal, 12, 5, true},
    {"DO30_ALTEZZA", data::FieldType::Decimal, 12, 5, true},
    {"DO30_PROFONDITA", data::FieldType::Decimal, 12, 5, true},
    {"MG68_UMDIMEN", data::FieldType::Char, 3, 0, true},
    {"MG68_ALTEZ", data::FieldType::Decimal, 10, 4, true},
    {"MG68_PROF", data::FieldType::Decimal, 10, 4, true},
    {"MG68_LARGH", data::FieldType::Decimal, 10, 4, true},
    {"MG68_PZCONF", data::FieldType::Decimal, 9, 3, true},
    {"DO31_DATACONS", data::FieldType::Date, 0, 0, true},
    {"DO31_DATACONSINT", data::FieldType::Date, 0, 0, true},
    {"DO31_QTA1CONS", data::FieldType::Decimal, 14, 3, false},
    {"DO31_QTA2CONS", data::FieldType::Decimal, 14, 3, false},
    {"DO41_CODPROGETTO", data::FieldType::Char, 25, 0, true},
    {"DO41_CODSPROGETTO", data::FieldType::Decimal, 4, 0, true},
    {"DO41_CODCOMMESSA", data::FieldType::Char, 25, 0, true},
    {"DO41_CODSCOMMESSA", data::FieldType::Decimal, 4, 0, true},
    {"DO46_CODFASE", data::FieldType::Decimal, 5, 0, true},
    {"DO46_PROGDET", data::FieldType::Decimal, 3, 0, true},
    {"DO46_CODREPARTO", data::FieldType::Char, 5, 0, true},
    {"PD07_DESCR", data::FieldType::VarWChar, 40, 0, true},
    {"DO46_MACCHINAALT", data::FieldType::Char, 20, 0, true},
    {"PD08_DESCR", data::FieldType::VarWChar, 40, 0, true},
    {"DO46_CLIFOR_CG44", data::FieldType::Decimal, 5, 0, true},
    {"DO46_TIPOCF_CG44", data::FieldType::Decimal, 1, 0, true},
    {"PD12_CODICE_PD01", data::FieldType::Char, 5, 0, true},
    {"PD01_DESCR", data::FieldType::VarWChar, 40, 0, true},
    {"MG66_FAM_MG53", data::FieldType::Char, 4, 0, true},
    {"MG66_SFAM_MG54", data::FieldType::Char, 4, 0, true},
    {"MG66_GRUPPO_MG55", data::FieldType::Char, 4, 0, true},
    {"MG66_SGRUPPO_MG56", data::FieldType::Char, 4, 0, true},
    {"MG66_GRUSTAT1_MG74", data::FieldType::Char, 4, 0, true},
    {"MG66_GRUSTAT2_MG75", data::FieldType::Char, 4, 0, true},
    {"MG66_GRUSTAT3_MG76", data::FieldType::Char, 4, 0, true},
    {"MG66_GRUSTAT4_MG77", data::FieldType::Char, 4, 0, true},
    {"DO33_NUMNSDOC", data::FieldType::Decimal, 7, 0, true},
    {"DO33_SEZNSDOC", data::FieldType::Char, 2, 0, true},
    {"DO33_NUMVSDOC", data::FieldType::VarWChar, 15, 0, true},
    {"DO30_CODARTCLI", data::FieldType::Char, 25, 0, true},
    {"DO11_CLIFOR_CG44", data::FieldType::Decimal, 5, 0, true},
    {"DO11_TIPOCF_CG44", data::FieldType::Decimal, 1, 0, true},
    {"CG16_RAGSOANAG", data::FieldType::VarWChar, 60, 0, true},
    {"CG16_INDIRIZZO", data::FieldType::VarWChar, 40, 0, true},
    {"CG16_CAP", data::FieldType::Char, 12, 0, true},
    {"CG16_CITTA", data::FieldType::VarWChar, 40, 0, true},
    {"CG16_PROV", data::FieldType::Char, 2, 0, true},
};

// The further columns the order-line query and its filters rely on.
inline constexpr const char* kQueriedColumns[] = {
    "DO11_GUID",        "DO30_GUID",        "PD68_GUID",     "PD0C_GUID",         "DO11_TIPODOC",
    "DO31_FLGNONPIUEV", "DO30_NUMREG_CO99", "QTAORD1",       "QTAORD2",           "TORIG_CODCLIFOR",
    "TORIG_SEZDOC",     "TORIG_NUMDOC",     "TORIG_DATADOC", "DO41_NODORIF_PD0C", "DO33_PROGRIGARIF_DO30",
};

inline size_t characters(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}

// Reads every printed and queried column of VDO11_BRISKAL by name and checks its declared type
// and that every value fits it.
inline void expectPrintedColumnsFit(data::Connection& connection) {
  std::string sql = "SELECT ";
  for (const auto& c : kPrintedColumns) sql.append(c.name).append(", ");
  for (const char* name : kQueriedColumns) sql.append(name).append(", ");
  sql.resize(sql.size() - 2);
  const data::ResultSet rows = query(connection, sql + " FROM VDO11_BRISKAL");
  if (rows.rowCount == 0) {
    ADD_FAILURE() << "the view is empty";
    return;
  }
  for (size_t c = 0; c < std::size(kPrintedColumns); ++c) {
    const ExpectedColumn& expected = kPrintedColumns[c];
    SCOPED_TRACE(expected.name);
    const data::Field& field = rows.columns[c];
    // psqlODBC describes a VARCHAR longer than 255 characters as long text.
    const bool longText =
        field.type == data::FieldType::LongVarWChar && expected.type == data::FieldType::VarWChar;
    if (!longText) {
      EXPECT_EQ(field.type, expected.type);
    }
    if (expected.type == data::FieldType::Decimal) {
      EXPECT_EQ(field.precision, expected.size);
      EXPECT_EQ(field.numericScale, expected.scale);
    } else if (expected.type != data::FieldType::Date && !longText) {
      EXPECT_EQ(field.definedSize, expected.size);
    }
    bool sawValue = false;
    for (size_t r = 0; r < rows.rowCount; ++r) {
      const Value& v = cell(rows, r, c);
      if (v.isNull()) {
        if (expected.nullable) continue;
        ADD_FAILURE() << "Null in row " << r;
        break;
      }
      sawValue = true;
      bool fits = false;
      switch (expected.type) {
        case data::FieldType::Decimal:
          fits = v.kind() == Value::Kind::Decimal &&
                 v.asDecimal().integerDigits() <= expected.size - expected.scale;
          break;
        case data::FieldType::Date: fits = v.isDate() && v.asDate().year() == 2026; break;
        default: fits = v.isText() && characters(v.asText()) <= static_cast<size_t>(expected.size); break;
      }
      if (!fits) {
        ADD_FAILURE() << "row " << r << " holds " << v.debugString();
        break;
      }
    }
    EXPECT_TRUE(sawValue) << "never filled";
  }
}

}  // namespace briskal::hostkit::demo_test
