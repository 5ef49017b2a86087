#pragma once
// The SQL text that selects the work-order lines to be labelled, composed from the parameter
// form's options and the filter control's condition text by plain concatenation of fixed
// fragments, in SQL Server dialect.

#include <string>

namespace briskal::params {

struct OrderLineQueryOptions {
  std::string company;     // the company code as text, inserted unquoted
  int residualOnly = 0;    // "Ordini senza residuo": 1 includes lines with nothing left
  int firstUnit = 1;       // "Quantità UM I": 1 first unit of measure, anything else the second
  int settled = 0;         // "Ordini saldati": 1 includes lines no longer to be fulfilled
  std::string orderType;   // the document type code 24, 25 or 21, as text
  std::string filterText;  // the filter control's condition, possibly blank
};

std::string composeOrderLineQuery(const OrderLineQueryOptions& options);

}  // namespace briskal::params
