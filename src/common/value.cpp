#include "common/value.h"

#include <cstdio>
#include <ostream>

namespace briskal {

bool Value::isNumber() const {
  switch (kind()) {
    case Kind::Bool:
    case Kind::Int16:
    case Kind::Int32:
    case Kind::Int64:
    case Kind::Double:
    case Kind::Decimal: return true;
    default: return false;
  }
}

std::string Value::debugString() const {
  switch (kind()) {
    case Kind::Empty: return "Empty";
    case Kind::Null: return "Null";
    case Kind::Bool: return asBool() ? "Bool(True)" : "Bool(False)";
    case Kind::Int16: return "Int16(" + std::to_string(asInt16()) + ")";
    case Kind::Int32: return "Int32(" + std::to_string(asInt32()) + ")";
    case Kind::Int64: return "Int64(" + std::to_string(asInt64()) + ")";
    case Kind::Double: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "Double(%.17g)", asDouble());
      return buf;
    }
    case Kind::Decimal: return "Decimal(" + asDecimal().toString() + ")";
    case Kind::Text: return "Text(\"" + asText() + "\")";
    case Kind::Date: return "Date(" + asDate().toIso() + ")";
  }
  return "?";
}

void PrintTo(const Value& value, std::ostream* os) { *os << value.debugString(); }

}  // namespace briskal
