#pragma once
// What every control over a Qt widget shares: its name, and the enabled, visible and focus state,
// which are the widget's own. The widget belongs to the form's window; a control whose widget has
// gone keeps answering as a hidden, disabled control.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "host/controls.h"
#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit::qt {

template <typename Interface, typename Widget>
class QtControl : public Interface {
 public:
  QtControl(std::string name, Widget* widget) : name_(std::move(name)), widget_(widget) {}
  QtControl(const QtControl&) = delete;
  QtControl& operator=(const QtControl&) = delete;

  const std::string& name() const override { return name_; }
  bool enabled() const override { return widget_ && widget_->isEnabled(); }
  void setEnabled(bool enabled) override {
    if (widget_) widget_->setEnabled(enabled);
  }
  bool visible() const override { return widget_ && !widget_->isHidden(); }
  void setVisible(bool visible) override {
    if (widget_) widget_->setVisible(visible);
  }
  void setFocus() override {
    if (widget_) widget_->setFocus(Qt::OtherFocusReason);
  }
  bool hasFocus() const override { return widget_ && widget_->hasFocus(); }

  Widget* widget() const { return widget_; }

 private:
  std::string name_;
  QPointer<Widget> widget_;
};

// Runs what a person's action raised. An error that escapes the form's own traps is reported (in a
// message box unless a reporter was set), never thrown through Qt's event loop.
void guarded(const std::function<void()>& action);
// Runs an action; what it threw, or nullopt when it did not throw.
std::optional<std::string> failureOf(const std::function<void()>& action);
// Shows an error as guarded() does.
void showError(const std::string& error);
// Replaces the message box of guarded() and showError(); an empty function restores it.
void setErrorReporter(std::function<void(const std::string& error)> reporter);

// The platform's twips, at 15 a pixel.
inline constexpr int32_t kTwipsPerPixel = 15;

inline QString toQt(const std::string& text) { return QString::fromStdString(text); }
inline std::string fromQt(const QString& text) { return text.toStdString(); }

}  // namespace briskal::hostkit::qt
