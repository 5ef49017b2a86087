#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/convert.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "support/database_backends.h"
#include "test_helpers.h"

namespace briskal::data {
namespace {

using testing::errorNumber;

// The same cases run on the embedded SQLite file and on PostgreSQL through ODBC.
class TableRecordset : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    target_ = briskal::testing::freshDatabase(GetParam());
    if (target_.empty()) GTEST_SKIP() << GetParam() << " is not available on this machine";
    connect(cn_);
    cn_.execute(
        "CREATE TABLE T_LAYOUT (CODE CHAR(10) NOT NULL, PROG INTEGER NOT NULL, TITLE VARCHAR(40), "
        "WIDTH DECIMAL(9,2), QTY DECIMAL(14,3), DAY DATE, PRIMARY KEY (CODE, PROG))");
    cn_.execute(
        "INSERT INTO T_LAYOUT VALUES ('AB', 0, 'Etichetta ''grande''', 1.5, 1234567890.123, '2026-12-25')");
    cn_.execute("INSERT INTO T_LAYOUT VALUES ('AB', 2, NULL, NULL, -0.7, NULL)");
    cn_.execute("INSERT INTO T_LAYOUT VALUES ('CD', 3, 'Però', NULL, 3, NULL)");
  }

  void connect(Connection& cn) {
    cn.setConnectionString(target_);
    cn.open();
  }

  int64_t count(const std::string& where = "") {
    Connection other;
    connect(other);
    auto result =
        other.execute("SELECT COUNT(*) AS N FROM T_LAYOUT" + (where.empty() ? "" : " WHERE " + where));
    return toInt64(result.rows->cells.at(0), RegionalSettings::english());
  }

  void openTable(Recordset& rs, int lockType) {
    rs.setCursorLocation(cursor::kUseClient);
    rs.open("SELECT  * FROM T_LAYOUT ORDER BY CODE, PROG", cn_, cursor::kOpenDynamic, lockType);
  }

  std::string target_;
  Connection cn_;
};

TEST_P(TableRecordset, ReadsDecimalsExactlyAndPadsFixedText) {
  Recordset rs;
  openTable(rs, lock::kOptimistic);
  EXPECT_EQ(rs.recordCount(), 3);
  EXPECT_EQ(rs.value("CODE"), Value("AB        "));
  EXPECT_EQ(rs.value("WIDTH").asDecimal().toString(), "1.50");
  EXPECT_EQ(rs.value("QTY").asDecimal().toString(), "1234567890.123");
  EXPECT_EQ(rs.value("TITLE"), Value("Etichetta 'grande'"));
  EXPECT_EQ(rs.value("DAY"), Value(DateTime::fromParts(2026, 12, 25)));
  EXPECT_EQ(rs.field("QTY").numericScale, 3);
  rs.moveNext();
  EXPECT_TRUE(rs.value("TITLE").isNull());
  EXPECT_EQ(rs.value("QTY").asDecimal().toString(), "-0.700");
  rs.moveNext();
  EXPECT_EQ(rs.value("TITLE"), Value("Però"));
}

TEST_P(TableRecordset, OptimisticLockingWritesEachChangeAtOnce) {
  Recordset rs;
  openTable(rs, lock::kOptimistic);
  rs.addNew();
  rs.setValue("CODE", Value("EF"));
  rs.setValue("PROG", Value(int32_t{4}));
  rs.setValue("QTY", Value("2,5"));
  rs.update();
  EXPECT_EQ(count("CODE = 'EF'"), 1);
  rs.find("PROG = 3", 0, SearchDirection::Backward);
  rs.setValue("TITLE", Value("O'Brien"));
  rs.update();
  EXPECT_EQ(count("TITLE = 'O''Brien'"), 1);
  rs.setFilter("CODE = 'AB        '");
  while (!rs.eof()) {
    rs.deleteCurrent();
    rs.moveNext();
  }
  EXPECT_EQ(count(), 2);
  rs.updateBatch();  // nothing left to send
  EXPECT_EQ(count(), 2);
}

