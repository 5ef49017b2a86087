#include "hostkit/demo/demo_database.h"

#include "common/error.h"
#include "hostkit/demo/demo_master_data.h"
#include "hostkit/demo/demo_orders.h"
#include "hostkit/demo/demo_random.h"
#include "hostkit/demo/demo_schema.h"
#include "hostkit/demo/sql_script.h"
#include "hostkit/store/counters.h"

namespace briskal::hostkit {

DemoSummary createDemoDatabase(data::Connection& connection, const DemoOptions& options) {
  if (options.orders < 0) {
    throw Error(err::kInvalidArgument, "briskal", "The number of order lines cannot be negative");
  }
  DemoRandom random(options.seed);
  DemoSummary summary;
  data::Transaction transaction(connection);
  for (const std::string& statement : splitSqlScript(demoSchemaSql())) connection.execute(statement);
  const std::vector<DemoCompany> companies = insertMasterData(connection, random, summary);
  insertOrders(connection, random, companies, options.orders, summary);
  // Each company's SSCCs are made with its GS1 prefix.
  for (const DemoCompany& company : companies)
    Counters(connection, Value(int32_t{company.code}))
        .set("SSCC",
             {.next = std::nullopt, .extensionDigit = 3, .companyPrefix = demoGs1Prefix(company.code)});
  transaction.commit();
  return summary;
}

}  // namespace briskal::hostkit
