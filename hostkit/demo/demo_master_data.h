#pragma once
// Master data of the demo database: companies, business partners, item catalogue and
// classifications, plant (warehouses, departments, work centres, machines), projects, jobs and
// workflow states. What the order generator needs of it comes back in memory.

#include <string>
#include <vector>

#include "data/connection.h"
#include "hostkit/demo/demo_database.h"
#include "hostkit/demo/demo_items.h"
#include "hostkit/demo/demo_random.h"

namespace briskal::hostkit {

struct DemoProject {
  std::string code;
  int subProjects = 0;  // sub-projects 1..subProjects exist beside sub-project 0
  int nodes = 0;        // nodes N01..Nnn
};

struct DemoJob {
  std::string code;
  int subJobs = 0;  // sub-jobs 1..subJobs exist beside sub-job 0
};

struct DemoCompany {
  int code = 0;
  int weight = 0;  // share of the orders, in percent
  std::vector<DemoItem> items;
  std::vector<int> customers;
  std::vector<int> suppliers;
  std::vector<DemoProject> projects;
  std::vector<DemoJob> jobs;
};

// The GS1 company prefix a demo company's GTINs and SSCCs are made with.
std::string demoGs1Prefix(int company);

std::vector<DemoCompany> insertMasterData(data::Connection& connection, DemoRandom& random,
                                          DemoSummary& summary);

}  // namespace briskal::hostkit
