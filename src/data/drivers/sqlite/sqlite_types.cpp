#include "data/drivers/sqlite/sqlite_types.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdlib>
#include <string>

namespace briskal::data::sqlite {
namespace {

std::string upper(const char* text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool startsWith(const std::string& s, std::string_view prefix) { return s.rfind(prefix, 0) == 0; }

// The numbers inside "TYPE(a, b)".
void readSize(const std::string& type, long& a, long& b) {
  a = b = -1;
  const size_t open = type.find('(');
  if (open == std::string::npos) return;
  char* end = nullptr;
  a = std::strtol(type.c_str() + open + 1, &end, 10);
  while (*end == ' ') ++end;
  if (*end == ',') b = std::strtol(end + 1, nullptr, 10);
}

}  // namespace

Field fieldFromDeclaredType(const char* name, const char* declaredType) {
  Field f;
  f.name = name ? name : "";
  f.attributes = attr::kIsNullable | attr::kMayBeNull;
  if (!declaredType) {
    f.type = FieldType::Variant;
    return f;
  }
  const std::string t = upper(declaredType);
  long a, b;
  readSize(t, a, b);
  if (startsWith(t, "DECIMAL") || startsWith(t, "NUMERIC") || startsWith(t, "MONEY")) {
    f.type = FieldType::Decimal;
    f.precision = static_cast<uint8_t>(a > 0 && a <= 38 ? a : 18);
    f.numericScale = static_cast<uint8_t>(b > 0 && b <= 28 ? b : 0);
    f.definedSize = f.precision;
  } else if (startsWith(t, "NCHAR") || startsWith(t, "CHAR") || startsWith(t, "CHARACTER(")) {
    f.type = FieldType::Char;
    f.definedSize = a > 0 ? a : 1;
    f.attributes |= attr::kFixed;
  } else if (t.find("CHAR") != std::string::npos) {
    f.type = FieldType::VarWChar;
    f.definedSize = a > 0 ? a : 0;
  } else if (startsWith(t, "TEXT") || startsWith(t, "CLOB") || startsWith(t, "NTEXT")) {
    f.type = FieldType::LongVarWChar;
    f.attributes |= attr::kLong;
  } else if (startsWith(t, "SMALLINT") || startsWith(t, "TINYINT")) {
    f.type = FieldType::SmallInt;
  } else if (startsWith(t, "BIGINT")) {
    f.type = FieldType::BigInt;
  } else if (startsWith(t, "INT")) {
    f.type = FieldType::Integer;
  } else if (startsWith(t, "REAL") || startsWith(t, "FLOAT") || startsWith(t, "DOUBLE")) {
    f.type = FieldType::Double;
  } else if (startsWith(t, "DATE") || startsWith(t, "TIMESTAMP") || startsWith(t, "SMALLDATETIME")) {
    f.type = FieldType::Date;
  } else if (startsWith(t, "BIT") || startsWith(t, "BOOL")) {
    f.type = FieldType::Boolean;
  } else {
    f.type = FieldType::VarWChar;
  }
  return f;
}

FieldType typeOfStorage(int storageClass) {
  switch (storageClass) {
    case SQLITE_INTEGER: return FieldType::BigInt;
    case SQLITE_FLOAT: return FieldType::Double;
    default: return FieldType::VarWChar;
  }
}

}  // namespace briskal::data::sqlite
