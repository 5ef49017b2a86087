// Decimal arithmetic checked against plain 128-bit integers: a decimal is a whole number of units
// of 10^-scale, so sums, differences, products, comparisons and roundings of operands small
// enough for 128 bits have one exact answer the integers give.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "common/decimal.h"
#include "test_helpers.h"

namespace briskal {
namespace {

struct Exact {
  Int128 units;  // the value times 10^scale
  int scale;
};

Int128 pow10(int n) {
  Int128 p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

Int128 magnitudeOf(Int128 v) { return v < 0 ? -v : v; }

Decimal toDecimal(Exact e) {
  return Decimal::fromParts(static_cast<UInt128>(magnitudeOf(e.units)), e.scale, e.units < 0);
}

std::string text(Exact e) {
  std::string digits;
  for (Int128 m = magnitudeOf(e.units); m > 0 || digits.size() <= static_cast<size_t>(e.scale); m /= 10)
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
  if (e.scale > 0) digits.insert(digits.end() - e.scale, '.');
  return (e.units < 0 ? "-" : "") + digits;
}

Exact atScale(Exact e, int scale) { return {e.units * pow10(scale - e.scale), scale}; }

// Rounds to `places` as the integers say: half to even, or half away from zero.
Exact rounded(Exact e, int places, bool halfEven) {
  if (places >= e.scale) return e;
  const Int128 unit = pow10(e.scale - places);
  Int128 q = magnitudeOf(e.units) / unit;
  const Int128 twiceRest = 2 * (magnitudeOf(e.units) % unit);
  if (twiceRest > unit || (twiceRest == unit && (!halfEven || q % 2 == 1))) ++q;
  return {e.units < 0 ? -q : q, places};
}

// Operands of up to 14 digits and 8 decimals: every product fits the 28 digits a decimal holds.
class RandomOperands {
 public:
  explicit RandomOperands(uint64_t seed) : engine_(seed) {}

  Exact next() {
    const int digits = std::uniform_int_distribution<int>(1, 14)(engine_);
    const auto limit = static_cast<int64_t>(pow10(digits));
    Int128 units = std::uniform_int_distribution<int64_t>(-limit + 1, limit - 1)(engine_);
    return {units, std::uniform_int_distribution<int>(0, 8)(engine_)};
  }
  int places(int upTo) { return std::uniform_int_distribution<int>(0, upTo)(engine_); }

 private:
  std::mt19937_64 engine_;
};

constexpr int kCases = 20000;

TEST(DecimalAgainstIntegers, SumsDifferencesAndProductsAreExact) {
  RandomOperands random(20261206);
  for (int i = 0; i < kCases; ++i) {
    const Exact a = random.next(), b = random.next();
    const int scale = std::max(a.scale, b.scale);
    const Exact sum{atScale(a, scale).units + atScale(b, scale).units, scale};
    const Exact difference{atScale(a, scale).units - atScale(b, scale).units, scale};
    const Exact product{a.units * b.units, a.scale + b.scale};
    SCOPED_TRACE(text(a) + " and " + text(b));
    EXPECT_EQ((toDecimal(a) + toDecimal(b)).toString(), text(sum));
    EXPECT_EQ((toDecimal(a) - toDecimal(b)).toString(), text(difference));
    EXPECT_EQ((toDecimal(a) * toDecimal(b)).toString(), text(product));
  }
}

TEST(DecimalAgainstIntegers, QuotientsOfExactMultiplesComeBackExactly) {
  RandomOperands random(7);
  for (int i = 0; i < kCases; ++i) {
    const Exact a = random.next(), b = random.next();
    if (b.units == 0) continue;
    const Decimal product = toDecimal({a.units * b.units, a.scale + b.scale});
    SCOPED_TRACE(text(a) + " and " + text(b));
    EXPECT_EQ(product / toDecimal(b), toDecimal(a));
  }
}

TEST(DecimalAgainstIntegers, ComparisonsFollowTheValueWhateverTheScale) {
  RandomOperands random(11);
  for (int i = 0; i < kCases; ++i) {
    const Exact a = random.next();
    // Half the time the same value at another scale, to catch comparisons that look at digits.
    const Exact b = i % 2 ? random.next() : atScale(a, std::min(28, a.scale + random.places(6)));
    const int scale = std::max(a.scale, b.scale);
    const Int128 left = atScale(a, scale).units, right = atScale(b, scale).units;
    const auto order = toDecimal(a) <=> toDecimal(b);
    SCOPED_TRACE(text(a) + " and " + text(b));
    EXPECT_EQ(std::is_lt(order), left < right);
    EXPECT_EQ(std::is_eq(order), left == right);
  }
}

TEST(DecimalAgainstIntegers, RoundingFloorTruncationAndText) {
  RandomOperands random(3);
  for (int i = 0; i < kCases; ++i) {
    const Exact a = random.next();
    const int places = random.places(8);
    const Decimal d = toDecimal(a);
    SCOPED_TRACE(text(a) + " to " + std::to_string(places));
    EXPECT_EQ(d.round(places).toString(), text(rounded(a, places, true)));
    EXPECT_EQ(d.round(places, RoundMode::HalfAwayFromZero).toString(), text(rounded(a, places, false)));
    const Int128 unit = pow10(a.scale);
    const Int128 whole = a.units / unit;  // toward zero
    EXPECT_EQ(d.truncate(), toDecimal({whole, 0}));
    EXPECT_EQ(d.floor(), toDecimal({a.units < 0 && a.units % unit != 0 ? whole - 1 : whole, 0}));
    EXPECT_EQ(d.toInt64(), static_cast<int64_t>(rounded(a, 0, true).units));
    EXPECT_EQ(Decimal::parse(text(a))->toString(), text(a));
  }
}

// The edges a random walk seldom reaches: the largest magnitude, the finest scale, exact halves.
TEST(DecimalAgainstIntegers, Edges) {
  struct Case {
    const char* value;
    int places;
    const char* halfEven;
    const char* halfAway;
  };
  // clang-format off
  const Case cases[] = {
      {"2.5", 0, "2", "3"},                   {"-2.5", 0, "-2", "-3"},
      {"3.5", 0, "4", "4"},                   {"0.125", 2, "0.12", "0.13"},
      {"-0.125", 2, "-0.12", "-0.13"},        {"0.0000000000000000000000000005", 27, "0.000000000000000000000000000", "0.000000000000000000000000001"},
      {"79228162514264337593543950335", 0, "79228162514264337593543950335", "79228162514264337593543950335"},
      {"7922816251426433759354395033.5", 0, "7922816251426433759354395034", "7922816251426433759354395034"},
      {"0.9999999999999999999999999999", 27, "1.000000000000000000000000000", "1.000000000000000000000000000"},
  };
  // clang-format on
  for (const Case& c : cases) {
    const Decimal d = *Decimal::parse(c.value);
    EXPECT_EQ(d.round(c.places).toString(), c.halfEven) << c.value;
    EXPECT_EQ(d.round(c.places, RoundMode::HalfAwayFromZero).toString(), c.halfAway) << c.value;
  }
  const Decimal max = *Decimal::parse("79228162514264337593543950335");
  EXPECT_EQ(testing::errorNumber([&] { (void)(max + max); }), 6);
  EXPECT_EQ(testing::errorNumber([&] { (void)(-max - max); }), 6);
  EXPECT_EQ(testing::errorNumber([&] { (void)(max * *Decimal::parse("1.5")); }), 6);
  EXPECT_EQ((max - max).toString(), "0");
  EXPECT_EQ(testing::errorNumber([&] { (void)(max / *Decimal::parse("0.00")); }), 11);
}

}  // namespace
}  // namespace briskal
