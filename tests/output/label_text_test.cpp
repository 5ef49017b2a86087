#include "output/label_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "common/convert.h"
#include "labelrows/label_rows.h"
#include "output/print_support.h"
#include "params/layout_rows.h"
#include "test_helpers.h"

namespace briskal::output {
namespace {

struct Line {
  int row, sequence;
  const char* caption;
  const char* field;
  int start, withCaption;
};

std::unique_ptr<data::Recordset> layoutOf(std::initializer_list<Line> lines) {
  auto rows = params::newLayoutRows();
  for (const Line& l : lines) {
    rows->addNew();
    rows->setValue("PD45_RIGA", Value(int32_t{l.row}));
    rows->setValue("PD45_SEQSTP", Value(int32_t{l.sequence}));
    rows->setValue("PD45_CAMPO", Value(l.caption));
    rows->setValue("PD45_DATAFIELD", Value(l.field));
    rows->setValue("PD45_POSINI", Value(int32_t{l.start}));
    rows->setValue("PD45_FLGLBLCAMPO", Value(int32_t{l.withCaption}));
    rows->update();
  }
  return rows;
}

class LabelText : public ::testing::Test {
 protected:
  void SetUp() override {
    label_ = labelrows::newLabelRows();
    label_->addNew();
    label_->setValue("DO11_SEZDOC", Value("A"));
    label_->setValue("DO11_NUMDOC", Value(Decimal(1234)));
    label_->setValue("DO30_CODART_MG66", Value("FLP-S235"));
    label_->setValue("DO11_CODREP_PD07", Value("TOR"));
    label_->setValue("PD07_DESCR", Value("Tornitura"));
    label_->setValue("MG68_PESON", Value(0.84));
    label_->setValue("MG68_UMPESO", Value::null());
    label_->setValue("DO30_QTA1", Value(*Decimal::parse("12.5")));
    label_->setValue("DO30_QTA2", Value(*Decimal::parse("3")));
    label_->setValue("QTAORDTMP", Value(*Decimal::parse("7.25")));
    label_->setValue("DO31_QTA1CONS", Value(*Decimal::parse("1")));
    label_->setValue("DO31_QTA2CONS", Value(*Decimal::parse("2")));
    label_->setValue("D031_DATACONS", Value(DateTime::fromParts(2026, 3, 5)));
    label_->update();
  }
  std::string compose(std::initializer_list<Line> lines, const char* selector = "0") {
    auto layout = layoutOf(lines);
    return composeLabel(LabelLayout(*layout, kIt), *label_, selector, kIt);
  }
  std::unique_ptr<data::Recordset> label_;
};

TEST_F(LabelText, LinesWithoutFieldsAreOneBlank) {
  EXPECT_EQ(compose({{1, 1, "", "DO11_SEZDOC", 0, 0},
                     {2, 1, "", "DO11_SEZDOC", 0, 0},
                     {4, 1, "", "DO11_SEZDOC", 0, 0}}),
            " A \r\n A \r\n \r\n A ");  // the section is CHAR(2): "A "
  EXPECT_EQ(compose({{3, 1, "", "DO11_SEZDOC", 0, 0}}), " \r\n \r\n A ");
}

TEST_F(LabelText, FieldsStartAtTheirColumnOrAfterOneBlank) {
  EXPECT_EQ(compose({{1, 1, "", "DO11_SEZDOC", 1, 0}, {1, 2, "", "DO11_SEZDOC", 20, 0}}),
            " A " + std::string(16, ' ') + "A ");  // the second value starts at column 20
  EXPECT_EQ(compose({{1, 1, "", "DO30_CODART_MG66", 0, 0}, {1, 2, "", "DO11_SEZDOC", 3, 0}}), " FLP-S235 A ");
  EXPECT_EQ(compose({{1, 1, "Ordine", "DO11_NUMDOC", 0, 1}}), " Ordine: 1234");
}

TEST_F(LabelText, ValuesFollowTheirFieldRules) {
  EXPECT_EQ(compose({{1, 1, "", "DO11_CODREP_PD07", 0, 0}}), " TOR   Tornitura");
  EXPECT_EQ(compose({{1, 1, "", "MG68_PESON", 0, 0}}), "  0,84");  // a Null unit: just the blank after it
  EXPECT_EQ(compose({{1, 1, "", "D031_DATACONS", 0, 0}}), " 05/03/2026");
  EXPECT_EQ(compose({{1, 1, "", "DO30_QTA1", 0, 0}}, "0"), " 12,5");
  EXPECT_EQ(compose({{1, 1, "", "DO30_QTA1", 0, 0}}, "2"), " 1");
  // Residual: the base quantity, or on a label row the copy of it; for both units alike.
  EXPECT_EQ(compose({{1, 1, "", "DO30_QTA1", 0, 0}}, "1"), " 7,25");
  EXPECT_EQ(compose({{1, 1, "", "DO30_QTA2", 0, 0}}, "1"), " 7,25");
  EXPECT_EQ(compose({{1, 1, "", "DO30_QTA2", 0, 0}}, "7"), " ");
  EXPECT_EQ(compose({{1, 1, "", "DO11_CLIFOR_CG44", 0, 0}}), " ");  // Null prints as an empty value
}

// Each selected label row gives exactly one record, in the label rows' order, with the data of
// the order-line row it was expanded from: an order line that the view returns twice (one row per
// cycle detail) has its labels once each, not once per view row.
TEST(PrintSupport, OneRecordPerSelectedLabelRowWithItsOwnOrderLine) {
  auto support = CreaSupportoStampaPersonalizzata();
  ASSERT_EQ(support->fieldCount(), 82u);
  EXPECT_EQ(support->field(size_t{77}).name, "QTASUETICH");
  EXPECT_EQ(support->field("DO30_PESON").numericScale, 5);
  data::Recordset lines;
  lines.appendField("DO11_NUMREG_CO99", data::FieldType::Char, 12, data::attr::kIsNullable);
  lines.appendField("DO30_PROGRIGA", data::FieldType::Decimal, 6, data::attr::kIsNullable);
  lines.appendField("DO46_PROGDET", data::FieldType::Decimal, 3, data::attr::kIsNullable);
  lines.appendField("DESCREPTESTAOL", data::FieldType::VarWChar, 40, data::attr::kIsNullable);
  lines.open();
  // Line A/1 twice, once per cycle detail, then line B/1.
  const std::tuple<const char*, int, const char*> views[] = {
      {"A", 1, "Reparto A"}, {"A", 2, "Reparto A"}, {"B", 1, "Reparto B"}};
  for (const auto& [reg, detail, department] : views) {
    lines.addNew();
    lines.setValue("DO11_NUMREG_CO99", Value(reg));
    lines.setValue("DO30_PROGRIGA", Value(Decimal(1)));
    lines.setValue("DO46_PROGDET", Value(Decimal(detail)));
    lines.setValue("DESCREPTESTAOL", Value(department));
    lines.update();
  }
  // Label rows as the expansion writes them: each names its order-line row by its ordinal.
  struct LabelRow {
    int line;
    const char* selected;
  };
  const LabelRow rows[] = {{1, "1"}, {1, "0"}, {2, "1"}, {2, "1"}, {3, "2"}, {3, "1"}, {4, "1"}};
  auto labels = labelrows::newLabelRows();
  int32_t id = 0;
  for (const LabelRow& r : rows) {
    labels->addNew();
    labels->setValue("DO11_NUMREG_CO99", Value(r.line == 3 ? "B" : "A"));
    labels->setValue("DO30_PROGRIGA", Value(Decimal(1)));
    labels->setValue("IDRIGAORDINE", Value(Decimal(r.line)));
    labels->setValue("SELEZIONE", Value(r.selected));
    labels->setValue("QTASUETICH", Value(Decimal(++id)));
    labels->setValue("MG68_PESON", Value::null());
    labels->update();
  }
  AlimentaSupportoStampaPersonalizzata(lines, *labels, *support);
  std::vector<std::string> got;
  for (support->moveFirst(); !support->eof(); support->moveNext())
    got.push_back(toText(support->value("DESCREP_DOC"), kIt) + "/" +
                  toText(support->value("DO46_PROGDET"), kIt) + "/" +
                  toText(support->value("QTASUETICH"), kIt));
  // Row 4 names no order line of the recordset and gives no record.
  EXPECT_EQ(got,
            (std::vector<std::string>{"Reparto A/1/1", "Reparto A/2/3", "Reparto A/2/4", "Reparto B/1/6"}));
  support->moveFirst();
  EXPECT_TRUE(support->value("PESONETTO").isNull());
  EXPECT_EQ(support->value("SELEZIONE"), Value("S"));
}

}  // namespace
}  // namespace briskal::output
