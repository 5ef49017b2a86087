#pragma once
// The print support of customisable labels: one record per selected label, 82 typed fields with
// the order line's data and the label's quantities, the contract with every label template.

#include <memory>

#include "data/recordset.h"

namespace briskal::output {

std::unique_ptr<data::Recordset> CreaSupportoStampaPersonalizzata();

// One record per label row with SELEZIONE "1", grouped by order line in the order lines' order.
// Linear in the number of rows: the label rows are grouped once, not filtered per order line.
void AlimentaSupportoStampaPersonalizzata(data::Recordset& orderLines, data::Recordset& labelRows,
                                          data::Recordset& support);

}  // namespace briskal::output
