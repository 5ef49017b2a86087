#include <gtest/gtest.h>

#include "common/error.h"
#include "data/recordset.h"
#include "test_helpers.h"

namespace briskal::data {
namespace {

using testing::errorNumber;

// A small label-row shaped recordset: fixed text, decimals, variants and a date.
std::unique_ptr<Recordset> labelRows() {
  auto rs = std::make_unique<Recordset>();
  rs->setCursorLocation(cursor::kUseClient);
  rs->appendField("SELEZIONE", FieldType::Char, 1, attr::kIsNullable);
  rs->appendField("DO30_CODART_MG66", FieldType::Char, 10, attr::kIsNullable);
  rs->appendField("DO30_DESCART", FieldType::VarWChar, 40, attr::kIsNullable);
  rs->appendField("DO11_NUMDOC", FieldType::Decimal, 7, attr::kIsNullable);
  rs->appendField("QTASUETICH", FieldType::Variant, 15, attr::kIsNullable);
  rs->appendField("IDGRIGLIA", FieldType::Decimal, 0, attr::kUnspecified);
  rs->editableField("IDGRIGLIA").precision = 5;
  rs->appendField("D031_DATACONS", FieldType::Date, 0, attr::kIsNullable);
  return rs;
}

void addRow(Recordset& rs, const char* sel, const char* item, int32_t doc, Value qty, int32_t id) {
  rs.addNew();
  rs.setValue("SELEZIONE", Value(sel));
  rs.setValue("DO30_CODART_MG66", Value(item));
  rs.setValue("DO11_NUMDOC", Value(doc));
  rs.setValue("QTASUETICH", qty);
  rs.setValue("IDGRIGLIA", Value(id));
  rs.update();
}

TEST(FabricatedRecordset, OpensEmptyAndCountsNewRowsAtOnce) {
  Recordset none;
  EXPECT_EQ(errorNumber([&] { none.open(); }), 3709);
  auto rs = labelRows();
  rs->open();
  EXPECT_TRUE(rs->bof());
  EXPECT_TRUE(rs->eof());
  EXPECT_EQ(rs->recordCount(), 0);
  EXPECT_EQ(rs->absolutePosition(), position::kUnknown);
  EXPECT_EQ(errorNumber([&] { rs->moveFirst(); }), 3021);
  EXPECT_EQ(rs->cursorType(), cursor::kOpenStatic);
  rs->addNew();
  EXPECT_EQ(rs->recordCount(), 1);
  EXPECT_TRUE(rs->value("SELEZIONE").isEmpty());
  EXPECT_EQ(errorNumber([&] { rs->appendField("LATE", FieldType::Integer); }), 3219);
}

TEST(FabricatedRecordset, StoresValuesAsTheFieldTypesSay) {
  auto rs = labelRows();
  rs->open();
  rs->addNew();
  rs->setValue("DO30_CODART_MG66", Value("AB"));
  EXPECT_EQ(rs->value("DO30_CODART_MG66"), Value("AB        "));
  rs->setValue("DO30_DESCART", Value("Flangia Ø 80"));
  EXPECT_EQ(rs->value("DO30_DESCART"), Value("Flangia Ø 80"));
  rs->setValue("DO11_NUMDOC", Value("1234"));
  EXPECT_EQ(rs->value("DO11_NUMDOC"), Value(Decimal(1234)));
  rs->setValue("QTASUETICH", Value(""));
  EXPECT_EQ(rs->value("QTASUETICH"), Value(""));
  rs->setValue("QTASUETICH", Value::null());
  EXPECT_TRUE(rs->value("QTASUETICH").isNull());
  rs->setValue("IDGRIGLIA", Value(2.5));
  EXPECT_EQ(rs->value("IDGRIGLIA"), Value(Decimal(2)));
  rs->setValue("D031_DATACONS", Value("25/12/2026"));
  EXPECT_EQ(rs->value("D031_DATACONS"), Value(DateTime::fromParts(2026, 12, 25)));
}

TEST(FabricatedRecordset, RefusesWhatDoesNotFitAndKeepsTheOldValue) {
  auto rs = labelRows();
  rs->open();
  rs->addNew();
  rs->setValue("DO30_CODART_MG66", Value("ABC"));
  EXPECT_EQ(errorNumber([&] { rs->setValue("DO30_CODART_MG66", Value("ABCDEFGHIJK")); }),
            err::kMultipleStepError);
  EXPECT_EQ(rs->value("DO30_CODART_MG66"), Value("ABC       "));
  // Trailing blanks beyond the size are padding of a wider column and go; letters do not.
  rs->setValue("DO30_CODART_MG66", Value("20100" + std::string(10, ' ')));
  EXPECT_EQ(rs->value("DO30_CODART_MG66"), Value("20100     "));
  // Ten characters with accents are ten characters, not the bytes they take.
  rs->setValue("DO30_CODART_MG66", Value("àèìòùÀÈÌÒÙ"));
  EXPECT_EQ(errorNumber([&] { rs->setValue("IDGRIGLIA", Value(int32_t{100000})); }), err::kMultipleStepError);
  EXPECT_EQ(errorNumber([&] { rs->setValue("IDGRIGLIA", Value::null()); }), err::kMultipleStepError);
  EXPECT_EQ(errorNumber([&] { rs->setValue("DO11_NUMDOC", Value("dodici")); }), err::kDataConversion);
  EXPECT_EQ(errorNumber([&] { rs->setValue("NOPE", Value(1)); }), 3265);
}

TEST(FabricatedRecordset, MovesAndReportsBofEof) {
  auto rs = labelRows();
  rs->open();
  for (int i = 0; i < 3; ++i) addRow(*rs, "1", "A", 10 + i, Value(1.0), i);
  rs->moveFirst();
  EXPECT_EQ(rs->absolutePosition(), 1);
  rs->moveLast();
  EXPECT_EQ(rs->value("IDGRIGLIA"), Value(Decimal(2)));
  rs->moveNext();
  EXPECT_TRUE(rs->eof());
  EXPECT_EQ(rs->absolutePosition(), position::kEOF);
  EXPECT_EQ(errorNumber([&] { rs->value("IDGRIGLIA"); }), 3021);
  EXPECT_EQ(errorNumber([&] { rs->moveNext(); }), 3021);
  for (int i = 0; i < 3; ++i) {
    rs->movePrevious();
    EXPECT_FALSE(rs->bof());
  }
  rs->movePrevious();
  EXPECT_TRUE(rs->bof());
  EXPECT_EQ(errorNumber([&] { rs->movePrevious(); }), 3021);
  rs->setAbsolutePosition(2);
  EXPECT_EQ(rs->value("DO11_NUMDOC"), Value(Decimal(11)));
}

TEST(FabricatedRecordset, EditsCanBeCancelledAndDeletedRowsStayCurrentUntilAMove) {
  auto rs = labelRows();
  rs->open();
  for (int i = 0; i < 3; ++i) addRow(*rs, "1", "A", 10 + i, Value(1.0), i);
  rs->moveFirst();
  rs->setValue("SELEZIONE", Value("0"));
  EXPECT_EQ(rs->editMode(), EditMode::InProgress);
  rs->cancelUpdate();
  EXPECT_EQ(rs->value("SELEZIONE"), Value("1"));
  EXPECT_EQ(errorNumber([&] { rs->cancelUpdate(); }), 3219);

  rs->addNew();
  EXPECT_EQ(rs->recordCount(), 4);
  rs->cancelUpdate();
  EXPECT_EQ(rs->recordCount(), 3);
  EXPECT_EQ(rs->value("DO11_NUMDOC"), Value(Decimal(10)));
  // Cancelling a row added from EOF goes back to EOF, so a "while not EOF" loop ends.
  rs->moveLast();
  rs->moveNext();
  rs->addNew();
  rs->cancelUpdate();
  EXPECT_TRUE(rs->eof());
  EXPECT_EQ(rs->absolutePosition(), position::kEOF);
  rs->moveFirst();

  rs->deleteCurrent();
  EXPECT_EQ(rs->recordCount(), 2);
  EXPECT_EQ(errorNumber([&] { rs->value("DO11_NUMDOC"); }), 3021);
  rs->moveNext();
  EXPECT_EQ(rs->value("DO11_NUMDOC"), Value(Decimal(11)));
  EXPECT_EQ(rs->absolutePosition(), 1);
}

TEST(FabricatedRecordset, FilterMembershipIsDecidedWhenTheFilterIsSet) {
  auto rs = labelRows();
  rs->open();
  for (int i = 0; i < 6; ++i) addRow(*rs, i % 2 ? "1" : "0", "A", 100 + i / 2, Value(1.0), i);
  rs->setFilter(" SELEZIONE = '1'");
  EXPECT_EQ(rs->recordCount(), 3);
  EXPECT_EQ(rs->absolutePosition(), 1);
  // The mark-and-move loop: rows that stop matching are still walked exactly once.
  int visited = 0;
  while (!rs->eof()) {
    rs->setValue("SELEZIONE", Value("9"));
    rs->update();
    rs->moveNext();
    ++visited;
  }
  EXPECT_EQ(visited, 3);
  rs->setFilter("SELEZIONE= '9'");
  EXPECT_EQ(rs->recordCount(), 3);
  rs->setFilter(FilterGroup::None);
  EXPECT_EQ(rs->recordCount(), 6);
  EXPECT_EQ(rs->absolutePosition(), 1);
  rs->setFilter("SELEZIONE = 'X'");
  EXPECT_TRUE(rs->bof() && rs->eof());
  EXPECT_EQ(rs->absolutePosition(), position::kUnknown);
  // Deleting what a filter shows leaves the rest; an empty view deletes nothing.
  rs->deleteShown();
  rs->setFilter("DO11_NUMDOC = 101");
  rs->deleteShown();
  rs->setFilter(FilterGroup::None);
  EXPECT_EQ(rs->recordCount(), 4);
  EXPECT_EQ(rs->value("DO11_NUMDOC"), Value(Decimal(100)));
}

TEST(FabricatedRecordset, RowsAddedUnderAFilterStayInItsView) {
  auto rs = labelRows();
  rs->open();
  addRow(*rs, "1", "A", 1, Value(1.0), 0);
  rs->setFilter("SELEZIONE = '0'");
  EXPECT_EQ(rs->recordCount(), 0);
  addRow(*rs, "1", "B", 2, Value(1.0), 1);
  EXPECT_EQ(rs->recordCount(), 1);
  EXPECT_EQ(rs->value("DO30_CODART_MG66"), Value("B         "));
}

TEST(FabricatedRecordset, ClonesShareRowsButNotTheCursorOrTheFilter) {
  auto rs = labelRows();
  rs->open();
  for (int i = 0; i < 5; ++i) addRow(*rs, "1", i < 3 ? "A" : "B", 100 + i, Value(1.0), i);
  rs->setFilter("DO30_CODART_MG66 = 'B         '");
  rs->moveLast();
  auto copy = rs->clone();
  EXPECT_EQ(copy->recordCount(), 5);
  EXPECT_EQ(copy->absolutePosition(), 1);
  EXPECT_EQ(copy->filter(), "");
  // A bookmark taken in one is good in the other.
  const Bookmark mark = rs->bookmark();
  copy->setBookmark(mark);
  EXPECT_EQ(copy->value("DO11_NUMDOC"), Value(Decimal(104)));
  copy->setValue("SELEZIONE", Value("0"));
  copy->update();
  EXPECT_EQ(rs->value("SELEZIONE"), Value("0"));
  // Rows added or deleted through the clone show up in the original's counts.
  copy->moveFirst();
  copy->deleteCurrent();
  copy->moveNext();
  addRow(*copy, "1", "C", 200, Value(1.0), 9);
  EXPECT_EQ(copy->recordCount(), 5);
  rs->setFilter("");
  EXPECT_EQ(rs->recordCount(), 5);
  // Rows added through a clone after the original looked up its bookmarks are found too.
  rs->setBookmark(copy->bookmark());
  EXPECT_EQ(rs->value("DO11_NUMDOC"), Value(Decimal(200)));
  // A row hidden by the filter cannot be reached by its bookmark.
  copy->moveFirst();
  const Bookmark hidden = copy->bookmark();
  rs->setFilter("DO30_CODART_MG66 = 'B         '");
  EXPECT_EQ(errorNumber([&] { rs->setBookmark(hidden); }), 3021);
}

// What a grid shows of the rows it scrolls past: each position's row of the filtered and sorted
// view, read without moving the current row.
TEST(FabricatedRecordset, ValuesAtAPositionFollowTheViewWithoutMoving) {
  auto rs = labelRows();
  rs->open();
  for (int32_t i = 1; i <= 9; ++i) addRow(*rs, i % 3 == 0 ? "0" : "1", "ART", 100 - i, Value(i), i);
  rs->setFilter("SELEZIONE = '1'");
  rs->setSort("DO11_NUMDOC");
  rs->setAbsolutePosition(2);
  const Value current = rs->value("IDGRIGLIA");
  const size_t id = static_cast<size_t>(rs->fieldIndex("IDGRIGLIA"));
  std::vector<Value> shown;
  for (int64_t p = 1; p <= rs->recordCount(); ++p) shown.push_back(rs->valueAt(p, id));
  EXPECT_EQ(shown, (std::vector<Value>{Value(Decimal(8)), Value(Decimal(7)), Value(Decimal(5)),
                                       Value(Decimal(4)), Value(Decimal(2)), Value(Decimal(1))}));
  EXPECT_EQ(rs->absolutePosition(), 2);
  EXPECT_EQ(rs->value("IDGRIGLIA"), current);
  EXPECT_EQ(errorNumber([&] { rs->valueAt(7, id); }), err::kInvalidArgument);
  EXPECT_EQ(errorNumber([&] { rs->valueAt(0, id); }), err::kInvalidArgument);
  EXPECT_EQ(errorNumber([&] { rs->valueAt(1, 99); }), err::kItemNotFound);
}

TEST(FabricatedRecordset, SortsStablyWithNullsFirst) {
  auto rs = labelRows();
  rs->open();
  const int docs[] = {3, 1, 2, 1, 3};
  for (int i = 0; i < 5; ++i) addRow(*rs, "1", i % 2 ? "b" : "A", docs[i], Value(1.0), i);
  rs->addNew();
  rs->setValue("DO11_NUMDOC", Value::null());
  rs->setValue("IDGRIGLIA", Value(int32_t{5}));
  rs->update();
  rs->setSort("DO11_NUMDOC , IDGRIGLIA DESC");
  std::vector<int64_t> ids;
  for (rs->moveFirst(); !rs->eof(); rs->moveNext())
    ids.push_back(rs->value("IDGRIGLIA").asDecimal().toInt64());
  EXPECT_EQ(ids, (std::vector<int64_t>{5, 3, 1, 2, 4, 0}));
  rs->setSort("[DO30_CODART_MG66] DESC");
  rs->moveFirst();
  EXPECT_EQ(rs->value("DO30_CODART_MG66"), Value("b         "));
  // A bookmark keeps its row whatever the order, and a clone finds it in its own order.
  rs->setSort("DO11_NUMDOC DESC");
  rs->moveFirst();
  const Bookmark top = rs->bookmark();
  auto copy = rs->clone();
  copy->setBookmark(top);
  EXPECT_EQ(copy->value("IDGRIGLIA"), Value(Decimal(0)));
  EXPECT_EQ(copy->absolutePosition(), 1);
  rs->setSort("");
  rs->moveFirst();
  EXPECT_EQ(rs->value("IDGRIGLIA"), Value(Decimal(0)));
  EXPECT_EQ(errorNumber([&] { rs->setSort("NOPE"); }), 3265);
  EXPECT_EQ(errorNumber([&] { rs->setSort("DO11_NUMDOC SIDEWAYS"); }), 3001);
}

TEST(FabricatedRecordset, FilterAndSortGivenBeforeOpeningApplyOnceOpen) {
  auto rs = labelRows();
  rs->setFilter("SELEZIONE = '1'");
  rs->setSort("IDGRIGLIA DESC");
  rs->open();
  addRow(*rs, "1", "A", 1, Value(1.0), 1);
  addRow(*rs, "0", "A", 2, Value(1.0), 2);
  addRow(*rs, "1", "A", 3, Value(1.0), 3);
  rs->setFilter(rs->filter());
  EXPECT_EQ(rs->recordCount(), 2);
  EXPECT_EQ(rs->value("IDGRIGLIA"), Value(Decimal(3)));
  Recordset bad;
  bad.appendField("A", FieldType::Integer);
  bad.setFilter("NOPE = 1");
  EXPECT_EQ(errorNumber([&] { bad.open(); }), 3265);
  EXPECT_FALSE(bad.isOpen());
}

TEST(FabricatedRecordset, FindWalksEveryMatchInBothDirections) {
  auto rs = labelRows();
  rs->open();
  for (int i = 0; i < 10; ++i) addRow(*rs, "1", i % 3 == 0 ? "M" : "D", i, Value(1.0), i);
  rs->moveFirst();
  std::vector<int64_t> found;
  rs->find("DO30_CODART_MG66 = 'M         '");
  while (!rs->eof()) {
    found.push_back(rs->value("IDGRIGLIA").asDecimal().toInt64());
    rs->find("DO30_CODART_MG66 = 'M         '", 1);
  }
  EXPECT_EQ(found, (std::vector<int64_t>{0, 3, 6, 9}));
  rs->moveLast();
  rs->find("DO11_NUMDOC < 5", 0, SearchDirection::Backward);
  EXPECT_EQ(rs->value("IDGRIGLIA"), Value(Decimal(4)));
  rs->find("DO11_NUMDOC > 100", 0, SearchDirection::Backward);
  EXPECT_TRUE(rs->bof());
  rs->moveFirst();
  const Bookmark third = [&] {
    rs->setAbsolutePosition(3);
    return rs->bookmark();
  }();
  rs->moveFirst();
  rs->find("DO30_CODART_MG66 LIKE 'M*'", 0, SearchDirection::Forward, third);
  EXPECT_EQ(rs->value("IDGRIGLIA"), Value(Decimal(3)));
  EXPECT_EQ(errorNumber([&] { rs->find("DO11_NUMDOC = 1 AND IDGRIGLIA = 1"); }), 3001);
}

}  // namespace
}  // namespace briskal::data
