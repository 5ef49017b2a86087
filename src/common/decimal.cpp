#include "common/decimal.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/error.h"

namespace briskal {
namespace {

using u128 = UInt128;

// A 256-bit unsigned integer, wide enough for every intermediate result of the arithmetic:
// a 96-bit magnitude scaled by 10^57 still fits.
struct U256 {
  std::array<uint64_t, 4> w{};  // little-endian limbs

  static U256 from(u128 v) {
    U256 r;
    r.w[0] = static_cast<uint64_t>(v);
    r.w[1] = static_cast<uint64_t>(v >> 64);
    return r;
  }
  bool isZero() const { return (w[0] | w[1] | w[2] | w[3]) == 0; }
  bool isOdd() const { return w[0] & 1; }
  int bitLength() const {
    for (int i = 3; i >= 0; --i)
      if (w[i]) return i * 64 + 64 - __builtin_clzll(w[i]);
    return 0;
  }
  bool fits96() const { return w[3] == 0 && w[2] == 0 && (w[1] >> 32) == 0; }
  u128 low128() const { return (static_cast<u128>(w[1]) << 64) | w[0]; }

  // Returns false on overflow.
  bool mulSmall(uint64_t m) {
    u128 carry = 0;
    for (auto& limb : w) {
      u128 p = static_cast<u128>(limb) * m + carry;
      limb = static_cast<uint64_t>(p);
      carry = p >> 64;
    }
    return carry == 0;
  }
  uint64_t divSmall(uint64_t d) {
    u128 rem = 0;
    for (int i = 3; i >= 0; --i) {
      u128 cur = (rem << 64) | w[i];
      w[i] = static_cast<uint64_t>(cur / d);
      rem = cur % d;
    }
    return static_cast<uint64_t>(rem);
  }
  void addOne() {
    for (auto& limb : w)
      if (++limb != 0) break;
  }
};

int compare(const U256& a, const U256& b) {
  for (int i = 3; i >= 0; --i) {
    if (a.w[i] != b.w[i]) return a.w[i] < b.w[i] ? -1 : 1;
  }
  return 0;
}

U256 add(const U256& a, const U256& b) {
  U256 r;
  u128 carry = 0;
  for (int i = 0; i < 4; ++i) {
    u128 s = static_cast<u128>(a.w[i]) + b.w[i] + carry;
    r.w[i] = static_cast<uint64_t>(s);
    carry = s >> 64;
  }
  if (carry) throwOverflow();
  return r;
}

// a - b with a >= b.
U256 sub(const U256& a, const U256& b) {
  U256 r;
  uint64_t borrow = 0;
  for (int i = 0; i < 4; ++i) {
    u128 d = static_cast<u128>(a.w[i]) - b.w[i] - borrow;
    r.w[i] = static_cast<uint64_t>(d);
    borrow = (d >> 64) ? 1 : 0;
  }
  return r;
}

U256 mul(u128 a, u128 b) {
  const uint64_t a0 = static_cast<uint64_t>(a), a1 = static_cast<uint64_t>(a >> 64);
  const uint64_t b0 = static_cast<uint64_t>(b), b1 = static_cast<uint64_t>(b >> 64);
  U256 r;
  u128 p00 = static_cast<u128>(a0) * b0;
  u128 p01 = static_cast<u128>(a0) * b1;
  u128 p10 = static_cast<u128>(a1) * b0;
  u128 p11 = static_cast<u128>(a1) * b1;
  r.w[0] = static_cast<uint64_t>(p00);
  u128 mid = (p00 >> 64) + static_cast<uint64_t>(p01) + static_cast<uint64_t>(p10);
  r.w[1] = static_cast<uint64_t>(mid);
  u128 high = (mid >> 64) + (p01 >> 64) + (p10 >> 64) + static_cast<uint64_t>(p11);
  r.w[2] = static_cast<uint64_t>(high);
  r.w[3] = static_cast<uint64_t>((high >> 64) + (p11 >> 64));
  return r;
}

void shiftLeft1(U256& v) {
  for (int i = 3; i > 0; --i) v.w[i] = (v.w[i] << 1) | (v.w[i - 1] >> 63);
  v.w[0] <<= 1;
}

// Long division; d must not be zero. Operands within 128 bits, the common case, divide natively.
U256 divmod(const U256& n, const U256& d, U256& rem) {
  if ((n.w[2] | n.w[3] | d.w[2] | d.w[3]) == 0) {
    const u128 a = n.low128(), b = d.low128();
    rem = U256::from(a % b);
    return U256::from(a / b);
  }
  U256 q;
  rem = U256{};
  for (int bit = n.bitLength() - 1; bit >= 0; --bit) {
    shiftLeft1(rem);
    rem.w[0] |= (n.w[bit / 64] >> (bit % 64)) & 1;
    if (compare(rem, d) >= 0) {
      rem = sub(rem, d);
      q.w[bit / 64] |= uint64_t{1} << (bit % 64);
    }
  }
  return q;
}

const std::array<U256, 78>& powersOfTen() {
  static const std::array<U256, 78> table = [] {
    std::array<U256, 78> t;
    t[0] = U256::from(1);
    for (size_t i = 1; i < t.size(); ++i) {
      t[i] = t[i - 1];
      t[i].mulSmall(10);
    }
    return t;
  }();
  return table;
}

U256 scaleUp(U256 v, int places) {
  for (; places > 0; --places)
    if (!v.mulSmall(10)) throwOverflow();
  return v;
}

// Decides whether a quotient rounds away from zero, given twice its remainder against the divisor.
bool roundsUp(int cmpTwiceRemainder, bool sticky, bool quotientOdd, RoundMode mode) {
  if (cmpTwiceRemainder > 0) return true;
  if (cmpTwiceRemainder < 0) return false;
  if (sticky) return true;
  return mode == RoundMode::HalfAwayFromZero || quotientOdd;
}

// Brings an unbounded intermediate result into range, dropping as few digits as needed. `sticky`
// tells that the true value lies slightly above `mag` (digits already lost below it).
Decimal normalize(U256 mag, int scale, bool negative, bool sticky = false,
                  RoundMode mode = RoundMode::HalfEven) {
  const auto& pow10 = powersOfTen();
  for (int drop = scale > Decimal::kMaxScale ? scale - Decimal::kMaxScale : 0;; ++drop) {
    if (drop == 0) {
      if (mag.fits96()) return Decimal::fromParts(mag.low128(), scale, negative);
      continue;
    }
    // Past the table no quotient of 256 bits is left to keep.
    if (drop > scale || drop >= static_cast<int>(pow10.size())) throwOverflow();
    U256 rem;
    U256 q = divmod(mag, pow10[drop], rem);
    if (!q.fits96()) continue;
    if (!rem.isZero() || sticky) {
      U256 twice = rem;
      shiftLeft1(twice);
      if (roundsUp(compare(twice, pow10[drop]), sticky, q.isOdd(), mode)) {
        q.addOne();
        if (!q.fits96()) continue;
      }
    }
    return Decimal::fromParts(q.low128(), scale - drop, negative);
  }
}

struct Aligned {
  U256 a, b;
  int scale;
};

Aligned align(const Decimal& x, const Decimal& y) {
  const int scale = std::max(x.scale(), y.scale());
  return {scaleUp(U256::from(x.magnitude()), scale - x.scale()),
          scaleUp(U256::from(y.magnitude()), scale - y.scale()), scale};
}

}  // namespace

Decimal::Decimal(int64_t value) {
  negative_ = value < 0;
  const uint64_t mag = negative_ ? ~static_cast<uint64_t>(value) + 1 : static_cast<uint64_t>(value);
  lo_ = mag;
}

Decimal Decimal::fromParts(UInt128 magnitude, int scale, bool negative) {
  if (scale < 0 || scale > kMaxScale || (magnitude >> 96) != 0) throwOverflow();
  Decimal d;
  d.lo_ = static_cast<uint64_t>(magnitude);
  d.hi_ = static_cast<uint32_t>(magnitude >> 64);
  d.scale_ = static_cast<uint8_t>(scale);
  d.negative_ = negative && magnitude != 0;
  return d;
}

Decimal Decimal::fromDouble(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 7.9228162514264337593543950335e28) throwOverflow();
  if (value == 0) return Decimal();
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", value);
  auto d = parse(buf);
  if (!d) throwOverflow();
  return d->trimmed();
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  U256 mag;
  int digits = 0, fraction = 0;
  bool seenPoint = false, overflowed = false;
  int droppedIntegerDigits = 0;
  bool sticky = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !seenPoint) {
      seenPoint = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    ++digits;
    if (!overflowed && mag.bitLength() < 250) {
      mag.mulSmall(10);
      U256 digit = U256::from(static_cast<u128>(c - '0'));
      mag = add(mag, digit);
      if (seenPoint) ++fraction;
    } else {
      // Beyond what any Decimal can hold: integer digits still count, fraction digits round.
      overflowed = true;
      if (seenPoint) sticky = sticky || c != '0';
      else ++droppedIntegerDigits;
    }
  }
  if (digits == 0) return std::nullopt;
  int exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
    if (i == text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      exponent = exponent * 10 + (text[i] - '0');
      if (exponent > 1000) return std::nullopt;
    }
    if (expNegative) exponent = -exponent;
  }
  while (i < text.size() && text[i] == ' ') ++i;
  if (i != text.size()) return std::nullopt;
  if (droppedIntegerDigits > 0) throwOverflow();
  int scale = fraction - exponent;
  if (scale < 0) {
    if (mag.isZero()) scale = 0;
    else mag = scaleUp(mag, -scale), scale = 0;
  }
  if (scale > 76) {
    // Bring the scale within the powers of ten the rounding uses; what falls off is sticky.
    const int drop = scale - 76;
    if (drop >= 77) return Decimal();  // below 10^-76 even with 75 digits: rounds to zero
    U256 rem;
    mag = divmod(mag, powersOfTen()[drop], rem);
    sticky = sticky || !rem.isZero();
    scale = 76;
  }
  return normalize(mag, scale, negative, sticky);
}

