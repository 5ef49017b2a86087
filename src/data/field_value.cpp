#include "data/field_value.h"

#include "common/convert.h"
#include "common/error.h"
#include "common/utf8.h"

namespace briskal::data {
namespace {

[[noreturn]] void doesNotFit(const Field& field, const std::string& why) {
  throw Error(err::kMultipleStepError, "Recordset",
              "Multiple-step operation generated errors: field " + field.name + " " + why);
}

Value convert(const Field& field, const Value& value, const RegionalSettings& rs) {
  switch (field.type) {
    case FieldType::SmallInt:
    case FieldType::TinyInt: return Value(toInt16(value, rs));
    case FieldType::Integer: return Value(toInt32(value, rs));
    case FieldType::BigInt: return Value(toInt64(value, rs));
    case FieldType::Single:
    case FieldType::Double: return Value(toDouble(value, rs));
    case FieldType::Currency: return Value(toDecimal(value, rs).round(4));
    case FieldType::Boolean: return Value(toBool(value, rs));
    case FieldType::Date:
    case FieldType::DBDate:
    case FieldType::DBTimeStamp: return Value(toDate(value, rs));
    case FieldType::Decimal:
    case FieldType::Numeric: {
      Decimal d = toDecimal(value, rs);
      if (field.precision > 0 || field.numericScale > 0) d = d.round(field.numericScale);
      if (field.precision > 0 && d.integerDigits() > field.precision - field.numericScale)
        doesNotFit(field, "holds at most " + std::to_string(field.precision - field.numericScale) +
                              " digits before the point: " + d.toPlainString());
      return Value(d);
    }
    default: {
      std::string text = toText(value, rs);
      if (field.definedSize > 0) {
        const auto size = static_cast<size_t>(field.definedSize);
        // Blanks past the size are padding (a wider CHAR column's), not data: they are dropped.
        size_t length = utf8::length(text);
        while (length > size && !text.empty() && text.back() == ' ') {
          text.pop_back();
          --length;
        }
        if (length > size)
          doesNotFit(field,
                     "holds at most " + std::to_string(size) + " characters, not " + std::to_string(length));
        if (isFixedTextType(field.type)) text.append(size - length, ' ');
      }
      return Value(std::move(text));
    }
  }
}

}  // namespace

Value toFieldValue(const Field& field, const Value& value, const RegionalSettings& rs) {
  if (field.type == FieldType::Variant) return value;
  if (value.isNull()) {
    if (!field.nullable()) doesNotFit(field, "does not accept Null");
    return value;
  }
  try {
    return convert(field, value, rs);
  } catch (const Error& e) {
    if (e.number() == err::kMultipleStepError) throw;
    if (e.number() == err::kOverflow) doesNotFit(field, "cannot hold " + value.debugString());
    throw Error(err::kDataConversion, "Recordset",
                "Field " + field.name + " cannot take " + value.debugString() + ": " + e.description());
  }
}

Value padFixedText(const Field& field, Value value) {
  if (!isFixedTextType(field.type) || !value.isText() || field.definedSize <= 0) return value;
  const size_t length = utf8::length(value.asText());
  const auto size = static_cast<size_t>(field.definedSize);
  if (length >= size) return value;
  std::string text = value.asText();
  text.append(size - length, ' ');
  return Value(std::move(text));
}

}  // namespace briskal::data
