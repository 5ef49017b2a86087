#include "hostkit/controls/headless_check.h"

#include <string>

#include "common/error.h"

namespace briskal::hostkit {

void HeadlessCheck::setValue(int32_t value) {
  if (value < 0 || value > 2)
    throw Error(kInvalidPropertyValue, name(), "Invalid property value: " + std::to_string(value));
  if (value == value_) return;
  value_ = value;
  raiseEvent(onClick_);
}

bool HeadlessCheck::toggle() {
  if (!interactive()) return false;
  setValue(value_ == 0 ? 1 : 0);
  return true;
}

}  // namespace briskal::hostkit
