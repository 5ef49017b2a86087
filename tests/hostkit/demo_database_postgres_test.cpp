#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostkit/demo/demo_database.h"
#include "hostkit/demo_test_support.h"
#include "support/database_backends.h"
#include "support/postgres_server.h"

namespace briskal::hostkit {
namespace {

using demo_test::orderLineQuery;
using demo_test::query;

// A cell as both databases must agree on it: PostgreSQL pads fixed-width text, SQLite does not.
std::string comparable(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Null: return "<null>";
    case Value::Kind::Text: return v.asText().substr(0, v.asText().find_last_not_of(' ') + 1);
    case Value::Kind::Decimal: return v.asDecimal().toPlainString();
    case Value::Kind::Int16: return std::to_string(v.asInt16());
    case Value::Kind::Int32: return std::to_string(v.asInt32());
    case Value::Kind::Int64: return std::to_string(v.asInt64());
    case Value::Kind::Date: return v.asDate().toIso();
    default: return v.debugString();
  }
}

std::vector<std::string> comparableRows(data::Connection& connection, const std::string& sql) {
  const data::ResultSet rows = query(connection, sql);
  std::vector<std::string> result;
  for (size_t r = 0; r < rows.rowCount; ++r) {
    std::string line;
    for (size_t c = 0; c < rows.columns.size(); ++c) {
      line += rows.columns[c].name + "=" + comparable(demo_test::cell(rows, r, c)) + "|";
    }
    result.push_back(std::move(line));
  }
  return result;
}

class DemoDatabasePostgres : public briskal::testing::PostgresTest {};

TEST_F(DemoDatabasePostgres, HoldsTheSameDataAsTheEmbeddedFileForTheSameSeed) {
  data::Connection postgres;
  postgres.setConnectionString(server().createDatabase());
  postgres.open();
  const DemoSummary onServer = createDemoDatabase(postgres, {1500, 42});

  data::Connection file;
  file.setConnectionString(briskal::testing::freshDatabase("sqlite"));
  file.open();
  const DemoSummary inFile = createDemoDatabase(file, {1500, 42});
  EXPECT_EQ(onServer.viewRows, inFile.viewRows);
  EXPECT_EQ(onServer.productionOrders, inFile.productionOrders);

  const std::string view =
      "SELECT * FROM VDO11_BRISKAL ORDER BY DO30_NUMREG_CO99, DO30_PROGRIGA, DO46_PROGDET";
  const auto serverRows = comparableRows(postgres, view);
  const auto fileRows = comparableRows(file, view);
  ASSERT_EQ(serverRows.size(), fileRows.size());
  for (size_t r = 0; r < serverRows.size(); ++r) ASSERT_EQ(serverRows[r], fileRows[r]) << "row " << r;
}

TEST_F(DemoDatabasePostgres, AnswersTheOrderLineQueryAndItsVariants) {
  data::Connection postgres;
  postgres.setConnectionString(server().createDatabase());
  postgres.open();
  createDemoDatabase(postgres, {2000, 7});
  EXPECT_GT(query(postgres, orderLineQuery(1, "QTAORD1", true, 24)).rowCount, 0u);
  EXPECT_GT(query(postgres, orderLineQuery(1, "QTAORD2", true, 24)).rowCount, 0u);
  EXPECT_GT(query(postgres, orderLineQuery(1, "", false, 25)).rowCount, 0u);
  EXPECT_GT(query(postgres, orderLineQuery(2, "QTAORD1", true, 21)).rowCount, 0u);
  demo_test::expectPrintedColumnsFit(postgres);
  EXPECT_EQ(postgres.primaryKey("PD45_CONFIGETICH"),
            (std::vector<std::string>{"PD45_CODICE", "PD45_PROGRIGA"}));
}

}  // namespace
}  // namespace briskal::hostkit
