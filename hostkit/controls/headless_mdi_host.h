#pragma once
// The place of a form in the host window, without a screen: it records where the form was put and
// in which window state, and lets a driver raise the host's event.

#include <cstdint>
#include <functional>

#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

struct Placement {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const Placement&, const Placement&) = default;
};

class HeadlessMdiHost final : public HeadlessControl<host::MdiHostControl> {
 public:
  using HeadlessControl::HeadlessControl;

  void place(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void setWindowState(int16_t state) override { windowState_ = state; }
  void onHostEvent(std::function<void()> handler) override { onHostEvent_ = std::move(handler); }

  bool placed() const { return placed_; }
  const Placement& placement() const { return placement_; }
  int16_t windowState() const { return windowState_; }
  void raiseHostEvent() const { raiseEvent(onHostEvent_); }

 private:
  Placement placement_;
  bool placed_ = false;
  int16_t windowState_ = 0;
  std::function<void()> onHostEvent_;
};

}  // namespace briskal::hostkit
