#pragma once
// A check box without a screen: 0 clear, 1 ticked, 2 greyed. A change of value raises the click
// event, whether the code or a person made it.

#include <cstdint>
#include <functional>

#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

class HeadlessCheck final : public HeadlessControl<host::CheckControl> {
 public:
  using HeadlessControl::HeadlessControl;

  int32_t value() const override { return value_; }
  // Error 380 for a value other than 0, 1 or 2.
  void setValue(int32_t value) override;
  void onClick(std::function<void()> handler) override { onClick_ = std::move(handler); }

  // What a person does: ticks a clear box, clears a ticked or greyed one. False when the box is
  // disabled or hidden.
  bool toggle();

 private:
  int32_t value_ = 0;
  std::function<void()> onClick_;
};

}  // namespace briskal::hostkit
