#pragma once
// Converts a value assigned to a field into what the field stores: text padded to a fixed width,
// decimals rounded half to even to the field's scale, integers rounded, dates. A value that does
// not fit throws -2147217887 (or 3421 when it is not even convertible) and nothing is stored.

#include "common/regional.h"
#include "common/value.h"
#include "data/field.h"

namespace briskal::data {

Value toFieldValue(const Field& field, const Value& value, const RegionalSettings& rs);
// Pads fixed-width text read from a database to the field's size.
Value padFixedText(const Field& field, Value value);

}  // namespace briskal::data
