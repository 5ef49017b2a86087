#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/recordset.h"
#include "test_helpers.h"

namespace briskal::data {
namespace {

using testing::errorNumber;

class CriteriaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rs_.appendField("ID", FieldType::Integer, 0, attr::kIsNullable);
    rs_.appendField("CODE", FieldType::Char, 10, attr::kIsNullable);
    rs_.appendField("NAME", FieldType::VarWChar, 40, attr::kIsNullable);
    rs_.appendField("QTY", FieldType::Decimal, 14, attr::kIsNullable);
    rs_.appendField("SEL", FieldType::Char, 1, attr::kIsNullable);
    rs_.appendField("DAY", FieldType::Date, 0, attr::kIsNullable);
    rs_.appendField("ANY", FieldType::Variant, 0, attr::kIsNullable);
    rs_.open();
    add(1, "AB", "O'Brien", "3.7", "1", DateTime::fromParts(2026, 1, 15), Value(1.5));
    add(2, "ab", "Società Rossi", "10", "0", DateTime::fromParts(2026, 2, 1), Value("x"));
    add(3, "CD", "Bianchi", "0.4", "9", DateTime::fromParts(2026, 3, 1), Value::null());
    add(4, "CD", "Verdi & C.", "25", "1", DateTime::fromParts(2026, 3, 1, 12, 0), Value(int32_t{7}));
    rs_.addNew();
    rs_.setValue("ID", Value(int32_t{5}));
    rs_.update();
  }

  void add(int32_t id, const char* code, const char* name, const char* qty, const char* sel, DateTime day,
           Value any) {
    rs_.addNew();
    rs_.setValue("ID", Value(id));
    rs_.setValue("CODE", Value(code));
    rs_.setValue("NAME", Value(name));
    rs_.setValue("QTY", Value(*Decimal::parse(qty)));
    rs_.setValue("SEL", Value(sel));
    rs_.setValue("DAY", Value(day));
    rs_.setValue("ANY", any);
    rs_.update();
  }

  std::vector<int32_t> ids(const std::string& criteria) {
    rs_.setFilter(criteria);
    std::vector<int32_t> out;
    for (; !rs_.eof(); rs_.moveNext()) out.push_back(rs_.value("ID").asInt32());
    return out;
  }

  Recordset rs_;
};

using Ids = std::vector<int32_t>;

TEST_F(CriteriaTest, ComparesTextIgnoringCaseButNotTrailingBlanks) {
  EXPECT_EQ(ids(" SEL = '1'"), (Ids{1, 4}));
  EXPECT_EQ(ids("SEL= '9'"), (Ids{3}));
  EXPECT_EQ(ids("CODE = 'AB        '"), (Ids{1, 2}));
  EXPECT_EQ(ids("CODE = 'AB'"), (Ids{}));
  EXPECT_EQ(ids("NAME = 'SOCIETÀ ROSSI'"), (Ids{2}));
  EXPECT_EQ(ids("NAME > 'C'"), (Ids{1, 2, 4}));
  // A bare number against a text field compares as its text.
  EXPECT_EQ(ids("SEL = 1"), (Ids{1, 4}));
}

TEST_F(CriteriaTest, QuotesInsideLiteralsAreDoubled) {
  EXPECT_EQ(ids("NAME = 'O''Brien'"), (Ids{1}));
  EXPECT_EQ(ids("NAME = 'Verdi & C.' OR NAME = 'O''Brien'"), (Ids{1, 4}));
  EXPECT_EQ(ids("NAME = '1; DROP TABLE X'"), (Ids{}));
}

TEST_F(CriteriaTest, ComparesNumbersAndDatesByValue) {
  EXPECT_EQ(ids("QTY > 3.5"), (Ids{1, 2, 4}));
  EXPECT_EQ(ids("QTY = 3.70"), (Ids{1}));
  // Row 5 never had QTY assigned: Empty counts as 0 against numbers.
  EXPECT_EQ(ids("QTY <= '0.4'"), (Ids{3, 5}));
  EXPECT_EQ(ids("ID <> 2 AND QTY < 20"), (Ids{1, 3, 5}));
  EXPECT_EQ(ids("DAY >= #2026-03-01#"), (Ids{3, 4}));
  EXPECT_EQ(ids("DAY < #2/1/2026#"), (Ids{1}));
  EXPECT_EQ(ids("ANY = 7"), (Ids{4}));
  EXPECT_EQ(ids("ANY = 'x'"), (Ids{2}));
  // Row 5 never had ANY or NAME assigned: Empty, which is not Null.
  EXPECT_EQ(ids("ANY = Null"), (Ids{3}));
  EXPECT_EQ(ids("NAME <> Null"), (Ids{1, 2, 3, 4, 5}));
}

