#include "labelrows/label_expansion.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/convert.h"
#include "common/error.h"
#include "labelrows/label_rows.h"
#include "test_helpers.h"

namespace briskal::labelrows {
namespace {

// Order lines as the query gives them, one Variant column for each name the expansion reads.
class OrderLines {
 public:
  OrderLines() {
    for (const char* name :
         {"DO11_SEZDOC",       "DO11_NUMDOC",       "DO46_CODREPARTO",  "PD07_DESCR",
          "DO11_CLIFOR_CG44",  "DO30_PROGRIGA",     "DO30_CODDEP_MG58", "DO30_CODART_MG66",
          "DO30_OPZIONE_MG5E", "DO30_DESCART",      "DO30_UM1",         "DO30_UM2",
          "DO30_QTA1",         "DO30_QTA2",         "DO30_CODARTCLI",   "DO31_DATACONS",
          "DO41_CODPROGETTO",  "DO41_CODSPROGETTO", "DO41_CODCOMMESSA", "DO41_CODSCOMMESSA",
          "PD12_CODICE_PD01",  "PD01_DESCR",        "DO46_MACCHINAALT", "PD08_DESCR",
          "CG16_RAGSOANAG",    "CG16_INDIRIZZO",    "CG16_CAP",         "CG16_CITTA",
          "CG16_PROV",         "DO11_NUMREG_CO99",  "DO31_QTA1CONS",    "DO31_QTA2CONS",
          "QTAORD1",           "QTAORD2",           "DO30_UMPESO",      "DO30_UMVOLUME",
          "DO30_UMCAPAC",      "DO30_PESON",        "DO30_PESOL",       "DO30_VOLUME",
          "DO30_CAPACITA",     "DO30_ALTEZZA",      "DO30_BASE",        "DO30_PROFONDITA",
          "DO30_PZCONF",       "DO33_NUMNSDOC",     "DO33_SEZNSDOC"})
      rs.appendField(name, data::FieldType::Variant, 0, data::attr::kIsNullable);
    rs.open();
  }
  // A line with residual quantity q, pieces per package p and net weight 1.2 per unit.
  void add(const Value& q, const Value& p = Value::null(), const Value& weight = Value(D("1.2"))) {
    rs.addNew();
    for (size_t f = 0; f < rs.fieldCount(); ++f) rs.setValue(f, Value::null());
    rs.setValue("DO11_NUMREG_CO99", Value("REG" + std::to_string(rs.recordCount())));
    rs.setValue("DO11_NUMDOC", Value(D("100")));
    rs.setValue("DO30_CODART_MG66", Value("FLP-S235-050"));
    rs.setValue("QTAORD1", q);
    rs.setValue("DO30_PZCONF", p);
    rs.setValue("DO30_PESON", weight);
    rs.setValue("DO30_UMPESO", Value("KG"));
    rs.update();
  }
  data::Recordset rs;
};

struct Label {
  std::string selection;
  std::string kind;
  Value quantity;
  Value weight;
};

class Expansion : public ::testing::Test {
 protected:
  std::vector<Label> expand(QuantityBasis basis, const std::string& labels = "") {
    rows_ = newLabelRows();
    LabelExpansion expansion(
        lines_->rs, *rows_, kIt,
        [this](const char* procedure, const std::function<void()>& body) {
          try {
            body();
          } catch (const Error& e) {
            errors_.push_back(std::string(procedure) + ": " + e.description());
          }
        },
        [this] { ++zeroPieceMessages_; });
    ExpansionOptions options;
    options.basis = basis;
    options.labelsPerLine = labels;
    expansion.expandAll(options);
    std::vector<Label> out;
    for (rows_->moveFirst(); !rows_->eof(); rows_->moveNext())
      out.push_back({rows_->value("SELEZIONE").asText(), rows_->value("TIPORIGA").asText(),
                     rows_->value("QTASUETICH"), rows_->value("MG68_PESON")});
    return out;
  }
  static std::vector<std::string> quantities(const std::vector<Label>& labels) {
    std::vector<std::string> q;
    for (const Label& l : labels) q.push_back(toText(l.quantity, kIt));
    return q;
  }
  using Texts = std::vector<std::string>;

