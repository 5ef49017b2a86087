#include "hostkit/qt/qt_control_host.h"

#include <QToolButton>

#include "common/error.h"
#include "hostkit/qt/qt_frame_controls.h"
#include "hostkit/qt/qt_grid.h"
#include "hostkit/qt/qt_inputs.h"
#include "hostkit/qt/qt_query_filter.h"

namespace briskal::hostkit::qt {

QtControlHost::QtControlHost(QWidget* root, std::function<QMdiSubWindow*()> window, RegionalSettings regional,
                             ScreenTexts texts)
    : root_(root), window_(std::move(window)), regional_(std::move(regional)), texts_(texts) {}

QtControlHost::~QtControlHost() = default;

template <typename Control, typename Widget, typename Stand, typename Make>
Control& QtControlHost::obtain(std::string_view name, Make make) {
  if (const auto it = controls_.find(name); it != controls_.end()) {
    auto* existing = dynamic_cast<Control*>(it->second.get());
    if (!existing)
      throw Error(err::kTypeMismatch, "briskal", "The control " + std::string(name) + " is of another kind");
    return *existing;
  }
  Widget* widget = root_->findChild<Widget*>(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
  if (!widget) {
    widget = new Stand(root_);
    widget->setObjectName(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
    widget->hide();
    missing_.emplace_back(name);
  }
  std::unique_ptr<Control> made = make(std::string(name), widget);
  Control& control = *made;
  controls_.emplace(std::string(name), std::move(made));
  return control;
}

host::ComboControl& QtControlHost::combo(std::string_view name) {
  return obtain<QtCombo, QComboBox>(name, [this](std::string n, QComboBox* w) {
    return std::make_unique<QtCombo>(std::move(n), w, texts_);
  });
}

host::TextEditControl& QtControlHost::textEdit(std::string_view name) {
  return obtain<QtTextEdit, QLineEdit>(name, [this](std::string n, QLineEdit* w) {
    return std::make_unique<QtTextEdit>(std::move(n), w, regional_, texts_);
  });
}

host::CheckControl& QtControlHost::check(std::string_view name) {
  return obtain<QtCheck, QCheckBox>(
      name, [](std::string n, QCheckBox* w) { return std::make_unique<QtCheck>(std::move(n), w); });
}

host::LabelControl& QtControlHost::label(std::string_view name) {
  return obtain<QtLabel, QLabel>(
      name, [this](std::string n, QLabel* w) { return std::make_unique<QtLabel>(std::move(n), w, texts_); });
}

host::TabControl& QtControlHost::tab(std::string_view name) {
  return obtain<QtTab, QTabWidget>(name, [this](std::string n, QTabWidget* w) {
    return std::make_unique<QtTab>(std::move(n), w, texts_);
  });
}

host::ToolbarButtonControl& QtControlHost::button(std::string_view name) {
  return obtain<QtButton, QAbstractButton, QToolButton>(name, [this](std::string n, QAbstractButton* w) {
    return std::make_unique<QtButton>(std::move(n), w, texts_);
  });
}

host::GridControl& QtControlHost::grid(std::string_view name) {
  return obtain<QtGrid, QTableView>(name, [this](std::string n, QTableView* w) {
    return std::make_unique<QtGrid>(std::move(n), w, regional_, texts_);
  });
}

host::QueryFilterControl& QtControlHost::queryFilter(std::string_view name) {
  return obtain<QtQueryFilter, QTableWidget>(name, [this](const std::string& n, QTableWidget* w) {
    return std::make_unique<QtQueryFilter>(n, w, regional_, texts_);
  });
}

host::FormResizerControl& QtControlHost::resizer(std::string_view name) {
  if (const auto it = controls_.find(name); it != controls_.end())
    return dynamic_cast<QtResizer&>(*it->second);
  auto made = std::make_unique<QtResizer>(std::string(name), root_);
  QtResizer& control = *made;
  controls_.emplace(std::string(name), std::move(made));
  return control;
}

host::MdiHostControl& QtControlHost::mdiHost(std::string_view name) {
  if (const auto it = controls_.find(name); it != controls_.end())
    return dynamic_cast<QtMdiHost&>(*it->second);
  auto made = std::make_unique<QtMdiHost>(std::string(name), root_, window_);
  QtMdiHost& control = *made;
  controls_.emplace(std::string(name), std::move(made));
  return control;
}

host::ProgressControl& QtControlHost::progress(std::string_view name) {
  return obtain<QtProgress, QProgressBar>(
      name, [](std::string n, QProgressBar* w) { return std::make_unique<QtProgress>(std::move(n), w); });
}

}  // namespace briskal::hostkit::qt
