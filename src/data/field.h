#pragma once
// A recordset field: its name, data type, defined size, precision, scale and attributes, with the
// numbering of the platform's data access library so that the forms can name them as they do.

#include <cstdint>
#include <string>

namespace briskal::data {

enum class FieldType : int32_t {
  Empty = 0,
  SmallInt = 2,
  Integer = 3,
  Single = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  Boolean = 11,
  Variant = 12,
  Decimal = 14,
  TinyInt = 16,
  BigInt = 20,
  Char = 129,
  WChar = 130,
  Numeric = 131,
  DBDate = 133,
  DBTimeStamp = 135,
  VarChar = 200,
  LongVarChar = 201,
  VarWChar = 202,
  LongVarWChar = 203,
};

namespace attr {
inline constexpr int32_t kUnspecified = -1;
inline constexpr int32_t kUpdatable = 0x4;
inline constexpr int32_t kFixed = 0x10;
inline constexpr int32_t kIsNullable = 0x20;
inline constexpr int32_t kMayBeNull = 0x40;
inline constexpr int32_t kLong = 0x80;
}  // namespace attr

bool isTextType(FieldType type);
bool isFixedTextType(FieldType type);
bool isNumericType(FieldType type);
bool isDateType(FieldType type);

struct Field {
  std::string name;
  FieldType type = FieldType::Variant;
  int64_t definedSize = 0;
  uint8_t precision = 0;  // 0: not set, any number of digits
  uint8_t numericScale = 0;
  int32_t attributes = 0;

  bool nullable() const { return (attributes & (attr::kIsNullable | attr::kMayBeNull)) != 0; }
};

}  // namespace briskal::data