  std::unique_ptr<OrderLines> lines_ = std::make_unique<OrderLines>();
  std::unique_ptr<data::Recordset> rows_;
  std::vector<std::string> errors_;
  int zeroPieceMessages_ = 0;
};

TEST_F(Expansion, OneLabelPerUnitWithTheFractionLast) {
  lines_->add(Value(D("3.7")));
  auto labels = expand(QuantityBasis::Unit);
  EXPECT_EQ(quantities(labels), (Texts{"1", "1", "1", "0,7"}));
  EXPECT_EQ(labels[0].kind, "M");
  EXPECT_EQ(labels[3].kind, "D");
  EXPECT_EQ(labels[3].quantity, Value(D("0.7")));  // exact: never 0.7000000000000002
  EXPECT_EQ(labels[0].weight, Value(D("1.2")));    // a label of 1 carries the unit weight
  EXPECT_EQ(labels[3].weight, Value(0.84));        // 0.7 x 1.2, rounded to 5 decimals
  for (const char* q : {"3", "0.4", "0"}) {
    lines_ = std::make_unique<OrderLines>();
    lines_->add(Value(D(q)));
    labels = expand(QuantityBasis::Unit);
    EXPECT_EQ(labels.size(), std::string(q) == "3" ? 3u : 1u) << q;
    EXPECT_EQ(toText(labels.back().quantity, kIt), std::string(q) == "3" ? "1" : toText(Value(D(q)), kIt))
        << q;
  }
}

TEST_F(Expansion, EmptyWeightsStayEmpty) {
  lines_->add(Value(D("2.5")), Value::null(), Value::null());
  auto labels = expand(QuantityBasis::Unit);
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_TRUE(labels[0].weight.isNull());
  EXPECT_EQ(labels[2].weight, Value(""));
}

TEST_F(Expansion, OneLabelPerPackage) {
  struct Case {
    const char *q, *p;
    Texts quantities;
    Texts selections;
  };
  const Case cases[] = {
      {"25", "10", {"10", "10", "5"}, {"1", "1", "1"}},
      {"20", "10", {"10", "10"}, {"1", "1"}},
      {"7", "10", {"7"}, {"2"}},
      // Packages of less than one piece still get a label each.
      {"2", "0.5", {"0,5", "0,5", "0,5", "0,5"}, {"1", "1", "1", "1"}},
      {"2.3", "0.5", {"0,5", "0,5", "0,5", "0,5", "0,3"}, {"1", "1", "1", "1", "1"}},
  };
  for (const Case& c : cases) {
    lines_ = std::make_unique<OrderLines>();
    lines_->add(Value(D(c.q)), Value(D(c.p)));
    const auto labels = expand(QuantityBasis::Package);
    EXPECT_EQ(quantities(labels), c.quantities) << c.q << "/" << c.p;
    Texts selections;
    for (const Label& l : labels) selections.push_back(l.selection);
    EXPECT_EQ(selections, c.selections) << c.q << "/" << c.p;
  }
  lines_ = std::make_unique<OrderLines>();
  lines_->add(Value(D("25")), Value(D("10")));
  EXPECT_EQ(expand(QuantityBasis::Package)[2].weight,
            Value(6.0));  // the remainder's measure uses 5 unrounded: 5 x 1.2
}

TEST_F(Expansion, NoPiecesPerPackageIsToldOncePerLine) {
  lines_->add(Value(D("5")), Value::null());
  lines_->add(Value(D("5")), Value(D("0")));
  const auto labels = expand(QuantityBasis::Package);
  EXPECT_EQ(zeroPieceMessages_, 2);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].selection, "2");
  EXPECT_EQ(labels[0].quantity, Value(Decimal()));
}

TEST_F(Expansion, AGivenNumberOfLabelsPerLine) {
  struct Case {
    const char* q;
    const char* m;
    Texts quantities;
  };
  // clang-format off
  const Case cases[] = {
      {"10", "3", {"3", "3", "4"}},          {"10", "1", {"10"}},
      {"2", "4", {"0,5", "0,5", "0,5", "0,5"}}, {"1", "3", {"0,3333", "0,3333", "0,3333"}},
      {"10", "2", {"5", "5"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    lines_ = std::make_unique<OrderLines>();
    lines_->add(Value(D(c.q)));
    EXPECT_EQ(quantities(expand(QuantityBasis::Custom, c.m)), c.quantities) << c.q << " in " << c.m;
  }
  lines_ = std::make_unique<OrderLines>();
  lines_->add(Value(D("10")));
  EXPECT_EQ(expand(QuantityBasis::Custom, "0").size(), 1u);  // refused: the line keeps its master row
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].rfind("CaricaRighePersonalizzate", 0), 0u);
}

TEST_F(Expansion, RowsAreNumberedAndCarryTheirOrderLine) {
  lines_->add(Value(D("3")));
  lines_->add(Value(int32_t{3}));
  lines_->add(Value::null());
  expand(QuantityBasis::Unit);
  std::vector<int64_t> grid, line;
  for (rows_->moveFirst(); !rows_->eof(); rows_->moveNext()) {
    grid.push_back(rows_->value("IDGRIGLIA").asDecimal().toInt64());
    line.push_back(rows_->value("IDRIGAORDINE").asDecimal().toInt64());
  }
  EXPECT_EQ(grid, (std::vector<int64_t>{0, 1, 2, 3, 4, 5, 6}));  // consecutive, in insertion order
  EXPECT_EQ(line, (std::vector<int64_t>{1, 1, 1, 2, 2, 2, 3}));
  rows_->moveLast();
  EXPECT_EQ(rows_->value("QTAORD"), Value(Decimal()));  // a Null quantity is 0
  EXPECT_EQ(rows_->value("DO33_NUMVSDOC"), Value("/"));
  rows_->setAbsolutePosition(2);
  EXPECT_TRUE(rows_->value("QTAORD").isEmpty());  // label rows leave it empty
  EXPECT_EQ(rows_->value("QTAORDTMP"), Value(D("3")));
}

TEST_F(Expansion, RunsBeyondSixteenBitsAndFiveDigitsLoad) {
  for (int i = 0; i < 40000; ++i) lines_->add(Value(D("3")));
  const auto labels = expand(QuantityBasis::Unit);
  EXPECT_EQ(labels.size(), 120000u);
  EXPECT_TRUE(errors_.empty());
  rows_->moveLast();
  EXPECT_EQ(rows_->value("IDRIGAORDINE"), Value(Decimal(40000)));
  EXPECT_EQ(rows_->value("IDGRIGLIA"), Value(Decimal(119999)));
}

}  // namespace
}  // namespace briskal::labelrows
