#pragma once
// An exact decimal number with the range of the platform's Decimal: a 96-bit magnitude, a sign and
// a scale of 0 to 28 places. Results that need more places or bits are rounded half to even; a
// result that cannot fit even at scale 0 throws Overflow (error 6), a division by zero error 11.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace briskal {

// A GCC extension, marked so that pedantic builds accept it.
__extension__ typedef unsigned __int128 UInt128;  // NOLINT(modernize-use-using): no alias takes the mark
__extension__ typedef __int128 Int128;            // NOLINT(modernize-use-using)

enum class RoundMode { HalfEven, HalfAwayFromZero };

class Decimal {
 public:
  static constexpr int kMaxScale = 28;

  constexpr Decimal() = default;
  explicit Decimal(int64_t value);

  // The double's 15 significant digits, as the platform converts a double to Decimal.
  static Decimal fromDouble(double value);
  // "[+-]digits[.digits][e[+-]digits]" with '.' as the point; nullopt when the text is not a
  // number, Overflow when it is one too large.
  static std::optional<Decimal> parse(std::string_view text);

  int scale() const noexcept { return scale_; }
  bool isNegative() const noexcept { return negative_ && !isZero(); }
  bool isZero() const noexcept { return lo_ == 0 && hi_ == 0; }

  // Every digit of the scale ("1.50"), with '.' as the point.
  std::string toString() const;
  // Trailing fractional zeros removed ("1.5", "2").
  std::string toPlainString() const;
  double toDouble() const;
  // Rounded half to even to a whole number; Overflow outside the 64-bit range.
  int64_t toInt64() const;

  Decimal operator-() const;
  friend Decimal operator+(const Decimal& a, const Decimal& b);
  friend Decimal operator-(const Decimal& a, const Decimal& b);
  friend Decimal operator*(const Decimal& a, const Decimal& b);
  friend Decimal operator/(const Decimal& a, const Decimal& b);
  friend std::weak_ordering operator<=>(const Decimal& a, const Decimal& b);
  friend bool operator==(const Decimal& a, const Decimal& b) { return std::is_eq(a <=> b); }

  Decimal floor() const;
  Decimal truncate() const;
  // To `places` decimals (0..28); fewer places than the scale round, more keep the value.
  Decimal round(int places, RoundMode mode = RoundMode::HalfEven) const;
  // Exactly `scale` places: rounds half to even or pads with zeros.
  Decimal rescale(int scale) const;
  // Trailing fractional zeros removed.
  Decimal trimmed() const;
  // Number of digits before the point (0 for |x| < 1).
  int integerDigits() const;

  // Raw access for the arithmetic helpers.
  UInt128 magnitude() const noexcept { return (static_cast<UInt128>(hi_) << 64) | lo_; }
  static Decimal fromParts(UInt128 magnitude, int scale, bool negative);

 private:
  uint64_t lo_ = 0;
  uint32_t hi_ = 0;
  uint8_t scale_ = 0;
  bool negative_ = false;
};

}  // namespace briskal
