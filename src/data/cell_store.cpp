#include "data/cell_store.h"

#include <cstring>

namespace briskal::data {
namespace {

enum Tag : uint8_t {
  kEmpty,
  kNull,
  kBool,
  kInt16,
  kInt32,
  kInt64,
  kDouble,
  kSmallDecimal,  // 64-bit magnitude in the cell, scale and sign in aux
  kBigDecimal,    // index into the decimals
  kShortText,     // up to 10 bytes in the cell, length in aux
  kLongText,      // index into the texts
  kDate,
};

constexpr size_t kShortTextBytes = 10;
constexpr uint8_t kNegative = 0x80;

template <typename T>
void put(unsigned char* bytes, T value) {
  std::memcpy(bytes, &value, sizeof(T));
}

template <typename T>
T take(const unsigned char* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}

}  // namespace

void CellStore::appendRow() { cells_.resize(cells_.size() + width_); }

void CellStore::copyRow(uint32_t from, uint32_t to) {
  std::memcpy(cells_.data() + static_cast<size_t>(to) * width_,
              cells_.data() + static_cast<size_t>(from) * width_, width_ * sizeof(Cell));
}

uint32_t CellStore::intern(std::string_view text) {
  const auto found = textIndex_.find(text);
  if (found != textIndex_.end()) return found->second;
  const auto index = static_cast<uint32_t>(texts_.size());
  texts_.emplace_back(text);
  textIndex_.emplace(texts_.back(), index);
  return index;
}

CellStore::Cell CellStore::pack(const Value& value) {
  Cell c;
  switch (value.kind()) {
    case Value::Kind::Empty: c.tag = kEmpty; break;
    case Value::Kind::Null: c.tag = kNull; break;
    case Value::Kind::Bool: c.tag = kBool, c.bytes[0] = value.asBool() ? 1 : 0; break;
    case Value::Kind::Int16: c.tag = kInt16, put(c.bytes, value.asInt16()); break;
    case Value::Kind::Int32: c.tag = kInt32, put(c.bytes, value.asInt32()); break;
    case Value::Kind::Int64: c.tag = kInt64, put(c.bytes, value.asInt64()); break;
    case Value::Kind::Double: c.tag = kDouble, put(c.bytes, value.asDouble()); break;
    case Value::Kind::Date: c.tag = kDate, put(c.bytes, value.asDate().secondsSinceEpoch()); break;
    case Value::Kind::Decimal: {
      const Decimal& d = value.asDecimal();
      const UInt128 magnitude = d.magnitude();
      if ((magnitude >> 64) == 0) {
        c.tag = kSmallDecimal;
        c.aux = static_cast<uint8_t>(d.scale() | (d.isNegative() ? kNegative : 0));
        put(c.bytes, static_cast<uint64_t>(magnitude));
      } else {
        c.tag = kBigDecimal;
        put(c.bytes, static_cast<uint32_t>(decimals_.size()));
        decimals_.push_back(d);
      }
      break;
    }
    case Value::Kind::Text: {
      const std::string& text = value.asText();
      if (text.size() <= kShortTextBytes) {
        c.tag = kShortText;
        c.aux = static_cast<uint8_t>(text.size());
        std::memcpy(c.bytes, text.data(), text.size());
      } else {
        c.tag = kLongText;
        put(c.bytes, intern(text));
      }
      break;
    }
  }
  return c;
}

Value CellStore::get(uint32_t row, size_t field) const {
  const Cell& c = cells_[static_cast<size_t>(row) * width_ + field];
  switch (c.tag) {
    case kNull: return Value::null();
    case kBool: return Value(c.bytes[0] != 0);
    case kInt16: return Value(take<int16_t>(c.bytes));
    case kInt32: return Value(take<int32_t>(c.bytes));
    case kInt64: return Value(take<int64_t>(c.bytes));
    case kDouble: return Value(take<double>(c.bytes));
    case kDate: return Value(DateTime::fromSecondsSinceEpoch(take<int64_t>(c.bytes)));
    case kSmallDecimal:
      return Value(Decimal::fromParts(take<uint64_t>(c.bytes), c.aux & ~kNegative, (c.aux & kNegative) != 0));
    case kBigDecimal: return Value(decimals_[take<uint32_t>(c.bytes)]);
    case kShortText: return Value(std::string(reinterpret_cast<const char*>(c.bytes), c.aux));
    case kLongText: return Value(texts_[take<uint32_t>(c.bytes)]);
    default: return Value();
  }
}

void CellStore::set(uint32_t row, size_t field, const Value& value) {
  cells_[static_cast<size_t>(row) * width_ + field] = pack(value);
}

bool CellStore::sameRow(uint32_t a, uint32_t b) const {
  const Cell* x = &cells_[static_cast<size_t>(a) * width_];
  const Cell* y = &cells_[static_cast<size_t>(b) * width_];
  for (size_t f = 0; f < width_; ++f) {
    if (x[f].tag != y[f].tag) return false;
    // Cells are packed from zeroed bytes, so equal values have equal bytes; values kept aside
    // compare by content.
    if (x[f].tag == kLongText) {
      if (texts_[take<uint32_t>(x[f].bytes)] != texts_[take<uint32_t>(y[f].bytes)]) return false;
    } else if (x[f].tag == kBigDecimal) {
      const Decimal& d = decimals_[take<uint32_t>(x[f].bytes)];
      const Decimal& e = decimals_[take<uint32_t>(y[f].bytes)];
      if (d.scale() != e.scale() || !(d == e)) return false;
    } else if (std::memcmp(&x[f], &y[f], sizeof(Cell)) != 0) {
      return false;
    }
  }
  return true;
}

std::vector<Value> CellStore::rowValues(uint32_t row) const {
  std::vector<Value> values;
  values.reserve(width_);
  for (size_t f = 0; f < width_; ++f) values.push_back(get(row, f));
  return values;
}

void CellStore::setRow(uint32_t row, const std::vector<Value>& values) {
  for (size_t f = 0; f < width_ && f < values.size(); ++f) set(row, f, values[f]);
}

}  // namespace briskal::data
