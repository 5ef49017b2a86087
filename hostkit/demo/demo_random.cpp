#include "hostkit/demo/demo_random.h"

namespace briskal::hostkit {

uint64_t DemoRandom::next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

int DemoRandom::between(int low, int high) {
  // Multiply-shift keeps the draw free of a modulo and of library differences.
  const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(high) - low + 1);
  return low + static_cast<int>(((next() >> 32) * span) >> 32);
}

size_t DemoRandom::weighted(std::initializer_list<int> weights) {
  int total = 0;
  for (int w : weights) total += w;
  int draw = between(1, total);
  size_t index = 0;
  for (int w : weights) {
    if (draw <= w) return index;
    draw -= w;
    ++index;
  }
  return weights.size() - 1;
}

std::string DemoRandom::guid() {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const uint64_t high = (next() & ~0xF000ULL) | 0x4000ULL;                 // version 4
  const uint64_t low = (next() & ~(0xC000ULL << 48)) | (0x8000ULL << 48);  // RFC 4122 variant
  std::string text;
  text.reserve(36);
  for (int i = 0; i < 32; ++i) {
    if (i == 8 || i == 12 || i == 16 || i == 20) text.push_back('-');
    const uint64_t word = i < 16 ? high : low;
    text.push_back(kHex[(word >> (60 - 4 * (i % 16))) & 0xF]);
  }
  return text;
}

}  // namespace briskal::hostkit
