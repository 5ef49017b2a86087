#include "hostkit/controls/headless_progress.h"

#include <algorithm>
#include <string>

#include "common/error.h"

namespace briskal::hostkit {

void HeadlessProgress::setRange(int64_t minimum, int64_t maximum) {
  if (minimum > maximum)
    throw Error(
        kInvalidPropertyValue, name(),
        "Invalid property value: range " + std::to_string(minimum) + " to " + std::to_string(maximum));
  minimum_ = minimum;
  maximum_ = maximum;
  value_ = std::clamp(value_, minimum_, maximum_);
}

void HeadlessProgress::setValue(int64_t value) {
  value_ = std::clamp(value, minimum_, maximum_);
  if (watcher_) watcher_(value_, maximum_);
}

}  // namespace briskal::hostkit
