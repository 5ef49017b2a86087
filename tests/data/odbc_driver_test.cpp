#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "data/drivers/driver.h"
#include "support/postgres_server.h"

namespace briskal::data {
namespace {

using testing::PostgresTest;

Decimal dec(std::string_view text) { return *Decimal::parse(text); }

const Value& cell(const ResultSet& rs, size_t row, size_t column) {
  return rs.cells.at(row * rs.columns.size() + column);
}

// Runs a query expected to return rows.
ResultSet query(DriverConnection& db, std::string_view sql, std::vector<Value> params = {}) {
  StatementResult result = db.execute(sql, params);
  if (!result.rows) throw std::runtime_error("no result set from: " + std::string(sql));
  return *result.rows;
}

int64_t countRows(DriverConnection& db, const std::string& table) {
  return cell(query(db, "SELECT COUNT(*) FROM " + table), 0, 0).asInt64();
}

// The SQLSTATEs a DriverError lists.
std::vector<std::string> sqlStates(const DriverError& e) {
  std::vector<std::string> states;
  for (const ProviderError& p : e.errors()) states.push_back(p.sqlState);
  return states;
}

// Each test works in a database of its own.
class OdbcPostgres : public PostgresTest {
 protected:
  void SetUp() override {
    PostgresTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    connectionString_ = server().createDatabase();
    db_ = openOdbc(connectionString_);
  }

  void createTable(const std::string& name, const std::string& columns) {
    db_->execute("CREATE TABLE " + name + " (" + columns + ")");
  }