TEST_F(CriteriaTest, JoinsClausesLeftToRightWithGroups) {
  EXPECT_EQ(ids("CODE = 'AB        ' AND ID <> 0 "), (Ids{1, 2}));
  EXPECT_EQ(ids("SEL = '1' OR SEL = '9'"), (Ids{1, 3, 4}));
  EXPECT_EQ(ids("(SEL = '1' AND ID = 1) OR (SEL = '9' AND ID = 3) OR ID = 5"), (Ids{1, 3, 5}));
  EXPECT_EQ(ids("(SEL = '1' OR SEL = '0') OR ID = 3"), (Ids{1, 2, 3, 4}));
  EXPECT_EQ(ids("CODE = 'CD        ' and id = 4"), (Ids{4}));
}

TEST(CriteriaOnBooleans, TrueIsMinusOneAndFalseZero) {
  Recordset rs;
  rs.appendField("ID", FieldType::Integer);
  rs.appendField("FLAG", FieldType::Boolean);
  rs.open();
  for (int32_t id : {1, 2}) {
    rs.addNew();
    rs.setValue("ID", Value(id));
    rs.setValue("FLAG", Value(id == 2));
    rs.update();
  }
  for (const char* criteria : {"FLAG = -1", "FLAG = True", "FLAG = 'true'", "FLAG <> 0"}) {
    rs.setFilter(criteria);
    ASSERT_EQ(rs.recordCount(), 1) << criteria;
    EXPECT_EQ(rs.value("ID"), Value(int32_t{2})) << criteria;
  }
  EXPECT_EQ(errorNumber([&] { rs.setFilter("FLAG = 'maybe'"); }), 3001);
}

TEST_F(CriteriaTest, LikeTakesTrailingOrSurroundingWildcards) {
  EXPECT_EQ(ids("NAME LIKE 'b*'"), (Ids{3}));
  EXPECT_EQ(ids("NAME LIKE '%ss%'"), (Ids{2}));
  EXPECT_EQ(ids("NAME like 'bianchi'"), (Ids{3}));
  EXPECT_EQ(errorNumber([&] { rs_.setFilter("NAME LIKE '*chi'"); }), 3001);
  EXPECT_EQ(errorNumber([&] { rs_.setFilter("NAME LIKE 'B*i'"); }), 3001);
}

TEST_F(CriteriaTest, MalformedCriteriaGiveAClearErrorAndKeepTheOldFilter) {
  rs_.setFilter("SEL = '1'");
  const std::vector<std::string> bad = {
      "(SEL = '1' OR SEL = '0') AND ID = 3",  // an OR group joined by AND
      "SEL = '1",                             // unterminated text
      "SEL '1'",                              // no operator
      "SEL != '1'",                           // not an operator here
      "= '1'",                                // no field
      "SEL = '1' AND",                        // dangling AND
      "(SEL = '1'",                           // unbalanced
      "SEL = '1')",                           //
      "QTY = 'abc'",                          // not a number for a number field
      "DAY = #yesterday#",                    // not a date for a date field
      "ID = 1.2.3",                           // malformed number
      "ID = 0x10",                            // numbers are read by the grammar:
      "ID = 0x1p4",                           //   no hexadecimal,
      "ID = -inf",                            //   no infinity,
      "ID = 1e",                              //   no exponent without digits
      "ID = -$1.",                            //   no point without digits after it
      "SEL > Null",                           // Null takes = or <> only
      "   ",                                  // (empty is fine: it removes the filter)
  };
  for (size_t i = 0; i + 1 < bad.size(); ++i) {
    const int32_t number = errorNumber([&] { rs_.setFilter(bad[i]); });
    EXPECT_EQ(number, 3001) << bad[i];
    EXPECT_EQ(rs_.filter(), "SEL = '1'") << bad[i];
  }
  EXPECT_EQ(errorNumber([&] { rs_.setFilter("NOSUCH = 1"); }), 3265);
  // Nesting is bounded: a deep one is refused with a message, not a stack overflow.
  const std::string deep = std::string(20000, '(') + "ID = 1" + std::string(20000, ')');
  EXPECT_EQ(errorNumber([&] { rs_.setFilter(deep); }), 3001);
  const std::string fine = std::string(100, '(') + "ID = 1" + std::string(100, ')');
  rs_.setFilter(fine);
  EXPECT_EQ(rs_.recordCount(), 1);
  rs_.setFilter("ID = -$1E+2 OR ID = +3");
  EXPECT_EQ(rs_.recordCount(), 1);
  try {
    rs_.setFilter("SEL = '1' AND ID 3");
  } catch (const Error& e) {
    EXPECT_NE(e.description().find("position 18"), std::string::npos) << e.description();
  }
  rs_.setFilter(bad.back());
  EXPECT_EQ(rs_.recordCount(), 5);
}

}  // namespace
}  // namespace briskal::data
