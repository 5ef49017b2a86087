#pragma once
// A form resizer without a screen: it records which controls the form anchors, and how. Starting
// it raises the set-up event, in which the form registers its controls.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

class HeadlessResizer final : public HeadlessControl<host::FormResizerControl> {
 public:
  using HeadlessControl::HeadlessControl;

  // Registering a control again replaces its anchor.
  void registerControl(const std::string& controlName, int32_t anchor) override;
  void start() override;
  bool resizing() const override { return resizing_; }
  void onSetup(std::function<void()> handler) override { onSetup_ = std::move(handler); }

  bool started() const { return started_; }
  // The registered controls in registration order, with their anchors.
  const std::vector<std::pair<std::string, int32_t>>& registrations() const { return registrations_; }
  std::optional<int32_t> anchorOf(const std::string& controlName) const;
  // Stands for a person dragging the form's border.
  void setResizing(bool resizing) { resizing_ = resizing; }

 private:
  std::vector<std::pair<std::string, int32_t>> registrations_;
  bool started_ = false;
  bool resizing_ = false;
  std::function<void()> onSetup_;
};

}  // namespace briskal::hostkit
