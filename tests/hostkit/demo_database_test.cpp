#include "hostkit/demo/demo_database.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "hostkit/demo/demo_random.h"
#include "hostkit/demo/sql_script.h"
#include "hostkit/demo_test_support.h"
#include "support/database_backends.h"
#include "test_helpers.h"

namespace briskal::hostkit {
namespace {

using demo_test::cell;
using demo_test::columnIndex;
using demo_test::integerOf;
using demo_test::orderLineQuery;
using demo_test::query;

struct OpenDemo {
  data::Connection connection;
  DemoSummary summary;

  explicit OpenDemo(DemoOptions options) {
    connection.setConnectionString(briskal::testing::freshDatabase("sqlite"));
    connection.open();
    summary = createDemoDatabase(connection, options);
  }
};

int64_t count(data::Connection& connection, const std::string& sql) {
  return integerOf(cell(query(connection, sql), 0, 0));
}

TEST(DemoRandom, IsTheStandardSplitMix64) {
  // Reference outputs of splitmix64 from state 0: a changed generator would change every demo database.
  DemoRandom random(0);
  EXPECT_EQ(random.next(), 0xE220A8397B1DCDAFULL);
  EXPECT_EQ(random.next(), 0x6E789E6AA1B965F4ULL);
  EXPECT_EQ(random.next(), 0x06C45D188009454FULL);
}

TEST(DemoRandom, DrawsStayInRangeAndReachBothEnds) {
  DemoRandom random(99);
  std::set<int> seen;
  for (int i = 0; i < 2000; ++i) seen.insert(random.between(-3, 3));
  EXPECT_EQ(seen, (std::set<int>{-3, -2, -1, 0, 1, 2, 3}));
  int chosen[3] = {};
  for (int i = 0; i < 3000; ++i) ++chosen[random.weighted({0, 1, 2})];
  EXPECT_EQ(chosen[0], 0);
  EXPECT_GT(chosen[2], chosen[1]);
}

TEST(DemoRandom, GuidsAreVersionFourInUpperCase) {
  DemoRandom random(5);
  const std::string guid = random.guid();
  ASSERT_EQ(guid.size(), 36u);
  EXPECT_EQ(guid[8], '-');
  EXPECT_EQ(guid[23], '-');
  EXPECT_EQ(guid[14], '4');
  EXPECT_NE(std::string("89AB").find(guid[19]), std::string::npos);
  EXPECT_EQ(guid.find_first_not_of("0123456789ABCDEF-"), std::string::npos);
  EXPECT_NE(random.guid(), guid);
}

TEST(SqlScript, SplitsAtSemicolonsThatEndALine) {
  const auto statements = splitSqlScript(
      "-- heading; not a statement\n"
      "CREATE TABLE T (\n  A CHAR(3) DEFAULT 'a;b'\n);\r\n"
      "\n"
      "DROP VIEW IF EXISTS V;   \n"
      "SELECT 1");
  ASSERT_EQ(statements.size(), 3u);
  EXPECT_EQ(statements[0], "CREATE TABLE T (\nA CHAR(3) DEFAULT 'a;b'\n)");
  EXPECT_EQ(statements[1], "DROP VIEW IF EXISTS V");
  EXPECT_EQ(statements[2], "SELECT 1");
}

TEST(DemoDatabase, SameSeedGivesTheSameDataAndAnotherSeedDoesNot) {
  OpenDemo first({600, 11});
  OpenDemo second({600, 11});
  OpenDemo other({600, 12});
  for (const char* table :
       {"CG16_ANAGRAFICA", "MG66_ARTICOLI", "PD68_PROGETTI", "DO11_TESTATE", "DO30_RIGHE", "DO31_CONSEGNE",
        "DO33_RIFORDCLI", "DO41_PROGCOMM", "DO46_CICLO", "CO5S_STATIOGG", "CO5L_ATTRIBUTIDEN"}) {
    SCOPED_TRACE(table);
    const std::string sql = std::string("SELECT * FROM ") + table;
    EXPECT_EQ(query(first.connection, sql).cells, query(second.connection, sql).cells);
  }
  const std::string lines =
      "SELECT * FROM VDO11_BRISKAL ORDER BY DO30_NUMREG_CO99, DO30_PROGRIGA, DO46_PROGDET";
  EXPECT_EQ(query(first.connection, lines).cells, query(second.connection, lines).cells);
  EXPECT_NE(query(first.connection, lines).cells, query(other.connection, lines).cells);
  EXPECT_EQ(first.summary.viewRows, second.summary.viewRows);
}

TEST(DemoDatabase, WritesExactlyTheRequestedLinesAndCountsWhatItWrote) {
  OpenDemo demo({1234, 3});
  data::Connection& db = demo.connection;
  const DemoSummary& s = demo.summary;
  EXPECT_EQ(s.orderLines, 1234);
  EXPECT_EQ(count(db, "SELECT COUNT(*) FROM DO30_RIGHE"), 1234);
  EXPECT_EQ(count(db, "SELECT COUNT(*) FROM DO31_CONSEGNE"), 1234);
  EXPECT_EQ(count(db, "SELECT COUNT(*) FROM VDO11_BRISKAL"), s.viewRows);
  EXPECT_EQ(count(db, "SELECT COUNT(*) FROM DO46_CICLO"), s.cycleDetails);
  EXPECT_EQ(count(db, "SELECT COUNT(*) FROM DO11_TESTATE WHERE DO11_TIPODOC IN (24, 25, 21)"),
            s.productionOrders);
  EXPECT_EQ(count(db, "SELECT COUNT(*) FROM DO11_TESTATE WHERE DO11_TIPODOC = 15"), s.customerOrders);
  EXPECT_EQ(count(db, "SELECT COUNT(*) FROM CG44_CLIFOR"), s.partners);
  EXPECT_EQ(count(db, "SELECT COUNT(*) FROM MG66_ARTICOLI"), s.items);
  EXPECT_EQ(count(db, "SELECT COUNT(*) FROM CG18_DITTE"), s.companies);
  // Every production order has lines; customer orders are only referenced.
  EXPECT_EQ(count(db, "SELECT COUNT(DISTINCT DO30_NUMREG_CO99) FROM DO30_RIGHE"), s.productionOrders);
}

TEST(DemoDatabase, RebuildsAnExistingDemoDatabase) {
  OpenDemo demo({300, 1});
  demo.connection.execute(
      "INSERT INTO PD46_RPTETICHETTE (PD46_MACCHINA, PD46_PROGETICH, PD46_UTENTE_FW07) "
      "VALUES ('PC01', 1, 'admin')");
  const DemoSummary again = createDemoDatabase(demo.connection, {50, 1});
  EXPECT_EQ(again.orderLines, 50);
  EXPECT_EQ(count(demo.connection, "SELECT COUNT(*) FROM DO30_RIGHE"), 50);
  EXPECT_EQ(count(demo.connection, "SELECT COUNT(*) FROM PD46_RPTETICHETTE"), 0);
}

TEST(DemoDatabase, WithoutOrdersHasMasterDataAndAnEmptyView) {
  OpenDemo demo({0, 1});
  EXPECT_GT(demo.summary.items, 0);
  EXPECT_EQ(count(demo.connection, "SELECT COUNT(*) FROM VDO11_BRISKAL"), 0);
  EXPECT_GT(count(demo.connection, "SELECT COUNT(*) FROM PD08_MACCHINE"), 0);
}

TEST(DemoDatabase, RefusesANegativeNumberOfOrdersAndLeavesTheDatabaseAlone) {
  data::Connection connection;
  connection.setConnectionString(briskal::testing::freshDatabase("sqlite"));
  connection.open();
  EXPECT_EQ(briskal::testing::errorNumber([&] {
              createDemoDatabase(connection, {-1, 1});
            }),
            err::kInvalidArgument);
  EXPECT_EQ(count(connection, "SELECT COUNT(*) FROM sqlite_master"), 0);
}

TEST(DemoDatabase, LabelTablesExistEmptyWithTheirKeys) {
  OpenDemo demo({100, 1});
  EXPECT_EQ(count(demo.connection, "SELECT COUNT(*) FROM PD45_CONFIGETICH"), 0);
  EXPECT_EQ(count(demo.connection, "SELECT COUNT(*) FROM PD46_RPTETICHETTE"), 0);
  EXPECT_EQ(demo.connection.primaryKey("PD45_CONFIGETICH"),
            (std::vector<std::string>{"PD45_CODICE", "PD45_PROGRIGA"}));
  EXPECT_EQ(demo.connection.primaryKey("PD46_RPTETICHETTE"),
            (std::vector<std::string>{"PD46_MACCHINA", "PD46_UTENTE_FW07", "PD46_PROGETICH"}));
}

class DemoData : public ::testing::Test {
 protected:
  DemoData() : demo_({3000, 2026}) {}
  data::Connection& db() { return demo_.connection; }
  int64_t lines(const std::string& condition) {
    return count(db(), "SELECT COUNT(*) FROM VDO11_BRISKAL WHERE " + condition);
  }

