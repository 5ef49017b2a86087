#pragma once
// A toolbar button without a screen.

#include <functional>
#include <string>

#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

class HeadlessButton final : public HeadlessControl<host::ToolbarButtonControl> {
 public:
  using HeadlessControl::HeadlessControl;

  std::string caption() const override { return caption_; }
  void setCaption(const std::string& caption) override { caption_ = caption; }
  void onClick(std::function<void()> handler) override { onClick_ = std::move(handler); }

  // What a person does: presses the button. Nothing happens, and false comes back, when the button
  // is disabled or hidden.
  bool click();

 private:
  std::string caption_;
  std::function<void()> onClick_;
};

}  // namespace briskal::hostkit
