#include "labelrows/selection_editing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/convert.h"
#include "labelrows/label_rows.h"
#include "test_helpers.h"

namespace briskal::labelrows {
namespace {

// Label rows as the expansion leaves them: for each order line a master row and its labels, each
// label of one piece weighing 1.2 net, with no gross weight.
class Rows : public ::testing::Test {
 protected:
  Rows() : rows_(newLabelRows()) {}

  void addLine(int line, int order, const char* warehouse, const Value& ordered,
               const std::vector<const char*>& labels, const char* project = "", const char* job = "") {
    add(line, order, warehouse, "M", "1", ordered, project, job);
    for (const char* selection : labels) add(line, order, warehouse, "D", selection, Value(), project, job);
  }

  // SELEZIONE of every row: each order line as its master row's, a colon and its labels'.
  std::string selections() {
    std::string all;
    for (rows_->moveFirst(); !rows_->eof(); rows_->moveNext()) {
      const bool master = rows_->value("TIPORIGA") == Value("M");
      if (master && !all.empty()) all += ' ';
      all += rows_->value("SELEZIONE").asText() + (master ? ":" : "");
    }
    return all;
  }

  void mark(const char* type, const char* op, const char* parameter, std::string_view filter,
            std::string_view value) {
    rows_->moveFirst();
    SelectionEditor(*rows_, kIt).markOrderLines({type, op, parameter}, filter, value);
    rows_->setFilter("");
  }

  std::unique_ptr<data::Recordset> rows_;

