#pragma once
// The controls of a form on screen: each wraps the widget of the form's layout whose object name
// is the control's name, made on first request; the same name gives the same control. A name the
// layout lacks gets a hidden widget of its kind, so that a layout edited in the designer can
// leave a control out without breaking the form's code.

#include <QMdiSubWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "common/regional.h"
#include "host/controls.h"
#include "hostkit/qt/screen_texts.h"

namespace briskal::hostkit::qt {

class QtControlHost final : public host::ControlHost {
 public:
  // `window` gives the sub-window the form is shown in, once there is one.
  QtControlHost(QWidget* root, std::function<QMdiSubWindow*()> window, RegionalSettings regional,
                ScreenTexts texts);
  ~QtControlHost() override;

  host::ComboControl& combo(std::string_view name) override;
  host::TextEditControl& textEdit(std::string_view name) override;
  host::CheckControl& check(std::string_view name) override;
  host::LabelControl& label(std::string_view name) override;
  host::TabControl& tab(std::string_view name) override;
  host::ToolbarButtonControl& button(std::string_view name) override;
  host::GridControl& grid(std::string_view name) override;
  host::QueryFilterControl& queryFilter(std::string_view name) override;
  host::FormResizerControl& resizer(std::string_view name) override;
  host::MdiHostControl& mdiHost(std::string_view name) override;
  host::ProgressControl& progress(std::string_view name) override;

  // The control of that name when it was made as a T.
  template <typename T>
  T* find(std::string_view name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : dynamic_cast<T*>(it->second.get());
  }
  // Names the form asked for that its layout does not have.
  const std::vector<std::string>& missing() const { return missing_; }

 private:
  // `Stand` is the kind of hidden widget made for a name the layout lacks.
  template <typename Control, typename Widget, typename Stand = Widget, typename Make>
  Control& obtain(std::string_view name, Make make);

  QWidget* root_;
  std::function<QMdiSubWindow*()> window_;
  RegionalSettings regional_;
  ScreenTexts texts_;
  std::map<std::string, std::unique_ptr<host::Control>, std::less<>> controls_;
  std::vector<std::string> missing_;
};

}  // namespace briskal::hostkit::qt
