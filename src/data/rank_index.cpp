#include "data/rank_index.h"

namespace briskal::data {
namespace {

size_t lowBit(size_t i) { return i & (~i + 1); }

}  // namespace

void RankIndex::assign(const std::vector<uint8_t>& flags) {
  flags_ = flags;
  tree_.assign(flags_.size() + 1, 0);
  total_ = 0;
  for (size_t i = 1; i <= flags_.size(); ++i) {
    tree_[i] += flags_[i - 1];
    total_ += flags_[i - 1];
    const size_t parent = i + lowBit(i);
    if (parent <= flags_.size()) tree_[parent] += tree_[i];
  }
}

void RankIndex::append(bool flag) {
  if (tree_.empty()) tree_.push_back(0);
  flags_.push_back(flag ? 1 : 0);
  const size_t i = flags_.size();
  // The new node covers (i - lowBit(i), i]: its own flag plus the positions before it in range.
  tree_.push_back(static_cast<uint32_t>((flag ? 1 : 0) + countBefore(i - 1) - countBefore(i - lowBit(i))));
  total_ += flag ? 1 : 0;
}

void RankIndex::popBack() {
  total_ -= flags_.back();
  flags_.pop_back();
  tree_.pop_back();
}

void RankIndex::clear(size_t pos) {
  if (!flags_[pos]) return;
  flags_[pos] = 0;
  --total_;
  for (size_t i = pos + 1; i < tree_.size(); i += lowBit(i)) --tree_[i];
}

size_t RankIndex::countBefore(size_t pos) const {
  size_t sum = 0;
  for (size_t i = pos; i > 0; i -= lowBit(i)) sum += tree_[i];
  return sum;
}

size_t RankIndex::select(size_t k) const {
  if (k == 0 || k > total_) return flags_.size();
  size_t pos = 0;
  size_t step = 1;
  while (step * 2 <= flags_.size()) step *= 2;
  for (; step > 0; step /= 2) {
    if (pos + step <= flags_.size() && tree_[pos + step] < k) {
      pos += step;
      k -= tree_[pos];
    }
  }
  return pos;  // 1-based index pos + 1, so 0-based pos
}

}  // namespace briskal::data
