#pragma once
// Packed storage of a recordset's values: twelve bytes a value, rows one after another. Short
// texts live in the cell; longer texts are kept once per distinct text and shared by every cell
// that holds them, so that label rows repeating their order line's texts cost no copies. Decimals
// whose digits fit 64 bits live in the cell too.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/value.h"

namespace briskal::data {

class CellStore {
 public:
  explicit CellStore(size_t width = 0) : width_(width) {}

  size_t width() const { return width_; }
  void setWidth(size_t width) { width_ = width; }
  size_t rows() const { return width_ ? cells_.size() / width_ : 0; }

  // Appends a row of Empty values, or a copy of row `from`.
  void appendRow();
  // Row `to` takes every value of row `from`; long texts stay shared.
  void copyRow(uint32_t from, uint32_t to);
  void reserveRows(size_t rows) { cells_.reserve(rows * width_); }

  Value get(uint32_t row, size_t field) const;
  void set(uint32_t row, size_t field, const Value& value);
  std::vector<Value> rowValues(uint32_t row) const;
  // Rows `a` and `b` hold the same values, of the same kinds and, for decimals, the same scale.
  // Compares the cells, without making values.
  bool sameRow(uint32_t a, uint32_t b) const;
  void setRow(uint32_t row, const std::vector<Value>& values);

 private:
  struct Cell {
    uint8_t tag = 0;
    uint8_t aux = 0;
    unsigned char bytes[10] = {};
  };
  static_assert(sizeof(Cell) == 12);

  Cell pack(const Value& value);
  uint32_t intern(std::string_view text);

  size_t width_;
  std::vector<Cell> cells_;
  std::deque<std::string> texts_;  // a deque: its strings never move, so the index may view them
  std::unordered_map<std::string_view, uint32_t> textIndex_;
  std::deque<Decimal> decimals_;
};

}  // namespace briskal::data
