#include "common/decimal.h"

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "test_helpers.h"

namespace briskal {
namespace {

TEST(DecimalArithmetic, SumsAndDifferencesAreExact) {
  EXPECT_EQ((D("0.1") + D("0.2")).toString(), "0.3");
  EXPECT_EQ((D("3.7") - D("3")).toString(), "0.7");
  EXPECT_EQ((D("1.50") + D("2.5")).toString(), "4.00");
  EXPECT_EQ((D("-2.345") + D("2.345")).toPlainString(), "0");
}

TEST(DecimalArithmetic, ProductsAndQuotients) {
  EXPECT_EQ((D("2.345") * D("100")).toString(), "234.500");
  EXPECT_EQ((D("10") / D("4")).toString(), "2.5");
  EXPECT_EQ((D("1") / D("3")).toString(), "0.3333333333333333333333333333");
  EXPECT_EQ((D("2") / D("3")).toString(), "0.6666666666666666666666666667");
  EXPECT_EQ((D("-7") / D("2")).toString(), "-3.5");
  EXPECT_THROW(D("1") / D("0"), Error);
}

TEST(DecimalArithmetic, KeepsTwentyEightDigits) {
  const Decimal big = D("1234567890123456789012345678");
  EXPECT_EQ(big.toString(), "1234567890123456789012345678");
  EXPECT_EQ((big + D("1")).toString(), "1234567890123456789012345679");
  EXPECT_EQ(D("0.1234567890123456789012345678").toString(), "0.1234567890123456789012345678");
  // A product too wide for 28 places is rounded half to even.
  EXPECT_EQ((D("0.00000000000001") * D("0.000000000000015")).toString(), "0.0000000000000000000000000002");
}

TEST(DecimalArithmetic, OverflowIsError6) {
  const Decimal max = D("79228162514264337593543950335");
  try {
    (void)(max + D("1"));
    FAIL() << "no overflow";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 6);
  }
  EXPECT_THROW(Decimal::parse("792281625142643375935439503350"), Error);
  // Only fraction digits are lost when the sum needs more than 96 bits.
  EXPECT_EQ((max + D("0.4")).toString(), "79228162514264337593543950335");
}

TEST(DecimalArithmetic, QuotientsRoundOnceEvenWhenTheDividendIsWide) {
  // Exactly 7965080319248509068656530585.4999...: must not round up twice.
  EXPECT_EQ((D("28387506662942692306453111675") / D("3.5639950289441654054855604731")).toString(),
            "7965080319248509068656530585");
  EXPECT_EQ(Decimal::parse("1" + std::string(50, '0') + "e-78")->toString(),
            "0.0000000000000000000000000001");
}

TEST(DecimalRounding, FloorTruncateAndHalfEven) {
  EXPECT_EQ(D("-2.5").floor().toString(), "-3");
  EXPECT_EQ(D("2.5").floor().toString(), "2");
  EXPECT_EQ(D("-2.5").truncate().toString(), "-2");
  EXPECT_EQ(D("2.5").round(0).toString(), "2");
  EXPECT_EQ(D("3.5").round(0).toString(), "4");
  EXPECT_EQ(D("2.345").round(2).toString(), "2.34");
  EXPECT_EQ(D("2.345").round(2, RoundMode::HalfAwayFromZero).toString(), "2.35");
  EXPECT_EQ(D("1.5").rescale(3).toString(), "1.500");
  EXPECT_EQ(D("1.2345").rescale(3).toString(), "1.234");
}

TEST(DecimalText, ParsesAndRejects) {
  EXPECT_EQ(D("  -12.50 ").toString(), "-12.50");
  EXPECT_EQ(D("1.5e3").toString(), "1500");
  EXPECT_EQ(D("15e-1").toString(), "1.5");
  EXPECT_FALSE(Decimal::parse(""));
  EXPECT_FALSE(Decimal::parse("1.2.3"));
  EXPECT_FALSE(Decimal::parse("12a"));
  EXPECT_FALSE(Decimal::parse("-"));
}

TEST(DecimalConversion, DoublesCarryFifteenDigits) {
  EXPECT_EQ(Decimal::fromDouble(0.1).toString(), "0.1");
  EXPECT_EQ(Decimal::fromDouble(2.345).toString(), "2.345");
  EXPECT_EQ(Decimal::fromDouble(0.1 + 0.2).toString(), "0.3");
  EXPECT_DOUBLE_EQ(D("0.7").toDouble(), 0.7);
  EXPECT_THROW(Decimal::fromDouble(1e30), Error);
}

TEST(DecimalComparison, ComparesAcrossScales) {
  EXPECT_EQ(D("1.50"), D("1.5"));
  EXPECT_LT(D("-1"), D("0.5"));
  EXPECT_LT(D("-2"), D("-1.5"));
  EXPECT_GT(D("10"), D("9.999"));
  EXPECT_EQ(D("-0"), D("0"));
}

}  // namespace
}  // namespace briskal
