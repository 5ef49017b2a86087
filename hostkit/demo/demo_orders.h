#pragma once
// Orders of the demo database: production work orders (type 24) and subcontracting orders to
// suppliers (25) and from customers (21), with their lines, deliveries, customer-order
// references, projects and jobs, production-cycle details, workflow states and attributes.

#include <vector>

#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/demo/demo_master_data.h"
#include "hostkit/demo/demo_random.h"

namespace briskal::hostkit {

// Writes exactly `lines` order lines, dated through 2026 in order of registration.
void insertOrders(data::Connection& connection, DemoRandom& random, const std::vector<DemoCompany>& companies,
                  int lines, DemoSummary& summary);

}  // namespace briskal::hostkit