 private:
  void add(int line, int order, const char* warehouse, const char* kind, const char* selection,
           const Value& ordered, const char* project, const char* job) {
    rows_->addNew();
    rows_->setValue("IDRIGAORDINE", Value(line));
    rows_->setValue("DO11_NUMDOC", Value(order));
    rows_->setValue("DO30_CODDEP_MG58", Value(warehouse));
    rows_->setValue("DO41_CODPROGETTO", Value(project));
    rows_->setValue("DO41_CODCOMMESSA", Value(job));
    rows_->setValue("TIPORIGA", Value(kind));
    rows_->setValue("SELEZIONE", Value(selection));
    rows_->setValue("QTAORD", ordered);
    rows_->setValue("QTASUETICH", Value(D("1")));
    rows_->setValue("MG68_PESON", Value(D("1.2")));
    rows_->setValue("MG68_PESONUNIT", Value(D("1.2")));
    rows_->setValue("MG68_PESOL", Value(""));
    rows_->setValue("MG68_PESOLUNIT", Value(D("2")));
    rows_->update();
  }
};

TEST_F(Rows, CancellingByWarehouseTouchesTheMatchingOrderLinesOnly) {
  addLine(1, 100, "01", Value(D("3")), {"1", "1", "2"});
  addLine(2, 101, "02", Value(D("2")), {"1", "1"});
  addLine(3, 102, "01", Value(D("1")), {"1"});
  mark("3", "3", "01", " SELEZIONE = '1'", selection::kRemoved);
  // A label row below one package keeps "2": the filter shows selected rows only.
  EXPECT_EQ(selections(), "0:002 1:11 0:0");
  // Restoring by parameter brings back what was cancelled; restoring all does the rest.
  mark("1", "0", "100", " SELEZIONE = '0'", selection::kPrinted);
  EXPECT_EQ(selections(), "0:002 1:11 1:1");
  SelectionEditor(*rows_, kIt).restoreAll();
  EXPECT_EQ(selections(), "1:112 1:11 1:1");
  EXPECT_EQ(rows_->filter(), "");
}

TEST_F(Rows, EveryOperatorComparesNumbersAsNumbers) {
  for (int order : {9, 10, 11}) addLine(order, order, "01", Value(D("1")), {"1"});
  const std::pair<const char*, const char*> cases[] = {
      {"0", "1:1 1:1 0:0"}, {"1", "0:0 1:1 1:1"}, {"2", "0:0 1:1 0:0"},
      {"3", "1:1 0:0 1:1"}, {"4", "1:1 0:0 0:0"}, {"5", "0:0 0:0 1:1"},
  };
  for (const auto& [op, expected] : cases) {
    SelectionEditor(*rows_, kIt).restoreAll();
    mark("1", op, "10", " SELEZIONE = '1'", selection::kRemoved);
    EXPECT_EQ(selections(), expected) << op;
  }
}

// The order quantity is the master row's; values that are no number match nothing, and the walk
// goes on instead of stopping on the row.
TEST_F(Rows, OrderQuantityAndValuesThatAreNoNumber) {
  addLine(1, 100, "01", Value(D("5")), {"1", "1"}, "PRJ-A");
  addLine(2, 101, "01", Value(D("50")), {"1"}, "7");
  addLine(3, 102, "01", Value::null(), {"1"});
  mark("5", "4", "10", " SELEZIONE = '1'", selection::kRemoved);
  EXPECT_EQ(selections(), "1:11 0:0 1:1");
  // From a label row the master's quantity counts too.
  SelectionEditor(*rows_, kIt).restoreAll();
  mark("5", "1", "10", "TIPORIGA = 'D'", selection::kRemoved);
  EXPECT_EQ(selections(), "1:00 1:1 1:1");
  SelectionEditor(*rows_, kIt).restoreAll();
  mark("6", "3", "7", " SELEZIONE = '1'", selection::kRemoved);
  EXPECT_EQ(selections(), "1:11 0:0 1:1");
}

// Project and job codes are text such as "PR26-004" and "C26/0084": compared as text, with the
// blanks that pad the field ignored.
TEST_F(Rows, ProjectsAndJobsCompareAsText) {
  addLine(1, 100, "01", Value(D("1")), {"1"}, "PR26-004", "C26/0084");
  addLine(2, 101, "01", Value(D("1")), {"1"}, "PR26-010", "C26/0091");
  addLine(3, 102, "01", Value(D("1")), {"1"}, "PR26-004", "");
  struct Case {
    const char* type;
    const char* op;
    const char* parameter;
    const char* expected;
  };
  const Case cases[] = {
      {"6", "3", "PR26-004", "0:0 1:1 0:0"}, {"6", "2", "PR26-004", "1:1 0:0 1:1"},
      {"6", "0", "PR26-004", "1:1 0:0 1:1"}, {"8", "3", "C26/0084", "0:0 1:1 1:1"},
      {"8", "5", "C26/0090", "0:0 1:1 0:0"}, {"8", "3", "84", "1:1 1:1 1:1"},
  };
  for (const Case& c : cases) {
    SelectionEditor(*rows_, kIt).restoreAll();
    mark(c.type, c.op, c.parameter, " SELEZIONE = '1'", selection::kRemoved);
    EXPECT_EQ(selections(), c.expected) << c.type << " " << c.op << " " << c.parameter;
  }
  for (const char* text : {"3", "4", "6", "8"}) EXPECT_FALSE(isNumericParameter(text)) << text;
  for (const char* number : {"1", "2", "5", "7", "9"}) EXPECT_TRUE(isNumericParameter(number)) << number;
}

TEST_F(Rows, AQuantityChangeByParameterCarriesTheMeasuresAlong) {
  addLine(1, 99, "01", Value(D("3")), {"1", "1"});
  addLine(2, 100, "01", Value(D("3")), {"1", "0"});
  mark("1", "4", "100", " SELEZIONE = '1'", selection::kMarked);
  EXPECT_EQ(selections(), "1:11 9:90");
  ASSERT_TRUE(SelectionEditor(*rows_, kIt).applyQuantity(D("2.5"), false));
  EXPECT_EQ(selections(), "1:11 1:10");
  std::vector<std::string> quantities, weights, grossWeights;
  for (rows_->moveFirst(); !rows_->eof(); rows_->moveNext()) {
    quantities.push_back(toText(rows_->value("QTASUETICH"), kIt));
    weights.push_back(toText(rows_->value("MG68_PESON"), kIt));
    grossWeights.push_back(toText(rows_->value("MG68_PESOL"), kIt));
  }
  EXPECT_EQ(quantities, (std::vector<std::string>{"1", "1", "1", "2,5", "2,5", "1"}));
  EXPECT_EQ(weights, (std::vector<std::string>{"1,2", "1,2", "1,2", "3", "3", "1,2"}));
  EXPECT_EQ(grossWeights, std::vector<std::string>(6, ""));
  // Nothing marked: nothing changes.
  EXPECT_FALSE(SelectionEditor(*rows_, kIt).applyQuantity(D("7"), false));
  EXPECT_EQ(rows_->filter(), "");
}

TEST_F(Rows, TheSelectionToggleCarriesAMasterRowsWholeOrderLine) {
  addLine(1, 100, "01", Value(D("3")), {"1", "2"});
  addLine(2, 101, "01", Value(D("1")), {"1"});
  SelectionEditor editor(*rows_, kIt);
  rows_->moveFirst();
  editor.toggleCurrent();
  EXPECT_EQ(selections(), "0:00 1:1");
  rows_->moveFirst();
  editor.toggleCurrent();
  EXPECT_EQ(selections(), "1:11 1:1");
  rows_->setAbsolutePosition(5);
  editor.toggleCurrent();
  EXPECT_EQ(rows_->absolutePosition(), 5);
  EXPECT_EQ(selections(), "1:11 1:0");
  // A label row changes alone; below one package nothing changes.
  rows_->setAbsolutePosition(2);
  editor.toggleCurrent();
  rows_->setAbsolutePosition(3);
  rows_->setValue("SELEZIONE", Value("2"));
  rows_->update();
  editor.toggleCurrent();
  EXPECT_EQ(selections(), "1:02 1:0");
}

TEST(LabelQuantity, AnExactPositiveNumberOfAtMostThreeDecimals) {
  EXPECT_EQ(labelQuantity("2,5", kIt), D("2.5"));
  EXPECT_EQ(labelQuantity("40000", kIt), D("40000"));
  EXPECT_EQ(labelQuantity("0,125", kIt), D("0.125"));
  for (const char* refused : {"", "0", "-1", "abc", "0,0001", "1,2345"})
    EXPECT_EQ(labelQuantity(refused, kIt), std::nullopt) << refused;
}

}  // namespace
}  // namespace briskal::labelrows
