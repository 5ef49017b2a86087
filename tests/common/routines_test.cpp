#include "common/routines.h"

#include <gtest/gtest.h>

#include "common/utf8.h"
#include "test_helpers.h"

namespace briskal {
namespace {

TEST(Nvl, FallsBackOnEmptyNullAndBlankText) {
  EXPECT_EQ(NVL(Value(), Value(int32_t{0})), Value(int32_t{0}));
  EXPECT_EQ(NVL(Value::null(), Value("x")), Value("x"));
  EXPECT_EQ(NVL(Value("   "), Value("x")), Value("x"));
  EXPECT_EQ(NVL(Value(" a "), Value("x")), Value(" a "));
  EXPECT_EQ(NVL(Value(0.0), Value(1.0)), Value(0.0));
}

TEST(StringaFissaWidth, PadsAndCutsByCharacters) {
  EXPECT_EQ(StringaFissa(Value(" ab "), 10, kIt), Value("ab        "));
  EXPECT_EQ(StringaFissa(Value("ABCDEFGHIJKL"), 10, kIt), Value("ABCDEFGHIJ"));
  EXPECT_TRUE(StringaFissa(Value::null(), 10, kIt).isNull());
  EXPECT_TRUE(StringaFissa(Value(), 10, kIt).isNull());
  EXPECT_EQ(StringaFissa(Value(""), 3, kIt), Value("   "));
  const std::string accented = "Società Cooperativa Metalmeccanica Però è";
  const std::string fixed = StringaFissa(accented + "xyz", 40);
  EXPECT_EQ(utf8::length(fixed), 40u);
  EXPECT_EQ(fixed, std::string(utf8::left(accented + "xyz", 40)));
  EXPECT_EQ(utf8::length(StringaFissa("àèìòù", 8)), 8u);
}

TEST(ArrotondaHalves, GoUpwardsOnTheExactValue) {
  EXPECT_DOUBLE_EQ(Arrotonda(Value(2.345), 2, kIt), 2.35);
  EXPECT_DOUBLE_EQ(Arrotonda(Value(-2.345), 2, kIt), -2.34);
  EXPECT_DOUBLE_EQ(Arrotonda(Value(0.7 * 1.2), 5, kIt), 0.84);
  EXPECT_DOUBLE_EQ(Arrotonda(Value(10.0 / 3), 4, kIt), 3.3333);
  EXPECT_DOUBLE_EQ(Arrotonda(Value(*Decimal::parse("4.685")), 2, kIt), 4.69);
}

TEST(Utf8, FoldsCaseForComparisons) {
  EXPECT_TRUE(utf8::equalsNoCase("Società", "SOCIETÀ"));
  EXPECT_TRUE(utf8::equalsNoCase("Ÿ", "ÿ"));
  EXPECT_FALSE(utf8::equalsNoCase("Ÿ", "ź"));
  EXPECT_LT(utf8::compareNoCase("abc", "ABD"), 0);
  EXPECT_EQ(utf8::fromUtf16(utf8::toUtf16("Però €")), "Però €");
}

}  // namespace
}  // namespace briskal
