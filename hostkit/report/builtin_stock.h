#pragma once
// The label stock the host knows without a catalogue: common A4 and US Letter products.

#include <vector>

#include "hostkit/report/label_stock.h"

namespace briskal::hostkit::report {

std::vector<LabelStock> builtInStock();

}  // namespace briskal::hostkit::report
