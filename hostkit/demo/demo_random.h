#pragma once
// The demo data's only source of chance: splitmix64, so that a seed gives the same database with
// every compiler and standard library (the std distributions differ between library versions).

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace briskal::hostkit {

class DemoRandom {
 public:
  explicit DemoRandom(uint64_t seed) : state_(seed) {}

  uint64_t next();
  // A whole number from low to high, both included (low <= high).
  int between(int low, int high);
  // True `percent` times in a hundred.
  bool percent(int percent) { return between(1, 100) <= percent; }
  // The index of one of the weights, drawn in proportion to it.
  size_t weighted(std::initializer_list<int> weights);
  // A version-4 GUID in upper case, as "6F9619FF-8B86-4011-B42D-00C04FC964FF".
  std::string guid();

  template <typename T>
  const T& pick(std::span<const T> items) {
    return items[static_cast<size_t>(between(0, static_cast<int>(items.size()) - 1))];
  }

 private:
  uint64_t state_;
};

}  // namespace briskal::hostkit
