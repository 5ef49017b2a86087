#include "hostkit/controls/headless_tab.h"

#include "common/error.h"

namespace briskal::hostkit {

size_t HeadlessTab::checked(int tab) const {
  if (tab < 0 || tab >= static_cast<int>(captions_.size()))
    throw Error(
        kInvalidPropertyValue, name(),
        "Invalid property value: tab " + std::to_string(tab) + " of " + std::to_string(captions_.size()));
  return static_cast<size_t>(tab);
}

void HeadlessTab::setCurrentTab(int tab) {
  checked(tab);
  if (tab == current_) return;
  const int previous = current_;
  current_ = tab;
  raiseEvent(onChange_, previous);
}

bool HeadlessTab::tabEnabled(int tab) const { return enabled_[checked(tab)]; }

void HeadlessTab::setTabEnabled(int tab, bool enabled) { enabled_[checked(tab)] = enabled; }

void HeadlessTab::setTabs(const std::vector<std::string>& captions) {
  captions_ = captions;
  enabled_.assign(captions_.size(), true);
  if (current_ >= static_cast<int>(captions_.size())) current_ = 0;
}

bool HeadlessTab::clickTab(int tab) {
  if (!interactive() || !enabled_[checked(tab)]) return false;
  setCurrentTab(tab);
  return true;
}

}  // namespace briskal::hostkit
