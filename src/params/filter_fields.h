#pragma once
// The fields the parameter form offers in its filter control: 26 ordinary fields, two status
// fields and four groups of identification attributes, declared in this order.

namespace briskal::host {
class QueryFilterControl;
}

namespace briskal::params {

// Declares every field; a declaration the control refuses is skipped and the next one follows.
void ImpostaCampiFiltro(host::QueryFilterControl& filter);

}  // namespace briskal::params
