#pragma once
// The variant value that fields, controls and conversions exchange: Empty (never assigned), Null
// (no data), a Boolean, 16/32/64-bit integers, a double, an exact Decimal, UTF-8 text or a date.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <variant>

#include "common/datetime.h"
#include "common/decimal.h"

namespace briskal {

class Value {
 public:
  enum class Kind : uint8_t { Empty, Null, Bool, Int16, Int32, Int64, Double, Decimal, Text, Date };

  Value() = default;
  static Value null() { return Value(NullTag{}); }
  Value(bool v) : v_(v) {}
  Value(int16_t v) : v_(v) {}
  Value(int32_t v) : v_(v) {}
  Value(int64_t v) : v_(v) {}
  Value(double v) : v_(v) {}
  Value(Decimal v) : v_(v) {}
  Value(std::string v) : v_(std::move(v)) {}
  Value(std::string_view v) : v_(std::string(v)) {}
  Value(const char* v) : v_(std::string(v)) {}
  Value(DateTime v) : v_(v) {}

  Kind kind() const { return static_cast<Kind>(v_.index()); }
  bool isEmpty() const { return kind() == Kind::Empty; }
  bool isNull() const { return kind() == Kind::Null; }
  bool isText() const { return kind() == Kind::Text; }
  bool isDate() const { return kind() == Kind::Date; }
  // Boolean, integer, double or Decimal.
  bool isNumber() const;

  bool asBool() const { return std::get<bool>(v_); }
  int16_t asInt16() const { return std::get<int16_t>(v_); }
  int32_t asInt32() const { return std::get<int32_t>(v_); }
  int64_t asInt64() const { return std::get<int64_t>(v_); }
  double asDouble() const { return std::get<double>(v_); }
  const Decimal& asDecimal() const { return std::get<Decimal>(v_); }
  const std::string& asText() const { return std::get<std::string>(v_); }
  const DateTime& asDate() const { return std::get<DateTime>(v_); }

  // Same kind and same value; 1 and 1.0 differ, as do "a" and "A".
  friend bool operator==(const Value& a, const Value& b) = default;

  // A short description for messages and test output: Empty, Null, or the kind and value.
  std::string debugString() const;

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) = default;
  };
  explicit Value(NullTag t) : v_(t) {}

  std::variant<std::monostate, NullTag, bool, int16_t, int32_t, int64_t, double, Decimal, std::string,
               DateTime>
      v_;
};

void PrintTo(const Value& value, std::ostream* os);

}  // namespace briskal