  std::string connectionString_;
  std::unique_ptr<DriverConnection> db_;
};

TEST_F(OdbcPostgres, ValuesOfEveryKindComeBackAsWritten) {
  createTable("T_TYPES",
              "ID INTEGER PRIMARY KEY, NOTE VARCHAR(40), CODE CHAR(5), BODY TEXT, QTY DECIMAL(14,3), "
              "SMALL SMALLINT, BIG BIGINT, RATIO DOUBLE PRECISION, FLAG BOOLEAN, DAY DATE, STAMP TIMESTAMP");
  const std::string note = "Società \"Alfa\" l'è già";
  std::string body;
  while (body.size() < 30000) body += "àèìòù ‘quoted’ € ";  // longer than one read chunk
  const DateTime day = DateTime::fromParts(2024, 2, 29);
  const DateTime stamp = DateTime::fromParts(2024, 2, 29, 13, 45, 7);
  const std::string insert = "INSERT INTO T_TYPES VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
  db_->execute(insert, std::vector<Value>{int32_t{1}, note, "AB", body, dec("1234567890.123"), int16_t{-7},
                                          int64_t{9007199254740993}, 0.1, true, day, stamp});
  db_->execute(insert, std::vector<Value>{int32_t{2}, Value::null(), Value(), Value::null(), Value::null(),
                                          Value::null(), Value::null(), Value::null(), Value::null(),
                                          Value::null(), Value::null()});
  db_->execute(insert, std::vector<Value>{int32_t{3}, "", "x", "", dec("-42.001"), int16_t{32767},
                                          int64_t{-1}, -2.5e300, false, stamp, day});
  db_->execute(insert, std::vector<Value>{int32_t{4}, "o'k", "", "", dec("-0.5"), int16_t{0}, int64_t{0}, 0.0,
                                          false, day, day});

  const ResultSet rs = query(*db_, "SELECT * FROM T_TYPES ORDER BY ID");
  ASSERT_EQ(rs.rowCount, 4u);
  EXPECT_EQ(cell(rs, 0, 0), Value(int32_t{1}));
  EXPECT_EQ(cell(rs, 0, 1), Value(note));
  EXPECT_EQ(cell(rs, 0, 2), Value("AB   "));
  EXPECT_EQ(cell(rs, 0, 3), Value(body));
  EXPECT_EQ(cell(rs, 0, 4).asDecimal().toString(), "1234567890.123");
  EXPECT_EQ(cell(rs, 0, 5), Value(int16_t{-7}));
  EXPECT_EQ(cell(rs, 0, 6), Value(int64_t{9007199254740993}));
  EXPECT_EQ(cell(rs, 0, 7), Value(0.1));
  EXPECT_EQ(cell(rs, 0, 8), Value(true));
  EXPECT_EQ(cell(rs, 0, 9), Value(day));
  EXPECT_EQ(cell(rs, 0, 10), Value(stamp));

  for (size_t c = 1; c < rs.columns.size(); ++c) EXPECT_TRUE(cell(rs, 1, c).isNull()) << rs.columns[c].name;

  EXPECT_EQ(cell(rs, 2, 1), Value(""));
  EXPECT_EQ(cell(rs, 2, 4).asDecimal().toString(), "-42.001");
  EXPECT_EQ(cell(rs, 2, 5), Value(int16_t{32767}));
  EXPECT_EQ(cell(rs, 2, 7), Value(-2.5e300));
  EXPECT_EQ(cell(rs, 2, 8), Value(false));
  EXPECT_EQ(cell(rs, 2, 9), Value(day)) << "a date column keeps the day only";
  EXPECT_EQ(cell(rs, 2, 10), Value(day));
  EXPECT_EQ(cell(rs, 3, 1), Value("o'k"));
  EXPECT_EQ(cell(rs, 3, 4).asDecimal().toString(), "-0.500") << "brought to the column's scale";
}

TEST_F(OdbcPostgres, ColumnsAreDescribedFromTheirDeclaredTypes) {
  createTable(
      "T_DESCR",
      "ID INTEGER NOT NULL PRIMARY KEY, NOTE VARCHAR(40), CODE CHAR(5) NOT NULL, BODY TEXT, "
      "QTY DECIMAL(14,3), SMALL SMALLINT, BIG BIGINT, RATIO REAL, FLAG BOOLEAN, DAY DATE, STAMP TIMESTAMP");
  const ResultSet rs = query(*db_, "SELECT * FROM T_DESCR");
  ASSERT_EQ(rs.columns.size(), 11u);
  EXPECT_EQ(rs.rowCount, 0u);
  struct Expected {
    const char* name;
    FieldType type;
  };
  // clang-format off
  const Expected expected[] = {
      {"ID", FieldType::Integer},        {"NOTE", FieldType::VarWChar}, {"CODE", FieldType::Char},
      {"BODY", FieldType::LongVarWChar}, {"QTY", FieldType::Decimal},   {"SMALL", FieldType::SmallInt},
      {"BIG", FieldType::BigInt},        {"RATIO", FieldType::Double},  {"FLAG", FieldType::Boolean},
      {"DAY", FieldType::Date},          {"STAMP", FieldType::Date}};
  // clang-format on
  for (size_t c = 0; c < rs.columns.size(); ++c) {
    EXPECT_EQ(rs.columns[c].name, expected[c].name);
    EXPECT_EQ(rs.columns[c].type, expected[c].type) << expected[c].name;
  }
  EXPECT_EQ(rs.columns[1].definedSize, 40);
  EXPECT_EQ(rs.columns[2].definedSize, 5);
  EXPECT_EQ(rs.columns[4].precision, 14);
  EXPECT_EQ(rs.columns[4].numericScale, 3);
  EXPECT_FALSE(rs.columns[0].nullable());
  EXPECT_FALSE(rs.columns[2].nullable());
  EXPECT_TRUE(rs.columns[1].nullable());
}

TEST_F(OdbcPostgres, OnlyAllLowerCaseNamesAreUpperCased) {
  ASSERT_EQ(db_->dialect(), Dialect::PostgreSQL);
  const ResultSet rs = query(*db_, "SELECT 1 AS riga_ord, 2 AS \"Mixed\", 3 AS \"UPPER\", 4 AS \"già\"");
  ASSERT_EQ(rs.columns.size(), 4u);
  EXPECT_EQ(rs.columns[0].name, "RIGA_ORD");
  EXPECT_EQ(rs.columns[1].name, "Mixed");
  EXPECT_EQ(rs.columns[2].name, "UPPER");
  EXPECT_EQ(rs.columns[3].name, "GIà");
}

TEST_F(OdbcPostgres, ParametersCompareWithColumnsOfTheirKind) {
  createTable("T_FILTER", "ID INTEGER, QTY DECIMAL(14,3), DAY DATE, NOTE VARCHAR(20), FLAG BOOLEAN");
  db_->execute(
      "INSERT INTO T_FILTER VALUES (1, 2.5, '2024-05-01', 'àx', TRUE), (2, 7.25, '2024-05-02', 'b', FALSE)");
  const ResultSet rs =
      query(*db_, "SELECT ID FROM T_FILTER WHERE QTY = ? AND DAY = ? AND NOTE = ? AND FLAG = ?",
            {dec("2.50"), DateTime::fromParts(2024, 5, 1), "àx", true});
  ASSERT_EQ(rs.rowCount, 1u);
  EXPECT_EQ(cell(rs, 0, 0), Value(int32_t{1}));
  EXPECT_EQ(query(*db_, "SELECT ID FROM T_FILTER WHERE QTY > ? AND ID >= ?", {2.6, int16_t{1}}).rowCount, 1u);
}

TEST_F(OdbcPostgres, PreparedStatementsRunAgainWithNewParameters) {
  createTable("T_PREP", "ID INTEGER PRIMARY KEY, NOTE VARCHAR(20)");
  auto insert = db_->prepare("INSERT INTO T_PREP (ID, NOTE) VALUES (?, ?)");
  for (int32_t id = 1; id <= 5; ++id)
    EXPECT_EQ(insert->execute(std::vector<Value>{id, "n" + std::to_string(id)}), 1);
  auto update = db_->prepare("UPDATE T_PREP SET NOTE = ? WHERE ID > ?");
  EXPECT_EQ(update->execute(std::vector<Value>{"late", int32_t{3}}), 2);
  EXPECT_EQ(update->execute(std::vector<Value>{"none", int32_t{99}}), 0)
      << "no matching row is not a failure";
  EXPECT_EQ(db_->execute("DELETE FROM T_PREP WHERE ID = 1").rowsAffected, 1);
  const ResultSet rs = query(*db_, "SELECT NOTE FROM T_PREP ORDER BY ID");
  ASSERT_EQ(rs.rowCount, 4u);
  EXPECT_EQ(cell(rs, 0, 0), Value("n2"));
  EXPECT_EQ(cell(rs, 3, 0), Value("late"));

  db_.reset();
  EXPECT_THROW(update->execute(std::vector<Value>{"x", int32_t{0}}), DriverError)
      << "a statement outliving its connection refuses to run";
}

TEST_F(OdbcPostgres, PrimaryKeyColumnsComeInKeyOrder) {
  createTable("T_KEYS", "B INTEGER, A VARCHAR(5), C INTEGER, PRIMARY KEY (C, A)");
  createTable("T_NOKEY", "X INTEGER");
  EXPECT_EQ(db_->primaryKey("T_KEYS"), (std::vector<std::string>{"C", "A"}));
  EXPECT_EQ(db_->primaryKey("t_keys"), (std::vector<std::string>{"C", "A"}));
  EXPECT_TRUE(db_->primaryKey("T_NOKEY").empty());
  EXPECT_TRUE(db_->primaryKey("T_MISSING").empty());
}

TEST_F(OdbcPostgres, RolledBackWorkLeavesNothingAndCommittedWorkIsShared) {
  createTable("T_TX", "ID INTEGER PRIMARY KEY");
  auto other = openOdbc(connectionString_);

  db_->begin();
  db_->execute("INSERT INTO T_TX VALUES (1)");
  auto insert = db_->prepare("INSERT INTO T_TX VALUES (?)");
  insert->execute(std::vector<Value>{int32_t{2}});
  EXPECT_EQ(countRows(*db_, "T_TX"), 2);
  EXPECT_EQ(countRows(*other, "T_TX"), 0) << "uncommitted rows are private";
  db_->rollback();
  EXPECT_EQ(countRows(*db_, "T_TX"), 0);

  db_->begin();
  insert->execute(std::vector<Value>{int32_t{3}});
  db_->commit();
  EXPECT_EQ(countRows(*other, "T_TX"), 1);

  db_->execute("INSERT INTO T_TX VALUES (4)");
  EXPECT_EQ(countRows(*other, "T_TX"), 2) << "autocommit is back on after commit";
}

TEST_F(OdbcPostgres, AFailedStatementInsideATransactionSparesTheRest) {
  createTable("T_STMT", "ID INTEGER PRIMARY KEY");
  db_->begin();
  db_->execute("INSERT INTO T_STMT VALUES (1)");
  EXPECT_THROW(db_->execute("INSERT INTO T_STMT VALUES (1)"), DriverError);
  db_->execute("INSERT INTO T_STMT VALUES (2)");
  db_->commit();
  EXPECT_EQ(countRows(*db_, "T_STMT"), 2);
}

TEST_F(OdbcPostgres, FailuresListTheDatabaseDiagnostics) {
  try {
    db_->execute("SELECT * FROM T_DOES_NOT_EXIST");
    FAIL() << "expected a DriverError";
  } catch (const DriverError& e) {
    ASSERT_FALSE(e.errors().empty());
    EXPECT_EQ(e.errors().front().sqlState, "42P01");
    EXPECT_NE(e.errors().front().description.find("t_does_not_exist"), std::string::npos)
        << e.errors().front().description;
    EXPECT_EQ(e.errors().front().source.rfind("ODBC", 0), 0u) << e.errors().front().source;
    EXPECT_EQ(e.number(), err::kProviderError);
    EXPECT_EQ(e.description(), e.errors().front().description);
  }
  createTable("T_ERR", "ID INTEGER PRIMARY KEY, NOTE VARCHAR(3)");
  db_->execute("INSERT INTO T_ERR VALUES (1, 'a')");
  try {
    db_->prepare("INSERT INTO T_ERR VALUES (?, ?)")->execute(std::vector<Value>{int32_t{1}, "b"});
    FAIL() << "expected a DriverError";
  } catch (const DriverError& e) {
    EXPECT_EQ(sqlStates(e).front(), "23505");
  }
  EXPECT_THROW(db_->execute("SELEC 1"), DriverError);
  EXPECT_THROW(db_->execute("INSERT INTO T_ERR VALUES (?, ?)", std::vector<Value>{int32_t{2}, "toolong"}),
               DriverError);
}

TEST_F(OdbcPostgres, AnUnreachableServerIsADriverError) {
  try {
    openOdbc("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=briskal_test;Uid=postgres;Pwd=;");
    FAIL() << "expected a DriverError";
  } catch (const DriverError& e) {
    ASSERT_FALSE(e.errors().empty());
    EXPECT_EQ(e.errors().front().sqlState.substr(0, 2), "08") << e.description();
  }
}

TEST_F(OdbcPostgres, IsolationLevelsMapToTheDatabase) {
  auto shown = [&] { return cell(query(*db_, "SHOW transaction_isolation"), 0, 0).asText(); };
  db_->setIsolationLevel(isolation::kSerializable);
  db_->begin();
  EXPECT_EQ(shown(), "serializable");
  db_->commit();
  db_->setIsolationLevel(isolation::kRepeatableRead);
  db_->begin();
  EXPECT_EQ(shown(), "repeatable read");
  db_->rollback();
  db_->setIsolationLevel(isolation::kReadCommitted);
  EXPECT_EQ(shown(), "read committed");
  db_->setIsolationLevel(isolation::kUnspecified);
  EXPECT_EQ(shown(), "read committed");
  EXPECT_THROW(db_->setIsolationLevel(16), DriverError);
}

// Inserts inside a transaction travel in batches; these cases pin down what a caller sees.
class OdbcPostgresBatch : public OdbcPostgres {};

TEST_F(OdbcPostgresBatch, AHundredThousandPreparedInsertsInOneTransaction) {
  createTable("T_BULK", "ID INTEGER PRIMARY KEY, NOTE VARCHAR(40), QTY DECIMAL(14,3), DAY DATE");
  constexpr int32_t kRows = 100000;
  const DateTime day = DateTime::fromParts(2024, 1, 31);
  db_->begin();
  auto insert = db_->prepare("INSERT INTO T_BULK (ID, NOTE, QTY, DAY) VALUES (?, ?, ?, ?)");
  for (int32_t id = 1; id <= kRows; ++id) {
    const Value row[] = {id, "riga è " + std::to_string(id), Decimal::fromParts(id, 3, false), day};
    insert->execute(row);
  }
  db_->commit();

  const ResultSet rs = query(*db_, "SELECT COUNT(*), SUM(QTY), MAX(NOTE) FROM T_BULK WHERE DAY = ?", {day});
  EXPECT_EQ(cell(rs, 0, 0), Value(int64_t{kRows}));
  EXPECT_EQ(cell(rs, 0, 1).asDecimal().toString(), "5000050.000");
  EXPECT_EQ(cell(rs, 0, 2), Value("riga è 99999"));
}

TEST_F(OdbcPostgresBatch, HeldRowsAreSentBeforeAnythingElseRuns) {
  createTable("T_HEAD", "ID INTEGER PRIMARY KEY");
  createTable("T_LINE", "ID INTEGER PRIMARY KEY, HEAD INTEGER NOT NULL REFERENCES T_HEAD (ID)");
  db_->begin();
  auto head = db_->prepare("INSERT INTO T_HEAD (ID) VALUES (?)");
  auto line = db_->prepare("INSERT INTO T_LINE (ID, HEAD) VALUES (?, ?)");
  for (int32_t id = 1; id <= 3; ++id) {
    head->execute(std::vector<Value>{id});
    line->execute(std::vector<Value>{id, id});  // its parent must already be there
  }
  EXPECT_EQ(countRows(*db_, "T_HEAD"), 3);
  head->execute(std::vector<Value>{int32_t{4}});
  EXPECT_EQ(db_->primaryKey("T_HEAD").size(), 1u);
  head->execute(std::vector<Value>{int32_t{5}});
  head.reset();  // still holding row 5
  db_->commit();
  EXPECT_EQ(countRows(*db_, "T_HEAD"), 5);
  EXPECT_EQ(countRows(*db_, "T_LINE"), 3);
}

TEST_F(OdbcPostgresBatch, ARefusedRowMakesTheTransactionUncommittable) {
  createTable("T_DUP", "ID INTEGER PRIMARY KEY");
  db_->execute("INSERT INTO T_DUP VALUES (5)");
  db_->begin();
  auto insert = db_->prepare("INSERT INTO T_DUP VALUES (?)");
  for (int32_t id = 1; id <= 10; ++id) {
    try {
      insert->execute(std::vector<Value>{id});
    } catch (const DriverError&) {
      // Whether the duplicate shows here or at commit depends on batching; the outcome may not.
    }
  }
  try {
    db_->commit();
    FAIL() << "a transaction that lost rows must not commit";
  } catch (const DriverError& e) {
    const std::vector<std::string> states = sqlStates(e);
    EXPECT_NE(std::find(states.begin(), states.end(), "23505"), states.end()) << e.description();
  }
  EXPECT_THROW(db_->commit(), DriverError) << "still refused when asked again";
  db_->rollback();
  EXPECT_EQ(countRows(*db_, "T_DUP"), 1);

  db_->begin();
  insert->execute(std::vector<Value>{int32_t{6}});
  db_->commit();
  EXPECT_EQ(countRows(*db_, "T_DUP"), 2) << "the next transaction starts clean";
}

TEST_F(OdbcPostgresBatch, InsertsThatMayTouchNoRowAreNotHeld) {
  createTable("T_CONFLICT", "ID INTEGER PRIMARY KEY");
  db_->execute("INSERT INTO T_CONFLICT VALUES (1)");
  db_->begin();
  auto insert = db_->prepare("INSERT INTO T_CONFLICT VALUES (?) ON CONFLICT DO NOTHING");
  EXPECT_EQ(insert->execute(std::vector<Value>{int32_t{1}}), 0);
  EXPECT_EQ(insert->execute(std::vector<Value>{int32_t{2}}), 1);
  auto copy = db_->prepare("INSERT INTO T_CONFLICT SELECT ID + ? FROM T_CONFLICT");
  EXPECT_EQ(copy->execute(std::vector<Value>{int32_t{10}}), 2);
  db_->commit();
}

TEST_F(OdbcPostgresBatch, RowsOfDifferentKindsAndSizesShareABatch) {
  createTable("T_MIX", "ID INTEGER PRIMARY KEY, N BIGINT, Q DECIMAL(20,6), T TEXT, F DOUBLE PRECISION");
  const std::string longText(9000, 'z');
  const std::vector<std::vector<Value>> rows = {
      {int32_t{1}, Value::null(), dec("1.5"), "a", 1.0},
      {int32_t{2}, int16_t{7}, dec("-2.25"), longText, int32_t{3}},  // F changes kind
      {int32_t{3}, int64_t{5000000000}, dec("123456.123456"), Value::null(), Value::null()},
      {int32_t{4}, Value(), Value::null(), "è", 2.5},
  };
  db_->begin();
  auto insert = db_->prepare("INSERT INTO T_MIX (ID, N, Q, T, F) VALUES (?, ?, ?, ?, ?)");
  for (const auto& row : rows) insert->execute(row);
  db_->commit();

  const ResultSet rs = query(*db_, "SELECT N, Q, T, F FROM T_MIX ORDER BY ID");
  ASSERT_EQ(rs.rowCount, 4u);
  const std::vector<Value> expected = {
      Value::null(),       dec("1.5"),           "a",           1.0,
      int64_t{7},          dec("-2.25"),         longText,      3.0,
      int64_t{5000000000}, dec("123456.123456"), Value::null(), Value::null(),
      Value::null(),       Value::null(),        "è",           2.5,
  };
  EXPECT_EQ(rs.cells, expected);
  EXPECT_EQ(cell(rs, 2, 1).asDecimal().toString(), "123456.123456");
}

TEST_F(OdbcPostgresBatch, SavepointsUndoHeldRowsToo) {
  createTable("T_SAVE", "ID INTEGER PRIMARY KEY");
  db_->begin();
  auto insert = db_->prepare("INSERT INTO T_SAVE VALUES (?)");
  insert->execute(std::vector<Value>{int32_t{1}});
  db_->execute("SAVEPOINT sp1");
  insert->execute(std::vector<Value>{int32_t{2}});
  db_->execute("ROLLBACK TO SAVEPOINT sp1");
  db_->execute("RELEASE SAVEPOINT sp1");
  insert->execute(std::vector<Value>{int32_t{3}});
  db_->commit();
  const ResultSet rs = query(*db_, "SELECT ID FROM T_SAVE ORDER BY ID");
  EXPECT_EQ(rs.cells, (std::vector<Value>{int32_t{1}, int32_t{3}}));
}

TEST_F(OdbcPostgresBatch, RolledBackRowsAreNeverSent) {
  createTable("T_DROP", "ID INTEGER PRIMARY KEY");
  db_->begin();
  auto insert = db_->prepare("INSERT INTO T_DROP VALUES (?)");
  insert->execute(std::vector<Value>{int32_t{1}});
  db_->rollback();
  insert->execute(std::vector<Value>{int32_t{1}});
  EXPECT_EQ(countRows(*db_, "T_DROP"), 1);
}

// The same driver on another database: SQLite through its ODBC driver.
TEST(OdbcSqlite, WorksThroughTheSqliteOdbcDriver) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("briskal-odbc-" + std::to_string(getpid()) + ".db");
  std::filesystem::remove(file);
  std::unique_ptr<DriverConnection> db;
  try {
    db = openOdbc("Driver=SQLite3;Database=" + file.string());
  } catch (const DriverError& e) {
    if (e.errors().front().sqlState == "IM002") GTEST_SKIP() << "the SQLite3 ODBC driver is not registered";
    throw;
  }
  EXPECT_EQ(db->dialect(), Dialect::SQLite);
  db->execute(
      "CREATE TABLE T_LITE (ID INTEGER NOT NULL, CODE VARCHAR(10) NOT NULL, NOTE VARCHAR(40), "
      "PRIMARY KEY (ID, CODE))");
  db->begin();
  auto insert = db->prepare("INSERT INTO T_LITE VALUES (?, ?, ?)");
  insert->execute(std::vector<Value>{int32_t{1}, "a", "Perché sì"});
  insert->execute(std::vector<Value>{int32_t{2}, "b", Value::null()});
  db->commit();
  const ResultSet rs =
      query(*db, "SELECT ID, NOTE FROM T_LITE WHERE CODE = ? OR CODE = ? ORDER BY ID", {"a", "b"});
  ASSERT_EQ(rs.rowCount, 2u);
  EXPECT_EQ(rs.columns[1].name, "NOTE");
  EXPECT_EQ(cell(rs, 0, 1), Value("Perché sì"));
  EXPECT_TRUE(cell(rs, 1, 1).isNull());
  EXPECT_EQ(db->primaryKey("T_LITE"), (std::vector<std::string>{"ID", "CODE"}));
  db.reset();
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace briskal::data
