#pragma once
// The print support of customisable labels: one record per selected label, 82 typed fields with
// the order line's data and the label's quantities, the contract with every label template.

#include <memory>

#include "data/recordset.h"

namespace briskal::output {

std::unique_ptr<data::Recordset> CreaSupportoStampaPersonalizzata();

// One record per label row with SELEZIONE "1", in the label rows' order, each with the data of
// the order line it was expanded from. Linear in the number of rows. Throws briskal::Error, naming
// the label's order and line, when a label holds a value its support field cannot take.
void AlimentaSupportoStampaPersonalizzata(data::Recordset& orderLines, data::Recordset& labelRows,
                                          data::Recordset& support);

}  // namespace briskal::output
