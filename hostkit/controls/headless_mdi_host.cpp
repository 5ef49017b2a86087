#include "hostkit/controls/headless_mdi_host.h"

namespace briskal::hostkit {

void HeadlessMdiHost::place(int32_t left, int32_t top, int32_t width, int32_t height) {
  placement_ = {left, top, width, height};
  placed_ = true;
}

}  // namespace briskal::hostkit
