#pragma once
// Flags over the positions of a recordset view (is the row at this position still visible?) with
// counting and selection in O(log n): how many visible rows stand before a position, and where
// the k-th visible row is. This keeps positions, counts and moves over deleted rows cheap.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace briskal::data {

class RankIndex {
 public:
  void assign(const std::vector<uint8_t>& flags);
  void append(bool flag);
  // Removes the last position.
  void popBack();
  void clear(size_t pos);

  size_t size() const { return flags_.size(); }
  size_t total() const { return total_; }
  bool flagged(size_t pos) const { return flags_[pos] != 0; }
  // Flagged positions in [0, pos).
  size_t countBefore(size_t pos) const;
  // Position of the k-th flagged position (k from 1); size() when there are fewer than k.
  size_t select(size_t k) const;

 private:
  std::vector<uint8_t> flags_;
  std::vector<uint32_t> tree_;  // Fenwick tree, 1-based: tree_[0] unused
  size_t total_ = 0;
};

}  // namespace briskal::data