TEST_P(TableRecordset, BatchLockingWritesOnlyTheVisiblePendingRows) {
  Recordset rs;
  openTable(rs, lock::kBatchOptimistic);
  rs.setFilter("CODE = 'AB        ' AND PROG <> 0 ");
  rs.deleteCurrent();
  rs.setFilter("CODE = 'CD        '");
  rs.setValue("WIDTH", Value(12.345));
  rs.update();
  EXPECT_EQ(count(), 3);
  rs.setFilter(FilterGroup::PendingRecords);
  EXPECT_EQ(rs.recordCount(), 2);  // the deletion shows among the pending rows too
  rs.setFilter("CODE = 'CD        '");
  rs.updateBatch();                      // the deletion of AB/2 is hidden by the filter and stays pending
  EXPECT_EQ(count("WIDTH = 12.34"), 1);  // rounded half to even to the column's scale
  EXPECT_EQ(count(), 3);
  rs.setFilter("");
  rs.updateBatch();
  EXPECT_EQ(count(), 2);
}

TEST_P(TableRecordset, AFailingBatchWritesNothingAndListsTheDatabaseError) {
  Recordset rs;
  openTable(rs, lock::kBatchOptimistic);
  for (int32_t prog : {10, 11, 0}) {  // ("AB", 0) exists already
    rs.addNew();
    rs.setValue("CODE", Value("AB"));
    rs.setValue("PROG", Value(prog));
    rs.setValue("TITLE", Value("nuova"));
    rs.update();
  }
  rs.moveFirst();
  rs.find("PROG = 3");
  rs.deleteCurrent();
  cn_.clearErrors();
  EXPECT_EQ(errorNumber([&] { rs.updateBatch(); }), err::kProviderError);
  ASSERT_FALSE(cn_.errors().empty());
  EXPECT_FALSE(cn_.errors().front().description.empty());
  EXPECT_EQ(count(), 3);
  EXPECT_EQ(count("TITLE = 'nuova'"), 0);
  // The changes are still pending: mend the offending row and send them again.
  rs.setFilter("PROG = 0 AND TITLE = 'nuova'");
  rs.setValue("PROG", Value(int32_t{12}));
  rs.update();
  rs.setFilter("");
  rs.updateBatch();
  EXPECT_EQ(count("TITLE = 'nuova'"), 3);
  EXPECT_EQ(count("CODE = 'CD'"), 0);
  EXPECT_EQ(count(), 5);
}

TEST_P(TableRecordset, CancelBatchRestoresPendingChanges) {
  Recordset rs;
  openTable(rs, lock::kBatchOptimistic);
  auto copy = rs.clone();
  rs.deleteCurrent();
  rs.moveNext();
  rs.setValue("TITLE", Value("cambiato"));
  rs.addNew();
  rs.setValue("CODE", Value("ZZ"));
  rs.setValue("PROG", Value(int32_t{99}));
  rs.update();
  EXPECT_EQ(copy->recordCount(), 3);
  rs.cancelBatch();
  EXPECT_EQ(rs.recordCount(), 3);
  EXPECT_EQ(copy->recordCount(), 3);
  EXPECT_EQ(rs.value("CODE"), Value("AB        "));
  rs.moveNext();
  EXPECT_TRUE(rs.value("TITLE").isNull());
  rs.updateBatch();
  EXPECT_EQ(count(), 3);
}

TEST_P(TableRecordset, AChangeToARowChangedElsewhereIsRefusedAndWritesNothing) {
  Recordset rs;
  openTable(rs, lock::kOptimistic);
  cn_.execute("UPDATE T_LAYOUT SET TITLE = 'altrove' WHERE PROG = 0");
  rs.setValue("TITLE", Value("qui"));
  EXPECT_EQ(errorNumber([&] { rs.update(); }), err::kRowNotFound);
  EXPECT_EQ(count("TITLE = 'altrove'"), 1);

  Recordset batch;
  openTable(batch, lock::kBatchOptimistic);
  cn_.execute("DELETE FROM T_LAYOUT WHERE PROG = 3");
  batch.addNew();
  batch.setValue("CODE", Value("NEW"));
  batch.setValue("PROG", Value(int32_t{50}));
  batch.update();
  batch.find("PROG = 3", 0, SearchDirection::Backward);
  batch.deleteCurrent();
  EXPECT_EQ(errorNumber([&] { batch.updateBatch(); }), err::kRowNotFound);
  EXPECT_EQ(count("CODE = 'NEW'"), 0);
}

