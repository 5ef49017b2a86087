// GS1 element strings as people write them and as barcodes carry them: each reads back in both
// forms, with a group separator only where a field's length is not predefined, and each broken rule
// is refused with a sentence naming the AI. Every key below has had its check digit computed.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "hostkit/gs1/element_string.h"

namespace briskal::hostkit::gs1 {
namespace {

const std::string kGs(1, kGroupSeparator);
const std::string kGtin = "(01)09521234543213";
const std::string kSscc = "(00)106141411234567897";
const std::string kGs1Characters = "GS1 data uses digits, letters and !\"%&'()*+,-./:;<=>?_";

// The description of the error `step` throws, or "" when it throws none.
template <typename Step>
std::string refusal(Step step) {
  try {
    step();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), err::kInvalidArgument);
    EXPECT_EQ(e.source(), "GS1");
    return e.description();
  }
  return "";
}

std::string bracketedRefusal(const std::string& text, CheckDigits checkDigits = CheckDigits::Verify) {
  return refusal([&] { parseBracketed(text, checkDigits); });
}

std::string encodedRefusal(const std::string& data) {
  return refusal([&] { parseEncoded(data); });
}

TEST(Gs1ElementStrings, ReadBackInBothFormsWithSeparatorsOnlyAfterFieldsOfFreeLength) {
  const std::vector<std::pair<std::string, std::string>> forms{
      {kGtin + "(10)LOT-7(17)261231(21)ABC",
       "0109521234543213"
       "10LOT-7" +
           kGs +
           "17261231"
           "21ABC"},
      {"(00)380123451234567891(02)08012345000012(37)12(10)LOT-7(15)261231",
       "00380123451234567891"
       "0208012345000012"
       "3712" +
           kGs + "10LOT-7" + kGs + "15261231"},
      {"(402)06141411234567890(422)380(421)38020100(3103)001250(410)0614141000012(400)PO/26:7",
       "40206141411234567890" + kGs + "422380" + kGs + "42138020100" + kGs +
           "3103001250"
           "4100614141000012"
           "400PO/26:7"},
  };
  for (const auto& [text, data] : forms) {
    const std::vector<Element> elements = parseBracketed(text);
    EXPECT_EQ(bracketed(elements), text);
    EXPECT_EQ(encoded(elements), data) << text;
    EXPECT_EQ(parseEncoded(data), elements) << text;
  }
  EXPECT_EQ(
      parseBracketed(forms[0].first),
      (std::vector<Element>{{"01", "09521234543213"}, {"10", "LOT-7"}, {"17", "261231"}, {"21", "ABC"}}));
}

TEST(Gs1ElementStrings, EncodedFormToleratesASeparatorAfterAPredefinedLength) {
  EXPECT_EQ(parseEncoded("0109521234543213" + kGs + "10LOT-7" + kGs + "17261231"),
            parseBracketed(kGtin + "(10)LOT-7(17)261231"));
}

TEST(Gs1ElementStrings, BracketsAndBackslashesInDataAreEscaped) {
  const std::vector<Element> elements{{"01", "09521234543213"}, {"10", "A(1)"}};
  EXPECT_EQ(bracketed(elements), kGtin + "(10)A\\(1)");
  EXPECT_EQ(parseBracketed(kGtin + "(10)A\\(1)"), elements);
  EXPECT_EQ(bracketedRefusal(kGtin + "(10)A\\\\1"), "(10): '\\' is not allowed: " + kGs1Characters);
}

TEST(Gs1ElementStrings, RefusesBrokenDataNamingTheAiAndTheRule) {
  const std::vector<std::pair<std::string, std::string>> refusals{
      {"(00)10614141123456789", "(00): 18 digits, not 17"},
      {kGtin + "(10)123456789012345678901", "(10): 1 to 20 characters, not 21"},
      {kGtin + "(10)LOT 7", "(10): ' ' is not allowed: " + kGs1Characters},
      {kGtin + "(21)A\xC3\xA9", "(21): byte 0xC3 is not allowed: " + kGs1Characters},
      {"(01)0952123454321O", "(01): 'O' is not allowed: the data is digits only"},
      {"(421)3B020100", "(421): 'B' is not allowed: the first 3 are a numeric country code"},
      {"(421)380", "(421): 4 to 12 characters, not 3"},
      {kGtin + "(17)261331", "(17): 261331 is not a date (YYMMDD)"},
      {"(00)380123451234567897(02)08012345000018(37)12(10)LOT-7(15)261231",
       "(00): the check digit is 7, it must be 1"},
      {"(00)380123451234567891(02)08012345000018(37)12(10)LOT-7(15)261231",
       "(02): the check digit is 8, it must be 2"},
      {"(99)1", "(99) is not an application identifier this system knows"},
      {"", "The element string is empty"},
      {"0109521234543213", "The element string must begin with an AI in brackets, such as (01)"},
      {kGtin + "(10", "The bracket of (10 is not closed"},
      {"()1", "Empty brackets stand where an AI should be"},
      {kGtin + "(10)(21)1", "(10): the data is missing"},
  };
  for (const auto& [text, message] : refusals) EXPECT_EQ(bracketedRefusal(text), message) << text;
}

