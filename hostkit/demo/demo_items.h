#pragma once
// Items of the demo catalogue: mechanical parts with codes, Italian descriptions, units, weights,
// dimensions, packaging and the departments that make them. Measures are whole numbers of the
// smallest unit their column keeps (weights 1/100000 kg, quantities 1/1000, ...).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hostkit/demo/demo_random.h"

namespace briskal::hostkit {

// How an item's quantities are counted, which decides their decimals.
enum class QuantityKind { Pieces, Metres, Kilograms };

struct DemoItem {
  std::string code;
  std::string description;
  std::string_view unit1;
  std::string_view unit2;      // empty: the item has no second unit
  int64_t secondPerFirst = 0;  // second-unit quantity per first unit, 6 decimals
  QuantityKind kind = QuantityKind::Pieces;

  std::string_view family;
  std::string_view material;                          // sub-family
  std::string_view finish;                            // group; empty: not classified this far
  std::string_view sizeClass;                         // sub-group; empty: not classified this far
  std::array<std::string_view, 4> statisticalGroups;  // empty: not grouped

  std::optional<int64_t> netWeight;  // kg per first unit, 5 decimals
  std::optional<int64_t> grossWeight;
  std::optional<int64_t> volume;    // dm³ per first unit, 5 decimals
  std::optional<int64_t> capacity;  // litres per first unit, 5 decimals
  std::optional<int64_t> base;      // mm, 5 decimals
  std::optional<int64_t> height;
  std::optional<int64_t> depth;

  bool hasLogistics = false;
  std::optional<int64_t> piecesPerPackage;  // 3 decimals
  std::array<int64_t, 3> packageSize{};     // height, depth, width of a package in mm, 4 decimals

  // The first department always makes the item; the second, when not empty, follows it.
  std::array<std::string_view, 2> departments;
  bool paintable = false;  // ordered in a colour (item variant)
  std::string gtin;        // GTIN-14 of the item's package, if it has one: given when the item is stored
};

// The family codes, each with its description, in the order drawItem knows them.
struct FamilyInfo {
  std::string_view code;
  std::string_view description;
  std::array<std::string_view, 3> materials;  // unused slots empty
};
std::span<const FamilyInfo> itemFamilies();

// One item of a random family; codes may repeat between calls, the caller keeps them unique.
DemoItem drawItem(DemoRandom& random);

}  // namespace briskal::hostkit
