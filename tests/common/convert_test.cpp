#include "common/convert.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "test_helpers.h"

namespace briskal {
namespace {

const RegionalSettings kEn = RegionalSettings::english();

using testing::errorNumber;

TEST(IntegerConversion, RoundsHalvesToEven) {
  EXPECT_EQ(toInt16(Value(2.5), kIt), 2);
  EXPECT_EQ(toInt16(Value(3.5), kIt), 4);
  EXPECT_EQ(toInt16(Value(-2.5), kIt), -2);
  EXPECT_EQ(toInt16(Value(0.5), kIt), 0);
  EXPECT_EQ(toInt16(Value(2.6), kIt), 3);
  EXPECT_EQ(toInt32(Value(1417.5), kIt), 1418);
  EXPECT_EQ(toInt32(Value(1416.5), kIt), 1416);
  EXPECT_EQ(toInt32(Value(25427.45), kIt), 25427);
  EXPECT_EQ(toInt32(Value(*Decimal::parse("2.5")), kIt), 2);
  EXPECT_EQ(toInt16(Value("2,5"), kIt), 2);
  EXPECT_EQ(toInt16(Value("2.5"), kEn), 2);
  EXPECT_EQ(toInt16(Value(true), kIt), -1);
  EXPECT_EQ(toInt16(Value(), kIt), 0);
}

TEST(IntegerConversion, ReportsThePlatformErrors) {
  EXPECT_EQ(errorNumber([] { toInt16(Value(32767.5), kIt); }), 6);
  EXPECT_EQ(errorNumber([] { toInt16(Value(int32_t{40000}), kIt); }), 6);
  EXPECT_EQ(errorNumber([] { toInt32(Value(3e9), kIt); }), 6);
  EXPECT_EQ(errorNumber([] { toInt16(Value("abc"), kIt); }), 13);
  EXPECT_EQ(errorNumber([] { toInt16(Value(""), kIt); }), 13);
  EXPECT_EQ(errorNumber([] { toInt32(Value::null(), kIt); }), 94);
}

TEST(IntAndFix, FloorAndTruncateKeepTheType) {
  EXPECT_EQ(Int(Value(-2.5), kIt), Value(-3.0));
  EXPECT_EQ(Int(Value(-8.4), kIt), Value(-9.0));
  EXPECT_EQ(Fix(Value(-8.4), kIt), Value(-8.0));
  EXPECT_EQ(Int(Value(*Decimal::parse("3.7")), kIt), Value(Decimal(3)));
  EXPECT_TRUE(Int(Value::null(), kIt).isNull());
}

TEST(NumberText, FollowsRegionalSettings) {
  EXPECT_EQ(toText(Value(0.7), kIt), "0,7");
  EXPECT_EQ(toText(Value(1234.5), kIt), "1234,5");
  EXPECT_EQ(toText(Value(1234.5), kEn), "1234.5");
  EXPECT_EQ(toText(Value(*Decimal::parse("1.50")), kIt), "1,5");
  EXPECT_EQ(toText(Value(0.1 + 0.2), kEn), "0.3");
  EXPECT_EQ(toText(Value(1.0 / 3), kEn), "0.333333333333333");
  EXPECT_EQ(toText(Value(0.00001), kEn), "1E-05");
  EXPECT_EQ(toText(Value(1e15), kEn), "1E+15");
  EXPECT_EQ(toText(Value(123456789012345.0), kEn), "123456789012345");
  EXPECT_EQ(toText(Value(-0.0), kEn), "0");
  EXPECT_EQ(toText(Value(true), kIt), "True");
  EXPECT_EQ(toText(Value(), kIt), "");
  EXPECT_EQ(errorNumber([] { toText(Value::null(), kIt); }), 94);
}

TEST(NumberText, ParsesByRegionalSettings) {
  EXPECT_DOUBLE_EQ(toDouble(Value("1,5"), kIt), 1.5);
  EXPECT_DOUBLE_EQ(toDouble(Value("1.234,5"), kIt), 1234.5);
  EXPECT_DOUBLE_EQ(toDouble(Value("1.5"), kIt), 15);
  EXPECT_DOUBLE_EQ(toDouble(Value("1,5"), kEn), 15);
  EXPECT_DOUBLE_EQ(toDouble(Value("(5)"), kEn), -5);
  EXPECT_DOUBLE_EQ(toDouble(Value("5-"), kEn), -5);
  EXPECT_DOUBLE_EQ(toDouble(Value("&HFFFF"), kEn), -1);
  EXPECT_EQ(toDecimal(Value("0,7"), kIt).toString(), "0.7");
  // Numbers a Decimal cannot hold exactly are read as doubles, not rounded away.
  EXPECT_DOUBLE_EQ(toDouble(Value("1E-30"), kEn), 1e-30);
  EXPECT_DOUBLE_EQ(toDouble(Value(toText(Value(1.23456789012345E-20), kEn)), kEn), 1.23456789012345E-20);
  EXPECT_DOUBLE_EQ(toDouble(Value("1E+40"), kEn), 1e40);
}

TEST(IsNumericCheck, WholeTextMustBeANumber) {
  EXPECT_TRUE(IsNumeric(Value("53"), kEn));
  EXPECT_TRUE(IsNumeric(Value("459.95"), kEn));
  EXPECT_TRUE(IsNumeric(Value(" 12 "), kEn));
  EXPECT_TRUE(IsNumeric(Value("1E3"), kEn));
  EXPECT_TRUE(IsNumeric(Value("1,5"), kIt));
  EXPECT_TRUE(IsNumeric(Value(), kIt));
  EXPECT_FALSE(IsNumeric(Value("45 Help"), kEn));
  EXPECT_FALSE(IsNumeric(Value(""), kEn));
  EXPECT_FALSE(IsNumeric(Value::null(), kEn));
  EXPECT_FALSE(IsNumeric(Value(DateTime::fromParts(2024, 1, 1)), kEn));
}

TEST(DateText, FollowsRegionalSettings) {
  const auto christmas = DateTime::fromParts(2024, 12, 25);
  const auto withTime = DateTime::fromParts(2024, 12, 25, 14, 30, 0);
  EXPECT_EQ(toText(Value(christmas), kIt), "25/12/2024");
  EXPECT_EQ(toText(Value(withTime), kIt), "25/12/2024 14:30:00");
  EXPECT_EQ(toText(Value(christmas), kEn), "12/25/2024");
  EXPECT_EQ(toText(Value(withTime), kEn), "12/25/2024 2:30:00 PM");
  EXPECT_EQ(toText(Value(DateTime::fromParts(2024, 3, 5)), kIt), "05/03/2024");
  EXPECT_EQ(toDate(Value("05/03/2024"), kIt), DateTime::fromParts(2024, 3, 5));
  EXPECT_EQ(toDate(Value("3/5/2024"), kEn), DateTime::fromParts(2024, 3, 5));
  EXPECT_EQ(toDate(Value("2024-03-05 10:20"), kIt), DateTime::fromParts(2024, 3, 5, 10, 20));
  EXPECT_EQ(errorNumber([] { toDate(Value("31/02/2024"), kIt); }), 13);
  EXPECT_DOUBLE_EQ(DateTime::fromParts(1900, 1, 1).serial(), 2);
}

TEST(NumberFormat, GroupsAndRoundsHalvesAwayFromZero) {
  EXPECT_EQ(formatNumber(Value(1234.5678), "###,##0.000", kEn), "1,234.568");
  EXPECT_EQ(formatNumber(Value(1234.5678), "###,##0.000", kIt), "1.234,568");
  EXPECT_EQ(formatNumber(Value(0.5), "###,##0.000", kEn), "0.500");
  EXPECT_EQ(formatNumber(Value(-1234.5), "###,##0.000", kEn), "-1,234.500");
  EXPECT_EQ(formatNumber(Value(0.125), "0.00", kEn), "0.13");
  EXPECT_EQ(formatNumber(Value(2.5), "0", kEn), "3");
  EXPECT_EQ(formatNumber(Value(*Decimal::parse("1234567.0005")), "###,##0.000", kIt), "1.234.567,001");
  EXPECT_EQ(formatNumber(Value::null(), "###,##0.000", kIt), "");
  // A format asking for more places than a decimal holds shows the places it holds.
  const std::string places(100, '0');
  EXPECT_EQ(formatNumber(Value(*Decimal::parse("1.5")), "0." + places, kEn), "1.5" + std::string(27, '0'));
  EXPECT_EQ(Decimal::parse("2.25")->rescale(90).toString(), "2.2500000000000000000000000000");
}

TEST(Concatenation, NullAndEmptyCountAsEmptyText) {
  EXPECT_TRUE(concat(Value::null(), Value::null(), kIt).isNull());
  EXPECT_EQ(concat(Value::null(), Value("A"), kIt), Value("A"));
  EXPECT_EQ(concat(Value(), Value(int32_t{1}), kIt), Value("1"));
  EXPECT_EQ(concat(Value("Check "), Value(int32_t{123}), kIt), Value("Check 123"));
  EXPECT_EQ(concat(Value("q="), Value(0.7), kIt), Value("q=0,7"));
}

}  // namespace
}  // namespace briskal
