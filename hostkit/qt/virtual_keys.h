#pragma once
// Qt's key codes as the platform's virtual-key codes the forms compare with.

#include <cstdint>

namespace briskal::hostkit::qt {

// 0 for a key the forms have no code for.
int32_t virtualKey(int qtKey);
// The platform's shift flags of Qt modifiers: 1 Shift, 2 Ctrl, 4 Alt.
int32_t shiftFlags(int qtModifiers);

}  // namespace briskal::hostkit::qt
