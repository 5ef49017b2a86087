#include "params/order_line_query.h"

#include <gtest/gtest.h>

namespace briskal::params {
namespace {

const std::string kHead =
    "SELECT * FROM VDO11_BRISKAL"
    " LEFT OUTER JOIN VFILTROSTATI AS VS_DO11 WITH (NOLOCK) ON DO11_GUID = VS_DO11.V_GUID "
    " LEFT OUTER JOIN VFILTROSTATI AS VS_DO30 WITH (NOLOCK) ON DO30_GUID = VS_DO30.V_GUID "
    " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_PRO WITH (NOLOCK) ON PD68_GUID = CO5L_PRO.CO5L_GUID "
    " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_DOT WITH (NOLOCK) ON DO11_GUID = CO5L_DOT.CO5L_GUID "
    " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_DOC WITH (NOLOCK) ON DO11_GUID = CO5L_DOC.CO5L_GUID "
    " LEFT OUTER JOIN CO5L_ATTRIBUTIDEN AS CO5L_NOD WITH (NOLOCK) ON PD0C_GUID = CO5L_NOD.CO5L_GUID ";
const std::string kTail = " ORDER BY DO30_NUMREG_CO99, DO30_PROGRIGA, DO46_PROGDET ";

OrderLineQueryOptions defaults() {
  OrderLineQueryOptions o;
  o.company = "1";
  o.orderType = "24";
  return o;
}

TEST(OrderLineQuery, DefaultFormSelectsOpenLinesOfWorkOrders) {
  EXPECT_EQ(composeOrderLineQuery(defaults()),
            kHead + " WHERE DO11_DITTA_CG18 = 1 " + " AND QTAORD1 > 0 " + " AND ISNULL(DO31_FLGNONPIUEV,0) = 0 " +
                " AND DO11_TIPODOC = 24" + kTail);
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
    EXPECT_EQ(composeOrderLineQuery(o), kHead + " WHERE DO11_DITTA_CG18 = 3 " + c.middle + " AND DO11_TIPODOC = 21" + kTail)
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
                     "(tordcli.DO11_SEZDOC = 'A')" + kTail),
            std::string::npos)
      << sql;
  o.filterText = "TORDCLI.DO11_CLIFOR_CG44 = 7 AND TORDCLI.DO11_DATADOC >= '2026-01-01'";
  EXPECT_NE(composeOrderLineQuery(o).find("TORIG_CODCLIFOR = 7 AND TORIG_DATADOC >= '2026-01-01'"), std::string::npos);
}

}  // namespace
}  // namespace briskal::params
