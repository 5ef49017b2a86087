#pragma once
// The numbers a session's runs give their labels, from the company's counters (counters.h): a
// field prints the counter of its name, SSCC or SERIALE.

#include <memory>
#include <string>

#include "common/value.h"
#include "hostkit/report/label_numbers.h"

namespace briskal::hostkit {

struct CounterSetup {
  std::string connectionString;  // the company database's
  Value company;
  std::string user;
};

std::shared_ptr<report::NumberSource> counterNumbers(CounterSetup setup);

}  // namespace briskal::hostkit
