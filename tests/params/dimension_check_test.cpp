#include "params/dimension_check.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "params/layout_rows.h"
#include "test_helpers.h"

namespace briskal::params {
namespace {

struct Field {
  int row, sequence;
  const char* caption;
  const char* dataField;
  int position, captionFlag;
};

std::unique_ptr<data::Recordset> layoutOf(std::initializer_list<Field> fields) {
  auto rows = newLayoutRows();
  for (const Field& f : fields) {
    rows->addNew();
    rows->setValue("PD45_RIGA", Value(int32_t{f.row}));
    rows->setValue("PD45_SEQSTP", Value(int32_t{f.sequence}));
    rows->setValue("PD45_CAMPO", Value(f.caption));
    rows->setValue("PD45_DATAFIELD", Value(f.dataField));
    rows->setValue("PD45_POSINI", Value(int32_t{f.position}));
    rows->setValue("PD45_FLGLBLCAMPO", Value(int32_t{f.captionFlag}));
    rows->update();
  }
  rows->moveFirst();
  return rows;
}

std::unique_ptr<data::Recordset> defaultLayout() {
  auto rows = newLayoutRows();
  addDefaultLayout(*rows, [](std::string_view text, int32_t) { return std::string(text); });
  rows->moveFirst();
  return rows;
}

TEST(RowWidth, CaptionsPositionsAndBlanksAddUp) {
  // The worked example: 13 + 7 + 1 = 21, c = 22; then position 30 > 22, c = 30 + 6 + 1 = 37.
  auto layout =
      layoutOf({{1, 1, "Numero ordine", "DO11_NUMDOC", 0, 1}, {1, 2, "Riga", "DO30_PROGRIGA", 30, 0}});
  auto measure = measureRowUpTo(*layout, 1, 2, kIt);
  ASSERT_TRUE(measure);
  EXPECT_EQ(measure->characters, 37);
  measure = measureRowUpTo(*layout, 1, 1, kIt);
  EXPECT_EQ(measure->characters, 22);
  EXPECT_FALSE(measureRowUpTo(*layout, 2, 1, kIt));
  // The first field's position adds to its length; a later position already passed changes nothing.
  layout = layoutOf({{1, 1, "", "DO11_SEZDOC", 10, 0}, {1, 2, "", "DO11_SEZDOC", 5, 0}});
  EXPECT_EQ(measureRowUpTo(*layout, 1, 2, kIt)->characters, 16);
  // A field the table does not know takes the length measured before it in the same pass.
  layout = layoutOf({{1, 1, "", "CG16_PROV", 0, 0}, {1, 2, "", "NOT_A_FIELD", 0, 0}});
  EXPECT_EQ(measureRowUpTo(*layout, 1, 2, kIt)->characters, 6);
}

TEST(LabelDimensions, HeightAndWidthAreCheckedStrictly) {
  auto layout = defaultLayout();
  EXPECT_TRUE(checkLabelDimensions(*layout, 0, 0, kIt).ok);
  EXPECT_TRUE(checkLabelDimensions(*layout, 36, 0, kIt).ok);
  DimensionVerdict v = checkLabelDimensions(*layout, 35, 0, kIt);
  EXPECT_FALSE(v.ok);
  EXPECT_TRUE(v.tooHigh);
  layout = layoutOf({{1, 1, "", "DO30_DESCART", 0, 0}});  // 36 + 1 = 37 characters
  EXPECT_TRUE(checkLabelDimensions(*layout, 0, 37, kIt).ok);
  v = checkLabelDimensions(*layout, 0, 36, kIt);
  EXPECT_FALSE(v.ok);
  EXPECT_EQ(v.tooWideRow, 1);
  layout = layoutOf({{1, 1, "", "DO11_SEZDOC", 0, 0}, {2, 1, "Numero ordine", "DO11_NUMDOC", 0, 1}});
  v = checkLabelDimensions(*layout, 5, 20, kIt);
  EXPECT_EQ(v.tooWideRow, 2);
  EXPECT_EQ(layout->value("PD45_RIGA"), Value(Decimal(2)));  // left on the last field of that row
}

TEST(LabelDimensions, SixteenBitOverflowIsAnError) {
  auto layout = layoutOf({{1, 1, "", "DO11_SEZDOC", 32767, 0}});
  EXPECT_THROW(checkLabelDimensions(*layout, 0, 10, kIt), Error);
}

}  // namespace
}  // namespace briskal::params