  OpenDemo demo_;
};

TEST_F(DemoData, TheOrderLineQueryAndItsVariantsReturnMatchingRowsInOrder) {
  struct Variant {
    int company;
    const char* residual;
    bool skipSettled;
    int type;
  };
  for (const Variant& v :
       {Variant{1, "QTAORD1", true, 24}, Variant{1, "QTAORD2", true, 24}, Variant{1, "QTAORD1", false, 24},
        Variant{1, "", true, 24}, Variant{1, "QTAORD1", true, 25}, Variant{1, "QTAORD1", true, 21},
        Variant{2, "QTAORD1", true, 24}}) {
    SCOPED_TRACE(orderLineQuery(v.company, v.residual, v.skipSettled, v.type));
    const data::ResultSet rows = query(db(), orderLineQuery(v.company, v.residual, v.skipSettled, v.type));
    ASSERT_GT(rows.rowCount, 0u);
    const size_t company = columnIndex(rows, "DO11_DITTA_CG18");
    const size_t type = columnIndex(rows, "DO11_TIPODOC");
    const size_t settled = columnIndex(rows, "DO31_FLGNONPIUEV");
    const size_t registration = columnIndex(rows, "DO30_NUMREG_CO99");
    const size_t line = columnIndex(rows, "DO30_PROGRIGA");
    columnIndex(rows, "V_IDSTATO");
    columnIndex(rows, "CO5L_ATTRIB01");
    std::string previous;
    for (size_t r = 0; r < rows.rowCount; ++r) {
      EXPECT_EQ(integerOf(cell(rows, r, company)), v.company);
      EXPECT_EQ(integerOf(cell(rows, r, type)), v.type);
      if (*v.residual) {
        EXPECT_GT(cell(rows, r, columnIndex(rows, v.residual)).asDecimal(), Decimal(0));
      }
      if (v.skipSettled) {
        EXPECT_NE(cell(rows, r, settled), Value(int16_t{1}));
      }
      const std::string key = cell(rows, r, registration).asText() + "/" +
                              std::to_string(100000 + integerOf(cell(rows, r, line)));
      EXPECT_LE(previous, key);
      previous = key;
    }
  }
}

TEST_F(DemoData, TheStatusAndAttributeJoinsAddNoRows) {
  const std::string all = orderLineQuery(1, "", false, 24);
  EXPECT_EQ(static_cast<int64_t>(query(db(), all).rowCount),
            lines("DO11_DITTA_CG18 = 1 AND DO11_TIPODOC = 24"));
  EXPECT_GT(lines("DO30_GUID IN (SELECT V_GUID FROM VFILTROSTATI)"), 0);
  EXPECT_GT(lines("DO11_GUID IN (SELECT CO5L_GUID FROM CO5L_ATTRIBUTIDEN)"), 0);
  EXPECT_GT(lines("PD68_GUID IN (SELECT CO5L_GUID FROM CO5L_ATTRIBUTIDEN)"), 0);
  EXPECT_GT(lines("PD0C_GUID IN (SELECT CO5L_GUID FROM CO5L_ATTRIBUTIDEN)"), 0);
}

TEST_F(DemoData, EveryPrintedColumnHasItsTypeAndItsValuesFit) { demo_test::expectPrintedColumnsFit(db()); }

TEST_F(DemoData, CoversTheCasesLabelsMustHandle) {
  EXPECT_GT(lines("DO30_PZCONF IS NULL"), 0);
  EXPECT_GT(lines("DO30_PZCONF = 0"), 0);
  EXPECT_GT(lines("DO30_PZCONF > 0 AND DO30_PZCONF < 1"), 0);
  EXPECT_GT(lines("DO30_PZCONF > 1 AND DO30_PZCONF <> CAST(DO30_PZCONF AS INTEGER)"), 0);
  EXPECT_GT(lines("DO30_PESON IS NULL"), 0);
  EXPECT_GT(lines("DO30_PESON IS NOT NULL AND DO30_PESOL > DO30_PESON"), 0);
  EXPECT_GT(lines("DO30_UM2 IS NOT NULL AND DO30_QTA2 > 0 AND QTAORD2 > 0"), 0);
  EXPECT_GT(lines("DO30_UM2 IS NULL AND DO30_QTA2 = 0"), 0);
  EXPECT_GT(lines("QTAORD1 = 0 AND DO31_QTA1CONS = DO30_QTA1"), 0);
  EXPECT_GT(lines("QTAORD1 > 0 AND DO31_QTA1CONS > 0"), 0);
  EXPECT_GT(lines("DO31_FLGNONPIUEV = 1"), 0);
  EXPECT_GT(lines("DO31_FLGNONPIUEV IS NULL"), 0);
  EXPECT_GT(lines("DO30_QTA1 = 3.7"), 0);
  EXPECT_GT(lines("DO30_QTA1 = 0.4"), 0);
  EXPECT_GT(lines("DO30_QTA1 <> CAST(DO30_QTA1 AS INTEGER) AND DO30_UM1 = 'KG'"), 0);
  EXPECT_GT(lines("DO30_DESCART LIKE '%Ø%'"), 0);
  EXPECT_GT(lines("DO30_DESCART LIKE '%×%'"), 0);
  EXPECT_GT(lines("CG16_RAGSOANAG LIKE '%à%' OR CG16_RAGSOANAG LIKE '%ò%'"), 0);
  for (const char* unit : {"PZ", "KG", "MT", "NR"})
    EXPECT_GT(lines(std::string("DO30_UM1 = '") + unit + "'"), 0);
  for (const char* nullable : {"DO33_NUMNSDOC", "DO33_NUMVSDOC", "DO41_CODPROGETTO", "DO41_CODCOMMESSA",
                               "DO41_NODORIF_PD0C", "DO11_CLIFOR_CG44", "DO46_MACCHINAALT", "DO46_PROGDET",
                               "DO31_DATACONSINT", "DO30_OPZIONE_MG5E", "DO30_CODARTCLI", "DESCREPTESTAOL"}) {
    SCOPED_TRACE(nullable);
    EXPECT_GT(lines(std::string(nullable) + " IS NULL"), 0);
    EXPECT_GT(lines(std::string(nullable) + " IS NOT NULL"), 0);
  }
}

TEST_F(DemoData, ResidualsAreOrderedLessDelivered) {
  EXPECT_EQ(lines("ABS(QTAORD1 - (DO30_QTA1 - DO31_QTA1CONS)) > 0.0005"), 0);
  EXPECT_EQ(lines("ABS(QTAORD2 - (DO30_QTA2 - DO31_QTA2CONS)) > 0.0005"), 0);
  EXPECT_EQ(lines("QTAORD1 < 0 OR QTAORD2 < 0"), 0);
}

TEST_F(DemoData, OriginatingOrderIsTheReferencedCustomerOrder) {
  EXPECT_EQ(lines("DO33_NUMNSDOC IS NULL AND TORIG_NUMDOC IS NOT NULL"), 0);
  EXPECT_EQ(
      lines("DO33_NUMNSDOC IS NOT NULL AND (TORIG_NUMDOC <> DO33_NUMNSDOC OR TORIG_SEZDOC <> DO33_SEZNSDOC)"),
      0);
  EXPECT_EQ(lines("TORIG_NUMDOC IS NOT NULL AND (TORIG_CODCLIFOR <> DO11_CLIFOR_CG44 OR TORIG_DATADOC > "
                  "DO11_DATADOC)"),
            0);
  EXPECT_GT(lines("TORIG_NUMDOC IS NOT NULL"), 0);
}

TEST_F(DemoData, CycleDetailsAreMostlyOneALine) {
  const int64_t total = demo_.summary.orderLines;
  const int64_t one = count(db(),
                            "SELECT COUNT(*) FROM (SELECT DO46_NUMREG_CO99 FROM DO46_CICLO "
                            "GROUP BY DO46_NUMREG_CO99, DO46_PROGRIGA HAVING COUNT(*) = 1) T");
  const int64_t two = count(db(),
                            "SELECT COUNT(*) FROM (SELECT DO46_NUMREG_CO99 FROM DO46_CICLO "
                            "GROUP BY DO46_NUMREG_CO99, DO46_PROGRIGA HAVING COUNT(*) = 2) T");
  EXPECT_GT(one, total * 85 / 100);
  EXPECT_GT(two, 0);
  EXPECT_GT(lines("DO46_PROGDET IS NULL"), 0);
  // A subcontracted phase is done by the supplier of the order, on no machine of ours.
  EXPECT_EQ(
      lines("DO11_TIPODOC = 25 AND (DO46_CLIFOR_CG44 <> DO11_CLIFOR_CG44 OR DO46_MACCHINAALT IS NOT NULL)"),
      0);
  EXPECT_EQ(lines("DO46_MACCHINAALT IS NOT NULL AND PD12_CODICE_PD01 IS NULL"), 0);
}

TEST_F(DemoData, OrdersSpreadOverTypesAndCompaniesLikeAPlant) {
  const double total = static_cast<double>(demo_.summary.orderLines);
  auto share = [&](const std::string& condition) {
    return static_cast<double>(count(db(),
                                     "SELECT COUNT(*) FROM DO30_RIGHE INNER JOIN DO11_TESTATE ON "
                                     "DO11_NUMREG_CO99 = DO30_NUMREG_CO99 WHERE " +
                                         condition)) /
           total;
  };
  EXPECT_NEAR(share("DO11_TIPODOC = 24"), 0.60, 0.08);
  EXPECT_NEAR(share("DO11_TIPODOC = 25"), 0.25, 0.08);
  EXPECT_NEAR(share("DO11_TIPODOC = 21"), 0.15, 0.06);
  EXPECT_GT(share("DO11_DITTA_CG18 = 1"), 0.65);
  EXPECT_GT(share("DO11_DITTA_CG18 = 2"), 0.05);
  EXPECT_GT(share("DO11_DITTA_CG18 = 3"), 0.0);
  EXPECT_EQ(lines("DO11_DATADOC < '2026-01-01' OR DO31_DATACONS > '2026-12-31'"), 0);
}

// The size the command line is expected to handle; how fast it goes is label_expansion_bench's.
TEST(DemoDatabaseSize, AHundredThousandLinesBuildAndQuery) {
  data::Connection connection;
  connection.setConnectionString(briskal::testing::freshDatabase("sqlite"));
  connection.open();
  const DemoSummary summary = createDemoDatabase(connection, {100000, 1});
  EXPECT_EQ(summary.orderLines, 100000);
  const data::ResultSet rows = query(connection, orderLineQuery(1, "QTAORD1", true, 24));
  EXPECT_GT(rows.rowCount, 30000u);
}

}  // namespace
}  // namespace briskal::hostkit
