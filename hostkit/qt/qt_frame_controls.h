#pragma once
// The controls that frame a form: label, tab strip, toolbar button, progress bar, and the two
// that have no widget of their own (the resizer, since Qt layouts resize the form, and the place
// of the form in the host window).

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>

#include "hostkit/qt/qt_control.h"
#include "hostkit/qt/screen_texts.h"

class QMdiSubWindow;

namespace briskal::hostkit::qt {

class QtLabel final : public QtControl<host::LabelControl, QLabel> {
 public:
  QtLabel(std::string name, QLabel* label, ScreenTexts texts)
      : QtControl(std::move(name), label), texts_(texts) {}
  std::string caption() const override { return caption_; }
  void setCaption(const std::string& caption) override {
    caption_ = caption;
    if (widget()) widget()->setText(texts_(caption));
  }

 private:
  ScreenTexts texts_;
  std::string caption_;
};

class QtTab final : public QtControl<host::TabControl, QTabWidget> {
 public:
  QtTab(std::string name, QTabWidget* tabs, ScreenTexts texts);
  int currentTab() const override { return widget() ? widget()->currentIndex() : 0; }
  void setCurrentTab(int tab) override;
  bool tabEnabled(int tab) const override;
  void setTabEnabled(int tab, bool enabled) override;
  // Captions beyond the pages the form's layout has are left out.
  void setTabs(const std::vector<std::string>& captions) override;
  void onChange(std::function<void(int previousTab)> handler) override { onChange_ = std::move(handler); }

 private:
  ScreenTexts texts_;
  int shown_ = 0;
  std::function<void(int)> onChange_;
};

class QtButton final : public QtControl<host::ToolbarButtonControl, QAbstractButton> {
 public:
  QtButton(std::string name, QAbstractButton* button, ScreenTexts texts);
  std::string caption() const override { return caption_; }
  void setCaption(const std::string& caption) override {
    caption_ = caption;
    if (widget()) widget()->setText(texts_(caption));
  }
  void onClick(std::function<void()> handler) override { onClick_ = std::move(handler); }

 private:
  ScreenTexts texts_;
  std::string caption_;
  std::function<void()> onClick_;
};

class QtProgress final : public QtControl<host::ProgressControl, QProgressBar> {
 public:
  using QtControl::QtControl;
  void setRange(int64_t minimum, int64_t maximum) override;
  void setValue(int64_t value) override;
  int64_t value() const override { return value_; }
  int64_t maximum() const override { return maximum_; }

 private:
  int64_t minimum_ = 0;
  int64_t maximum_ = 100;
  int64_t value_ = 0;
};

// Qt layouts keep the controls in place as the window resizes; the set-up event still runs, as
// the forms register their controls in it.
class QtResizer final : public QtControl<host::FormResizerControl, QWidget> {
 public:
  using QtControl::QtControl;
  void registerControl(const std::string&, int32_t) override {}
  void start() override { raiseEvent(onSetup_); }
  bool resizing() const override { return false; }
  void onSetup(std::function<void()> handler) override { onSetup_ = std::move(handler); }

 private:
  std::function<void()> onSetup_;
};

// The form's place in the host window: its sub-window of the window's work area.
class QtMdiHost final : public QtControl<host::MdiHostControl, QWidget> {
 public:
  QtMdiHost(std::string name, QWidget* form, std::function<QMdiSubWindow*()> window);
  void place(int32_t left, int32_t top, int32_t width, int32_t height) override;
  void setWindowState(int16_t state) override;
  void onHostEvent(std::function<void()> handler) override { onHostEvent_ = std::move(handler); }

 private:
  std::function<QMdiSubWindow*()> window_;
  std::function<void()> onHostEvent_;
};

}  // namespace briskal::hostkit::qt
