#pragma once
// The label stock a command line names.

#include <string>

#include "hostkit/report/label_stock.h"

namespace briskal::cli {

// The catalogue's product `name` names; throws UsageError naming the closest ones when there is none.
const hostkit::report::LabelStock& requireStock(const std::string& name);

}  // namespace briskal::cli
