#pragma once
// The fields the parameter form offers in its filter control: 26 ordinary fields, two status
// fields and four groups of identification attributes, declared in this order.

#include <string>
#include <string_view>

namespace briskal::host {
class QueryFilterControl;
}

namespace briskal::params {

// Declares every field; a declaration the control refuses is skipped and the next one follows.
void ImpostaCampiFiltro(host::QueryFilterControl& filter);

// The column an ordinary field is written as in the condition; "" for another caption.
std::string filterColumn(std::string_view caption);

}  // namespace briskal::params
