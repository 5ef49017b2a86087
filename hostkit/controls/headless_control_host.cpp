#include "hostkit/controls/headless_control_host.h"

#include "common/error.h"

namespace briskal::hostkit {

HeadlessControlHost::HeadlessControlHost(RegionalSettings regional) : regional_(std::move(regional)) {}

template <typename T, typename Make>
T& HeadlessControlHost::obtain(std::string_view name, std::string_view kind, Make make) {
  if (const auto it = controls_.find(name); it != controls_.end()) {
    if (auto* control = dynamic_cast<T*>(it->second.control.get())) return *control;
    throw Error(err::kTypeMismatch, "HeadlessControlHost",
                "Control " + std::string(name) + " is a " + it->second.kind + ", not a " + std::string(kind));
  }
  std::unique_ptr<T> made = make();
  T& control = *made;
  controls_.emplace(std::string(name), Entry{std::string(kind), std::move(made)});
  order_.emplace_back(name);
  return control;
}

template <typename T>
T& HeadlessControlHost::obtain(std::string_view name, std::string_view kind) {
  return obtain<T>(name, kind, [&] { return std::make_unique<T>(std::string(name), focus_); });
}

host::ComboControl& HeadlessControlHost::combo(std::string_view name) {
  return obtain<HeadlessCombo>(name, "combo");
}

host::TextEditControl& HeadlessControlHost::textEdit(std::string_view name) {
  return obtain<HeadlessTextEdit>(name, "text edit", [&] {
    return std::make_unique<HeadlessTextEdit>(std::string(name), focus_, regional_);
  });
}

host::CheckControl& HeadlessControlHost::check(std::string_view name) {
  return obtain<HeadlessCheck>(name, "check box");
}

host::LabelControl& HeadlessControlHost::label(std::string_view name) {
  return obtain<HeadlessLabel>(name, "label");
}

host::TabControl& HeadlessControlHost::tab(std::string_view name) {
  return obtain<HeadlessTab>(name, "tab strip");
}

host::ToolbarButtonControl& HeadlessControlHost::button(std::string_view name) {
  return obtain<HeadlessButton>(name, "button");
}

host::GridControl& HeadlessControlHost::grid(std::string_view name) {
  return obtain<HeadlessGrid>(name, "grid");
}

host::QueryFilterControl& HeadlessControlHost::queryFilter(std::string_view name) {
  return obtain<HeadlessQueryFilter>(name, "query filter", [&] {
    return std::make_unique<HeadlessQueryFilter>(std::string(name), focus_, regional_);
  });
}

host::FormResizerControl& HeadlessControlHost::resizer(std::string_view name) {
  return obtain<HeadlessResizer>(name, "form resizer");
}

host::MdiHostControl& HeadlessControlHost::mdiHost(std::string_view name) {
  return obtain<HeadlessMdiHost>(name, "window host");
}

host::ProgressControl& HeadlessControlHost::progress(std::string_view name) {
  return obtain<HeadlessProgress>(name, "progress bar");
}

}  // namespace briskal::hostkit
