#include "hostkit/controls/headless_button.h"

namespace briskal::hostkit {

bool HeadlessButton::click() {
  if (!interactive()) return false;
  raiseEvent(onClick_);
  return true;
}

}  // namespace briskal::hostkit
