#pragma once
// A fixed caption without a screen.

#include <string>

#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

class HeadlessLabel final : public HeadlessControl<host::LabelControl> {
 public:
  using HeadlessControl::HeadlessControl;

  std::string caption() const override { return caption_; }
  void setCaption(const std::string& caption) override { caption_ = caption; }

 private:
  std::string caption_;
};

}  // namespace briskal::hostkit
