#include "data/field.h"

namespace briskal::data {

bool isTextType(FieldType type) {
  switch (type) {
    case FieldType::Char:
    case FieldType::WChar:
    case FieldType::VarChar:
    case FieldType::LongVarChar:
    case FieldType::VarWChar:
    case FieldType::LongVarWChar: return true;
    default: return false;
  }
}

bool isFixedTextType(FieldType type) { return type == FieldType::Char || type == FieldType::WChar; }

bool isNumericType(FieldType type) {
  switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::Single:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Decimal:
    case FieldType::TinyInt:
    case FieldType::BigInt:
    case FieldType::Numeric: return true;
    default: return false;
  }
}

bool isDateType(FieldType type) {
  return type == FieldType::Date || type == FieldType::DBDate || type == FieldType::DBTimeStamp;
}

}  // namespace briskal::data
