#pragma once
// What every headless control shares: its name, enabled and visible state, and keyboard focus.
// Focus belongs to one control of a form at a time, so the controls of a form share one scope.

#include <string>
#include <utility>

#include "host/controls.h"
#include "hostkit/controls/control_errors.h"

namespace briskal::hostkit {

// The control of a form that has the focus, if any.
class FocusScope {
 public:
  const host::Control* owner() const { return owner_; }
  void give(const host::Control* control) { owner_ = control; }
  void release(const host::Control* control) {
    if (owner_ == control) owner_ = nullptr;
  }

 private:
  const host::Control* owner_ = nullptr;
};

// Calls a copy of the handler, so that a handler may replace itself while it runs.
template <typename Handler, typename... Args>
void raiseEvent(const Handler& handler, Args&&... args) {
  if (!handler) return;
  Handler call = handler;
  call(std::forward<Args>(args)...);
}

template <typename Interface>
class HeadlessControl : public Interface {
 public:
  HeadlessControl(std::string name, FocusScope& focus) : name_(std::move(name)), focus_(focus) {}
  ~HeadlessControl() override { focus_.release(this); }
  HeadlessControl(const HeadlessControl&) = delete;
  HeadlessControl& operator=(const HeadlessControl&) = delete;

  const std::string& name() const override { return name_; }
  bool enabled() const override { return enabled_; }
  // A control that is switched off or hidden loses the focus, as on screen.
  void setEnabled(bool enabled) override {
    enabled_ = enabled;
    if (!enabled_) focus_.release(this);
  }
  bool visible() const override { return visible_; }
  void setVisible(bool visible) override {
    visible_ = visible;
    if (!visible_) focus_.release(this);
  }
  // A disabled or hidden control does not take the focus; the focus stays where it was.
  void setFocus() override {
    if (interactive()) focus_.give(this);
  }
  bool hasFocus() const override { return focus_.owner() == this; }

  // Whether a person can reach the control: enabled and visible.
  bool interactive() const { return enabled_ && visible_; }

 protected:
  void loseFocus() { focus_.release(this); }

 private:
  std::string name_;
  FocusScope& focus_;
  bool enabled_ = true;
  bool visible_ = true;
};

}  // namespace briskal::hostkit
