#pragma once
// Error numbers of the controls beyond the runtime's common ones.

#include <cstdint>

namespace briskal::hostkit {

// "Invalid property value", raised for an index, state or value a control cannot take.
inline constexpr int32_t kInvalidPropertyValue = 380;

}  // namespace briskal::hostkit
