#include "params/order_line_query.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/files.h"

namespace briskal::params {
namespace {

// The composed query of the default form is the golden file; the other cases change its conditions.
std::string defaultQuery() { return testing::readFile(testing::goldenFile("order_line_query.sql")); }
std::string head() {
  const std::string query = defaultQuery();
  return query.substr(0, query.find(" WHERE "));
}
std::string tail() {
  const std::string query = defaultQuery();
  return query.substr(std::min(query.find(" ORDER BY "), query.size()));
}

OrderLineQueryOptions defaults() {
  OrderLineQueryOptions o;
  o.company = "1";
  o.orderType = "24";
  return o;
}

TEST(OrderLineQuery, DefaultFormSelectsOpenLinesOfWorkOrders) {
  testing::expectGolden("order_line_query.sql", composeOrderLineQuery(defaults()));
  EXPECT_NE(
      defaultQuery().find(" WHERE DO11_DITTA_CG18 = 1  AND QTAORD1 > 0  AND ISNULL(DO31_FLGNONPIUEV,0) = 0 "
                          " AND DO11_TIPODOC = 24 ORDER BY "),
      std::string::npos);
}

TEST(OrderLineQuery, OptionsAddOrDropTheirConditions) {
  struct Case {
    int residualOnly, firstUnit, settled;
    std::string middle;
  };
  const Case cases[] = {
      {0, 0, 0, " AND QTAORD2 > 0  AND ISNULL(DO31_FLGNONPIUEV,0) = 0 "},
      {1, 1, 0, " AND ISNULL(DO31_FLGNONPIUEV,0) = 0 "},
      {1, 0, 0, " AND ISNULL(DO31_FLGNONPIUEV,0) = 0 "},
      {0, 1, 1, " AND QTAORD1 > 0 "},
      {1, 1, 1, ""},
  };
  for (const Case& c : cases) {
    OrderLineQueryOptions o = defaults();
    o.residualOnly = c.residualOnly;
    o.firstUnit = c.firstUnit;
    o.settled = c.settled;
    o.orderType = "21";
    o.company = "3";
    EXPECT_EQ(composeOrderLineQuery(o),
              head() + " WHERE DO11_DITTA_CG18 = 3 " + c.middle + " AND DO11_TIPODOC = 21" + tail())
        << c.residualOnly << c.firstUnit << c.settled;
  }
}

TEST(OrderLineQuery, FilterTextIsAppendedWithOriginColumnsRewritten) {
  OrderLineQueryOptions o = defaults();
  o.filterText = "   ";
  EXPECT_EQ(composeOrderLineQuery(o).find(" AND "), composeOrderLineQuery(defaults()).find(" AND "));
  EXPECT_EQ(composeOrderLineQuery(o), composeOrderLineQuery(defaults()));
  o.filterText = "(TORDCLI.DO11_NUMDOC >= 5) AND (TORDCLI.DO11_NUMDOC <= 9) AND (tordcli.DO11_SEZDOC = 'A')";
  const std::string sql = composeOrderLineQuery(o);
  EXPECT_NE(sql.find(" AND DO11_TIPODOC = 24 AND (TORIG_NUMDOC >= 5) AND (TORIG_NUMDOC <= 9) AND "
                     "(tordcli.DO11_SEZDOC = 'A')" +
                     tail()),
            std::string::npos)
      << sql;
  o.filterText = "TORDCLI.DO11_CLIFOR_CG44 = 7 AND TORDCLI.DO11_DATADOC >= '2026-01-01'";
  EXPECT_NE(composeOrderLineQuery(o).find("TORIG_CODCLIFOR = 7 AND TORIG_DATADOC >= '2026-01-01'"),
            std::string::npos);
  // A value typed in a filter is data, whatever it reads like, and quotes doubled inside it too.
  o.filterText = "PD0C_CODICE = 'x''TORDCLI.DO11_SEZDOC' AND TORDCLI.DO11_SEZDOC = 'TORDCLI.DO11_NUMDOC'";
  EXPECT_NE(composeOrderLineQuery(o).find("PD0C_CODICE = 'x''TORDCLI.DO11_SEZDOC' AND TORIG_SEZDOC = "
                                          "'TORDCLI.DO11_NUMDOC'"),
            std::string::npos)
      << composeOrderLineQuery(o);
}

}  // namespace
}  // namespace briskal::params
