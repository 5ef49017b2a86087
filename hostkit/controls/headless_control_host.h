#pragma once
// The controls of one form, without a screen: each is made on first request by name and kind, and
// the same name always gives the same control. Tests and the command line find the controls by
// name to set values, raise events and read the state.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/regional.h"
#include "hostkit/controls/headless_button.h"
#include "hostkit/controls/headless_check.h"
#include "hostkit/controls/headless_combo.h"
#include "hostkit/controls/headless_control.h"
#include "hostkit/controls/headless_grid.h"
#include "hostkit/controls/headless_label.h"
#include "hostkit/controls/headless_mdi_host.h"
#include "hostkit/controls/headless_progress.h"
#include "hostkit/controls/headless_query_filter.h"
#include "hostkit/controls/headless_resizer.h"
#include "hostkit/controls/headless_tab.h"
#include "hostkit/controls/headless_text_edit.h"

namespace briskal::hostkit {

class HeadlessControlHost final : public host::ControlHost {
 public:
  // Text boxes show bound values by these settings.
  explicit HeadlessControlHost(RegionalSettings regional = RegionalSettings::italian());
  HeadlessControlHost(const HeadlessControlHost&) = delete;
  HeadlessControlHost& operator=(const HeadlessControlHost&) = delete;

  // Each fails with error 13 when the name was first requested as another kind.
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

  // The control of that name when it exists and is a T (HeadlessCombo, HeadlessTextEdit, ...).
  template <typename T>
  T* find(std::string_view name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : dynamic_cast<T*>(it->second.control.get());
  }
  // The names of the controls made so far, in the order they were first requested.
  std::vector<std::string> names() const { return order_; }
  // The control that has the focus, or nullptr.
  const host::Control* focused() const { return focus_.owner(); }

 private:
  struct Entry {
    std::string kind;
    std::unique_ptr<host::Control> control;
  };

  template <typename T, typename Make>
  T& obtain(std::string_view name, std::string_view kind, Make make);
  template <typename T>
  T& obtain(std::string_view name, std::string_view kind);

  // Declared first so that it outlives the controls, which release the focus as they go.
  FocusScope focus_;
  RegionalSettings regional_;
  std::map<std::string, Entry, std::less<>> controls_;
  std::vector<std::string> order_;
};

}  // namespace briskal::hostkit
