#pragma once
// A combo box without a screen: a list of captions with numeric keys and one selected item.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

struct ComboItem {
  std::string text;
  int32_t key = 0;
};

class HeadlessCombo final : public HeadlessControl<host::ComboControl> {
 public:
  using HeadlessControl::HeadlessControl;

  // Raises the change event when something was selected.
  void clear() override;
  void addItem(const std::string& text, int32_t key) override;
  size_t count() const override { return items_.size(); }
  // Error 380 outside -1 .. count() - 1.
  void selectIndex(int index) override;
  int selectedIndex() const override { return selected_; }
  void selectKey(int32_t key) override;
  std::string text() const override;
  std::string selectedText() const override;
  void setBooleanList(bool value) override { booleanList_ = value; }
  void onChange(std::function<void()> handler) override { onChange_ = std::move(handler); }

  // Bound on "Text": a value from the data side selects the item of that key (none for Empty or
  // Null) without telling the binding back; any other change of selection tells it.
  Value property(std::string_view name) const override;
  void setProperty(std::string_view name, const Value& value) override;
  void setChangeListener(ChangeListener listener) override { listener_ = std::move(listener); }

  const std::vector<ComboItem>& items() const { return items_; }
  bool booleanList() const { return booleanList_; }

  // What a person does: picks the item with that key, or with that caption. False when the combo
  // is disabled or hidden; error 3265 when there is no such item.
  bool choose(int32_t key);
  bool chooseText(const std::string& caption);

 private:
  int indexOfKey(int32_t key) const;

  std::vector<ComboItem> items_;
  int selected_ = -1;
  bool booleanList_ = true;
  std::function<void()> onChange_;
  ChangeListener listener_;
  bool fromBinding_ = false;
};

}  // namespace briskal::hostkit