TEST(Gs1ElementStrings, RefusesBrokenEncodedData) {
  EXPECT_EQ(encodedRefusal(""), "The element string is empty");
  EXPECT_EQ(encodedRefusal("01095212345432"), "(01): 14 digits, not 12");
  EXPECT_EQ(encodedRefusal("01095212345432" + kGs + "10A"), "(01): 14 digits, not 12");
  EXPECT_EQ(encodedRefusal("0109521234543213" + kGs + kGs + "10A"),
            "A group separator stands where an AI should begin");
  EXPECT_EQ(encodedRefusal(kGtin), "'(' stands where an AI should begin");
  EXPECT_EQ(encodedRefusal("010952123454321310" + kGs + "21A"), "(10): the data is missing");
  EXPECT_EQ(encodedRefusal("01095212345432134231"),
            "(423) is not an application identifier this system knows");
  EXPECT_EQ(encodedRefusal("9912"), "(99) is not an application identifier this system knows");
}

TEST(Gs1ElementStrings, WritersRefuseWhatTheReadersWould) {
  EXPECT_EQ(refusal([] { encoded({}); }), "The element string is empty");
  EXPECT_EQ(refusal([] { encoded({{"01", "09521234543214"}}); }), "(01): the check digit is 4, it must be 3");
  EXPECT_EQ(refusal([] {
              bracketed({{"10", "LOT-7"}});
            }),
            "(10) requires (01) or (02) in the same element string");
  EXPECT_EQ(refusal([] {
              bracketed({{"9", "1"}});
            }),
            "(9) is not an application identifier this system knows");
}

TEST(Gs1CheckDigits, ComputeCompletesKeysAndStillVerifiesFullOnes) {
  EXPECT_EQ(checkDigit("0952123454321"), '3');
  EXPECT_EQ(checkDigit("10614141123456789"), '7');
  EXPECT_EQ(refusal([] { checkDigit("12A4"); }), "A check digit is computed from digits, not from 'A'");
  EXPECT_EQ(parseBracketed("(00)10614141123456789(02)0952123454321(37)4", CheckDigits::Compute),
            (std::vector<Element>{{"00", "106141411234567897"}, {"02", "09521234543213"}, {"37", "4"}}));
  EXPECT_EQ(parseBracketed(kGtin + "(402)0614141123456789(410)061414100001", CheckDigits::Compute),
            parseBracketed(kGtin + "(402)06141411234567890(410)0614141000012"));
  EXPECT_EQ(bracketedRefusal("(01)09521234543214", CheckDigits::Compute),
            "(01): the check digit is 4, it must be 3");
  EXPECT_EQ(bracketedRefusal("(01)095212345432", CheckDigits::Compute),
            "(01): 13 digits without the check digit or 14 with it, not 12");
  EXPECT_EQ(bracketedRefusal("(01)0952123454321"), "(01): 14 digits, not 13");
}

TEST(Gs1Dates, MustExistWithDayZeroForTheMonthsEnd) {
  for (const std::string date : {"240229", "000229", "260200", "261231", "260430"}) {
    EXPECT_EQ(bracketedRefusal("(12)" + date), "") << date;
  }
  for (const std::string date : {"250229", "260431", "261301", "260001", "260132"}) {
    EXPECT_EQ(bracketedRefusal("(12)" + date), "(12): " + date + " is not a date (YYMMDD)");
  }
  EXPECT_EQ(bracketedRefusal(kGtin + "(11)260100(13)260200(15)260300(16)260400(17)260500"), "");
}

TEST(Gs1Pairs, RefusedWithTheRuleTheyBreak) {
  const std::vector<std::pair<std::string, std::string>> refusals{
      {kGtin + "(10)A(10)B", "(10) appears twice: an element string carries each AI once"},
      {kSscc + kGtin + "(02)09521234543213",
       "(01) and (02) cannot appear together: a unit either is a trade item or contains them"},
      {"(02)09521234543213", "(02) requires (37) in the same element string"},
      {kSscc + "(37)5", "(37) requires (02) in the same element string"},
      {kSscc + "(15)261231", "(15) requires (01) or (02) in the same element string"},
      {kSscc + "(02)09521234543213(37)5(21)7", "(21) requires (01) in the same element string"},
      {"(30)12", "(30) requires (01) or (02) in the same element string"},
  };
  for (const auto& [text, message] : refusals) EXPECT_EQ(bracketedRefusal(text), message) << text;
  EXPECT_EQ(bracketedRefusal(kSscc + "(02)09521234543213(37)5(10)L(30)3"), "");
}

TEST(Gs1Sscc, FillsTheSerialReferenceBesideThePrefix) {
  EXPECT_EQ(sscc(0, "0614141", 123456789), "006141411234567890");
  EXPECT_EQ(sscc(3, "0614141999", 42), "306141419990000423");
  EXPECT_EQ(sscc(9, "0614141", 999'999'999), "906141419999999997");
  EXPECT_EQ(parseBracketed("(00)" + sscc(3, "0614141999", 42))[0].data, "306141419990000423");
  EXPECT_EQ(largestSerialReference(7), 999'999'999u);
  EXPECT_EQ(largestSerialReference(10), 999'999u);
  EXPECT_EQ(refusal([] { sscc(0, "0614141", 1'000'000'000); }),
            "The serial reference 1000000000 does not fit an SSCC beside a 7-digit company prefix: at most "
            "999999999");
  EXPECT_EQ(refusal([] { sscc(10, "0614141", 1); }), "An SSCC's extension digit is 0 to 9, not 10");
  EXPECT_EQ(refusal([] { sscc(0, "061414", 1); }), "A GS1 company prefix has 7 to 10 digits, not 6");
  EXPECT_EQ(refusal([] { sscc(0, "06141419999", 1); }), "A GS1 company prefix has 7 to 10 digits, not 11");
  EXPECT_EQ(refusal([] { sscc(0, "06141A1", 1); }), "The company prefix 06141A1 is not all digits");
}

}  // namespace
}  // namespace briskal::hostkit::gs1