std::string Decimal::toString() const {
  u128 mag = magnitude();
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(mag % 10)));
    mag /= 10;
  } while (mag != 0);
  if (static_cast<int>(digits.size()) <= scale_) digits.insert(0, scale_ - digits.size() + 1, '0');
  if (scale_ > 0) digits.insert(digits.size() - scale_, 1, '.');
  if (isNegative()) digits.insert(digits.begin(), '-');
  return digits;
}

std::string Decimal::toPlainString() const { return trimmed().toString(); }

double Decimal::toDouble() const {
  // Both operands exact in a double, so the one division rounds correctly.
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const UInt128 mag = magnitude();
  if (mag < (static_cast<UInt128>(1) << 53) && scale_ <= 22) {
    const double value = static_cast<double>(static_cast<uint64_t>(mag)) / kPowers[scale_];
    return isNegative() ? -value : value;
  }
  return std::strtod(toString().c_str(), nullptr);
}

int64_t Decimal::toInt64() const {
  const Decimal whole = round(0);
  const u128 mag = whole.magnitude();
  if (whole.isNegative()) {
    if (mag > (static_cast<u128>(1) << 63)) throwOverflow();
    return static_cast<int64_t>(-static_cast<Int128>(mag));
  }
  if (mag >= (static_cast<u128>(1) << 63)) throwOverflow();
  return static_cast<int64_t>(mag);
}

