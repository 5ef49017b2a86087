#pragma once
// A tab strip without a screen: captions, one current tab, and tabs switched on or off. The code
// may show any tab; a person can only click an enabled one.

#include <functional>
#include <string>
#include <vector>

#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

class HeadlessTab final : public HeadlessControl<host::TabControl> {
 public:
  using HeadlessControl::HeadlessControl;

  int currentTab() const override { return current_; }
  // Error 380 for a tab that does not exist; raises the change event with the previous tab.
  void setCurrentTab(int tab) override;
  bool tabEnabled(int tab) const override;
  void setTabEnabled(int tab, bool enabled) override;
  // Every tab starts enabled; the current tab is kept when it still exists, else it is the first.
  void setTabs(const std::vector<std::string>& captions) override;
  void onChange(std::function<void(int previousTab)> handler) override { onChange_ = std::move(handler); }

  const std::vector<std::string>& tabs() const { return captions_; }

  // What a person does: clicks tab `tab`. False, with nothing raised, when the strip is disabled or
  // hidden or that tab is disabled.
  bool clickTab(int tab);

 private:
  size_t checked(int tab) const;

  std::vector<std::string> captions_;
  std::vector<bool> enabled_;
  int current_ = 0;
  std::function<void(int)> onChange_;
};

}  // namespace briskal::hostkit
