#include "hostkit/qt/qt_frame_controls.h"

#include <QMdiSubWindow>
#include <algorithm>

#include "common/error.h"
#include "hostkit/controls/control_errors.h"

namespace briskal::hostkit::qt {
namespace {

int clampToInt(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

}  // namespace

QtTab::QtTab(std::string name, QTabWidget* tabs, ScreenTexts texts)
    : QtControl(std::move(name), tabs), texts_(texts), shown_(tabs->currentIndex()) {
  QObject::connect(tabs, &QTabWidget::currentChanged, [this](int tab) {
    const int previous = shown_;
    shown_ = tab;
    guarded([&] { raiseEvent(onChange_, previous); });
  });
}

void QtTab::setCurrentTab(int tab) {
  if (!widget()) return;
  if (tab < 0 || tab >= widget()->count())
    throw Error(kInvalidPropertyValue, name(), "Invalid property value: tab " + std::to_string(tab));
  widget()->setCurrentIndex(tab);
}

bool QtTab::tabEnabled(int tab) const { return widget() && widget()->isTabEnabled(tab); }

void QtTab::setTabEnabled(int tab, bool enabled) {
  if (widget()) widget()->setTabEnabled(tab, enabled);
}

void QtTab::setTabs(const std::vector<std::string>& captions) {
  if (!widget()) return;
  const int pages = std::min(widget()->count(), static_cast<int>(captions.size()));
  for (int i = 0; i < pages; ++i) widget()->setTabText(i, texts_(captions[static_cast<size_t>(i)]));
}

QtButton::QtButton(std::string name, QAbstractButton* button, ScreenTexts texts)
    : QtControl(std::move(name), button), texts_(texts), caption_(fromQt(button->text())) {
  QObject::connect(button, &QAbstractButton::clicked, [this] { guarded([this] { raiseEvent(onClick_); }); });
}

void QtProgress::setRange(int64_t minimum, int64_t maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  if (widget()) widget()->setRange(clampToInt(minimum), clampToInt(maximum));
}

void QtProgress::setValue(int64_t value) {
  value_ = value;
  if (widget()) widget()->setValue(clampToInt(std::clamp(value, minimum_, maximum_)));
}

QtMdiHost::QtMdiHost(std::string name, QWidget* form, std::function<QMdiSubWindow*()> window)
    : QtControl(std::move(name), form), window_(std::move(window)) {}

void QtMdiHost::place(int32_t left, int32_t top, int32_t width, int32_t height) {
  QMdiSubWindow* window = window_();
  if (!window) return;
  window->move(left / kTwipsPerPixel, top / kTwipsPerPixel);
  // Never smaller than the form's layout needs.
  const QSize wanted(width / kTwipsPerPixel, height / kTwipsPerPixel);
  window->resize(wanted.expandedTo(window->sizeHint()));
}

void QtMdiHost::setWindowState(int16_t state) {
  QMdiSubWindow* window = window_();
  if (!window) return;
  // The platform's window states: 0 normal, 1 minimised, 2 maximised.
  window->setWindowState(state == 2   ? Qt::WindowMaximized
                         : state == 1 ? Qt::WindowMinimized
                                      : Qt::WindowNoState);
}

}  // namespace briskal::hostkit::qt