Decimal Decimal::operator-() const {
  Decimal d = *this;
  d.negative_ = !negative_ && !isZero();
  return d;
}

Decimal operator+(const Decimal& x, const Decimal& y) {
  Aligned al = align(x, y);
  if (x.isNegative() == y.isNegative()) return normalize(add(al.a, al.b), al.scale, x.isNegative());
  const int c = compare(al.a, al.b);
  if (c == 0) return Decimal::fromParts(0, al.scale, false);
  if (c > 0) return normalize(sub(al.a, al.b), al.scale, x.isNegative());
  return normalize(sub(al.b, al.a), al.scale, y.isNegative());
}

Decimal operator-(const Decimal& x, const Decimal& y) { return x + (-y); }

Decimal operator*(const Decimal& x, const Decimal& y) {
  return normalize(mul(x.magnitude(), y.magnitude()), x.scale() + y.scale(),
                   x.isNegative() != y.isNegative());
}

Decimal operator/(const Decimal& x, const Decimal& y) {
  if (y.isZero()) throwDivisionByZero();
  const bool negative = x.isNegative() != y.isNegative();
  if (x.isZero()) return Decimal();
  // Scale the dividend so that the quotient carries one digit beyond the widest scale, as far
  // as 256 bits allow; the last step then rounds with the remainder as a sticky digit.
  const int wanted = Decimal::kMaxScale + 1 + y.scale() - x.scale();
  U256 n = U256::from(x.magnitude());
  int k = 0;
  while (k < wanted && n.bitLength() < 250) {
    n.mulSmall(10);
    ++k;
  }
  U256 rem;
  U256 q = divmod(n, U256::from(y.magnitude()), rem);
  int scale = x.scale() + k - y.scale();
  if (scale < 0) {
    q = scaleUp(q, -scale);
    scale = 0;
  }
  // Digits still to be dropped round once, with the remainder as sticky digits below them.
  if (k == wanted || scale > Decimal::kMaxScale || !q.fits96())
    return normalize(q, scale, negative, !rem.isZero()).trimmed();
  U256 twice = rem;
  shiftLeft1(twice);
  if (!rem.isZero() &&
      roundsUp(compare(twice, U256::from(y.magnitude())), false, q.isOdd(), RoundMode::HalfEven))
    q.addOne();
  return normalize(q, scale, negative).trimmed();
}

