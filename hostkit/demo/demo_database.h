#pragma once
// The demo database: the schema of the order tables, the views the label component reads and the
// two tables it writes, filled with production work orders of an Italian mechanical manufacturer.
// The same seed gives the same data on every machine.

#include <cstdint>

#include "data/connection.h"

namespace briskal::hostkit {

struct DemoOptions {
  int orders = 2000;  // order lines to create
  uint64_t seed = 1;
};

struct DemoSummary {
  int companies = 0;
  int partners = 0;  // customers and suppliers of all companies
  int items = 0;
  int productionOrders = 0;  // work orders and subcontracting orders (types 24, 25, 21)
  int customerOrders = 0;    // the customer orders they come from
  int orderLines = 0;
  int cycleDetails = 0;
  int viewRows = 0;  // rows of VDO11_BRISKAL: one per line and cycle detail
};

// Drops and recreates every demo table and view on the open connection, then fills them in one
// transaction. Throws briskal::Error for a negative number of orders and whatever the database
// raises; on failure nothing is left half written.
DemoSummary createDemoDatabase(data::Connection& connection, const DemoOptions& options);

}  // namespace briskal::hostkit
