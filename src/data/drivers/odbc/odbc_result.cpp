#include "data/drivers/odbc/odbc_result.h"

#include <sqlext.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "common/utf8.h"
#include "data/drivers/odbc/odbc_error.h"
#include "data/drivers/odbc/odbc_text.h"

namespace briskal::data::odbc {
namespace {

// The C type a column is fetched as.
enum class Reader { Text, SmallInt, Integer, BigInt, Bit, Double, Decimal, Timestamp };

struct Column {
  Field field;
  Reader reader = Reader::Text;
};

// psqlODBC describes boolean columns as text unless told BoolsAsChar=0; the type name tells.
bool isBooleanByName(SQLHSTMT stmt, SQLUSMALLINT number) {
  SQLWCHAR name[32] = {};
  SQLSMALLINT bytes = 0;
  if (!SQL_SUCCEEDED(SQLColAttributeW(stmt, number, SQL_DESC_TYPE_NAME, name, sizeof name, &bytes, nullptr)))
    return false;
  const size_t units =
      std::min(static_cast<size_t>(std::max<SQLSMALLINT>(bytes, 0)) / sizeof(SQLWCHAR), std::size(name));
  return utf8::equalsNoCase(fromWide(name, units), "bool");
}

Column describe(SQLHSTMT stmt, SQLUSMALLINT number, Dialect dialect, const std::string& source) {
  std::vector<SQLWCHAR> name(128);
  SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = SQL_NULLABLE_UNKNOWN;
  SQLULEN size = 0;
  auto call = [&] {
    check(SQLDescribeColW(stmt, number, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLength,
                          &type, &size, &digits, &nullable),
          SQL_HANDLE_STMT, stmt, source);
  };
  call();
  if (nameLength >= static_cast<SQLSMALLINT>(name.size())) {
    name.resize(static_cast<size_t>(nameLength) + 1);
    call();
  }

  Column column;
  Field& f = column.field;
  f.name = nameAsWritten(
      fromWide(name.data(), std::min<size_t>(std::max<SQLSMALLINT>(nameLength, 0), name.size())), dialect);
  f.attributes = nullable == SQL_NO_NULLS ? 0 : attr::kIsNullable;
  const auto textSize = static_cast<int64_t>(std::min<SQLULEN>(size, INT32_MAX));
  auto set = [&](FieldType fieldType, int64_t definedSize, Reader reader) {
    f.type = fieldType;
    f.definedSize = definedSize;
    column.reader = reader;
  };
  switch (type) {
    case SQL_CHAR:
    case SQL_WCHAR: set(FieldType::Char, textSize, Reader::Text); break;
    case SQL_VARCHAR:
    case SQL_WVARCHAR: set(FieldType::VarWChar, textSize, Reader::Text); break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: set(FieldType::LongVarWChar, textSize, Reader::Text); break;
    case SQL_TINYINT:
    case SQL_SMALLINT: set(FieldType::SmallInt, 2, Reader::SmallInt); break;
    case SQL_INTEGER: set(FieldType::Integer, 4, Reader::Integer); break;
    case SQL_BIGINT: set(FieldType::BigInt, 8, Reader::BigInt); break;
    case SQL_BIT: set(FieldType::Boolean, 2, Reader::Bit); break;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: set(FieldType::Double, 8, Reader::Double); break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      set(FieldType::Decimal, 19, Reader::Decimal);
      f.precision = static_cast<uint8_t>(std::min<SQLULEN>(size, 255));
      f.numericScale = static_cast<uint8_t>(std::clamp<SQLSMALLINT>(digits, 0, Decimal::kMaxScale));
      break;
    case SQL_DATE:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP: set(FieldType::Date, 8, Reader::Timestamp); break;
    default: set(FieldType::VarWChar, textSize, Reader::Text); break;
  }
  if (dialect == Dialect::PostgreSQL && column.reader == Reader::Text && isBooleanByName(stmt, number))
    set(FieldType::Boolean, 2, Reader::Bit);
  return column;
}

template <typename T>
std::optional<T> readFixed(SQLHSTMT stmt, SQLUSMALLINT number, SQLSMALLINT cType, const std::string& source) {
  T value{};
  SQLLEN indicator = 0;
  check(SQLGetData(stmt, number, cType, &value, sizeof value, &indicator), SQL_HANDLE_STMT, stmt, source);
  if (indicator == SQL_NULL_DATA) return std::nullopt;
  return value;
}

template <typename T, typename F>
Value valueOr(const std::optional<T>& read, F&& convert) {
  return read ? Value(convert(*read)) : Value::null();
}

Value readCell(SQLHSTMT stmt, SQLUSMALLINT number, const Column& column, const std::string& source) {
  switch (column.reader) {
    case Reader::Text: {
      std::optional<std::string> text = readText(stmt, number, source);
      return text ? Value(std::move(*text)) : Value::null();
    }
    case Reader::SmallInt:
      return valueOr(readFixed<SQLSMALLINT>(stmt, number, SQL_C_SSHORT, source),
                     [](SQLSMALLINT v) { return static_cast<int16_t>(v); });
    case Reader::Integer:
      return valueOr(readFixed<SQLINTEGER>(stmt, number, SQL_C_SLONG, source),
                     [](SQLINTEGER v) { return static_cast<int32_t>(v); });
    case Reader::BigInt:
      return valueOr(readFixed<SQLBIGINT>(stmt, number, SQL_C_SBIGINT, source),
                     [](SQLBIGINT v) { return static_cast<int64_t>(v); });
    case Reader::Bit:
      return valueOr(readFixed<unsigned char>(stmt, number, SQL_C_BIT, source),
                     [](unsigned char v) { return v != 0; });
    case Reader::Double:
      return valueOr(readFixed<double>(stmt, number, SQL_C_DOUBLE, source), [](double v) { return v; });
    case Reader::Decimal: {
      const std::optional<std::string> text = readChars(stmt, number, source);
      if (!text) return Value::null();
      const std::optional<Decimal> d = Decimal::parse(*text);
      if (!d) fail("Column " + column.field.name + " holds \"" + *text + "\", which is not a number", source);
      return d->rescale(column.field.numericScale);
    }
    case Reader::Timestamp:
      return valueOr(readFixed<SQL_TIMESTAMP_STRUCT>(stmt, number, SQL_C_TYPE_TIMESTAMP, source),
                     [](const SQL_TIMESTAMP_STRUCT& t) {
                       return DateTime::fromParts(t.year, t.month, t.day, t.hour, t.minute, t.second);
                     });
  }
  return Value::null();
}

ResultSet readRows(SQLHSTMT stmt, SQLSMALLINT columnCount, Dialect dialect, const std::string& source) {
  std::vector<Column> columns;
  columns.reserve(static_cast<size_t>(columnCount));
  for (SQLSMALLINT c = 1; c <= columnCount; ++c) columns.push_back(describe(stmt, c, dialect, source));

  ResultSet result;
  for (const Column& column : columns) result.columns.push_back(column.field);
  for (;;) {
    const SQLRETURN rc = SQLFetch(stmt);
    if (rc == SQL_NO_DATA) break;
    check(rc, SQL_HANDLE_STMT, stmt, source);
    for (size_t c = 0; c < columns.size(); ++c)
      result.cells.push_back(readCell(stmt, static_cast<SQLUSMALLINT>(c + 1), columns[c], source));
    ++result.rowCount;
  }
  return result;
}

}  // namespace

std::string nameAsWritten(std::string name, Dialect dialect) {
  if (dialect != Dialect::PostgreSQL) return name;
  if (std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) return name;
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

StatementResult readResults(SQLHSTMT stmt, Dialect dialect, const std::string& source) {
  StatementResult result;
  for (;;) {
    SQLSMALLINT columnCount = 0;
    check(SQLNumResultCols(stmt, &columnCount), SQL_HANDLE_STMT, stmt, source);
    if (columnCount > 0 && !result.rows) {
      result.rows = readRows(stmt, columnCount, dialect, source);
    } else if (columnCount == 0 && result.rowsAffected < 0) {
      SQLLEN count = -1;
      check(SQLRowCount(stmt, &count), SQL_HANDLE_STMT, stmt, source);
      result.rowsAffected = count;
    }
    const SQLRETURN rc = SQLMoreResults(stmt);
    if (rc == SQL_NO_DATA) break;
    check(rc, SQL_HANDLE_STMT, stmt, source);
  }
  return result;
}

}  // namespace briskal::data::odbc