std::weak_ordering operator<=>(const Decimal& x, const Decimal& y) {
  const bool xn = x.isNegative(), yn = y.isNegative();
  if (xn != yn) return xn ? std::weak_ordering::less : std::weak_ordering::greater;
  Aligned al = align(x, y);
  int c = compare(al.a, al.b);
  if (xn) c = -c;
  return c < 0   ? std::weak_ordering::less
         : c > 0 ? std::weak_ordering::greater
                 : std::weak_ordering::equivalent;
}

Decimal Decimal::round(int places, RoundMode mode) const {
  if (places < 0) places = 0;
  if (scale_ <= places) return *this;
  const int drop = scale_ - places;
  U256 rem;
  U256 q = divmod(U256::from(magnitude()), powersOfTen()[drop], rem);
  U256 twice = rem;
  shiftLeft1(twice);
  if (!rem.isZero() && roundsUp(compare(twice, powersOfTen()[drop]), false, q.isOdd(), mode)) q.addOne();
  return normalize(q, places, isNegative());
}

Decimal Decimal::rescale(int scale) const {
  // No decimal holds more places than kMaxScale: more would only be dropped again.
  scale = std::min(scale, kMaxScale);
  if (scale < scale_) return round(scale);
  return normalize(scaleUp(U256::from(magnitude()), scale - scale_), scale, isNegative());
}

Decimal Decimal::floor() const {
  Decimal t = truncate();
  if (isNegative() && t != *this) t = t - Decimal(1);
  return t;
}

Decimal Decimal::truncate() const {
  if (scale_ == 0) return *this;
  U256 mag = U256::from(magnitude());
  U256 rem;
  U256 q = divmod(mag, powersOfTen()[scale_], rem);
  return fromParts(q.low128(), 0, isNegative());
}

Decimal Decimal::trimmed() const {
  u128 mag = magnitude();
  int scale = scale_;
  while (scale > 0 && mag % 10 == 0) {
    mag /= 10;
    --scale;
  }
  return fromParts(mag, scale, isNegative());
}

int Decimal::integerDigits() const {
  u128 whole = magnitude();
  for (int i = 0; i < scale_; ++i) whole /= 10;
  int digits = 0;
  for (; whole != 0; whole /= 10) ++digits;
  return digits;
}

}  // namespace briskal
