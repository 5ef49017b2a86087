#pragma once
// Field types from SQLite's declared column types ("DECIMAL(14,3)", "CHAR(10)", "DATE").

#include "data/field.h"

namespace briskal::data::sqlite {

Field fieldFromDeclaredType(const char* name, const char* declaredType);
FieldType typeOfStorage(int storageClass);

}  // namespace briskal::data::sqlite