TEST_P(TableRecordset, RowsOfATableWithoutKeyAreFoundByAllTheirValues) {
  cn_.execute("CREATE TABLE T_NOKEY (NAME VARCHAR(10), N INTEGER, AT TIMESTAMP)");
  cn_.execute("INSERT INTO T_NOKEY VALUES ('A', 1, '2024-01-05 00:00:00')");
  cn_.execute("INSERT INTO T_NOKEY VALUES ('A', 1, '2024-01-05 00:00:00')");
  cn_.execute("INSERT INTO T_NOKEY VALUES ('B', 2, '2024-01-05 10:30:00')");
  Recordset rs;
  rs.setCursorLocation(cursor::kUseClient);
  rs.open("SELECT * FROM T_NOKEY", cn_, cursor::kOpenDynamic, lock::kOptimistic);
  // Two identical rows: deleting "one" of them would delete both, so it is refused.
  EXPECT_EQ(errorNumber([&] { rs.deleteCurrent(); }), err::kRowNotFound);
  rs.find("NAME = 'B'");
  rs.setValue("N", Value(int32_t{3}));
  rs.update();
  Connection other;
  connect(other);
  auto result = other.execute("SELECT COUNT(*) AS N FROM T_NOKEY WHERE N = 3");
  EXPECT_EQ(toInt64(result.rows->cells.at(0), RegionalSettings::english()), 1);
  result = other.execute("SELECT COUNT(*) AS N FROM T_NOKEY");
  EXPECT_EQ(toInt64(result.rows->cells.at(0), RegionalSettings::english()), 3);
}

TEST_P(TableRecordset, RequeryReadsTheTableAgain) {
  Recordset rs;
  openTable(rs, lock::kOptimistic);
  cn_.execute("INSERT INTO T_LAYOUT (CODE, PROG) VALUES ('GH', 5)");
  EXPECT_EQ(rs.recordCount(), 3);
  rs.setFilter("PROG > 2");
  rs.requery();
  EXPECT_EQ(rs.recordCount(), 2);
  EXPECT_EQ(rs.absolutePosition(), 1);
}

TEST_P(TableRecordset, RunsServerDialectAndListsProviderErrors) {
  auto result = cn_.execute(
      "SELECT MAX (PROG) AS PROGRIGA FROM T_LAYOUT WITH (NOLOCK) WHERE ISNULL(TITLE,'x') <> 'ISNULL(' ");
  ASSERT_TRUE(result.rows);
  EXPECT_EQ(toInt64(result.rows->cells.at(0), RegionalSettings::english()), 3);
  EXPECT_EQ(errorNumber([&] { cn_.execute("SELECT NOPE FROM T_LAYOUT"); }), err::kProviderError);
  EXPECT_FALSE(cn_.errors().empty());
}

TEST_P(TableRecordset, NestedTransactionsRollBackTheirOwnPartOnly) {
  cn_.beginTrans();
  cn_.execute("INSERT INTO T_LAYOUT (CODE, PROG) VALUES ('T1', 1)");
  {
    Transaction inner(cn_);
    cn_.execute("INSERT INTO T_LAYOUT (CODE, PROG) VALUES ('T2', 1)");
  }
  cn_.commitTrans();
  EXPECT_EQ(count("CODE LIKE 'T%'"), 1);
  {
    Transaction outer(cn_);
    cn_.execute("INSERT INTO T_LAYOUT (CODE, PROG) VALUES ('T3', 1)");
  }
  EXPECT_EQ(count("CODE LIKE 'T%'"), 1);
}

INSTANTIATE_TEST_SUITE_P(Databases, TableRecordset, ::testing::Values("sqlite", "postgresql"),
                         testing::backendTestName);

TEST(ConnectionString, NamesTheDatabaseOrFailsClearly) {
  Connection cn;
  cn.setConnectionString("Provider=Something");
  EXPECT_EQ(errorNumber([&] { cn.open(); }), err::kInvalidConnection);
  cn.setConnectionString("Data Source=/nonexistent-dir/x.db");
  EXPECT_EQ(errorNumber([&] { cn.open(); }), err::kProviderError);
  EXPECT_FALSE(cn.errors().empty());
  EXPECT_FALSE(cn.isOpen());
}

}  // namespace
}  // namespace briskal::data
