#include "hostkit/controls/headless_combo.h"

#include <algorithm>

#include "common/convert.h"
#include "common/error.h"

namespace briskal::hostkit {

void HeadlessCombo::clear() {
  items_.clear();
  if (selected_ == -1) return;
  selected_ = -1;
  raiseEvent(onChange_);
}

void HeadlessCombo::addItem(const std::string& text, int32_t key) { items_.push_back({text, key}); }

void HeadlessCombo::selectIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size()))
    throw Error(
        kInvalidPropertyValue, name(),
        "Invalid property value: item " + std::to_string(index) + " of " + std::to_string(items_.size()));
  if (index == selected_) return;
  selected_ = index;
  raiseEvent(onChange_);
  if (listener_ && !fromBinding_) listener_("Text");
}

Value HeadlessCombo::property(std::string_view name) const {
  return name == "Text" ? Value(text()) : Value();
}

void HeadlessCombo::setProperty(std::string_view name, const Value& value) {
  if (name != "Text") return;
  fromBinding_ = true;
  try {
    int index = -1;
    if (!value.isNull() && !value.isEmpty() && !(value.isText() && value.asText().empty()))
      index = indexOfKey(toInt32(value, RegionalSettings::italian()));
    selectIndex(index);
  } catch (...) {
    fromBinding_ = false;
    throw;
  }
  fromBinding_ = false;
}

int HeadlessCombo::indexOfKey(int32_t key) const {
  const auto it =
      std::find_if(items_.begin(), items_.end(), [key](const ComboItem& i) { return i.key == key; });
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void HeadlessCombo::selectKey(int32_t key) {
  const int index = indexOfKey(key);
  if (index >= 0) selectIndex(index);
}

std::string HeadlessCombo::text() const {
  return selected_ < 0 ? std::string() : std::to_string(items_[static_cast<size_t>(selected_)].key);
}

std::string HeadlessCombo::selectedText() const {
  return selected_ < 0 ? std::string() : items_[static_cast<size_t>(selected_)].text;
}

bool HeadlessCombo::choose(int32_t key) {
  const int index = indexOfKey(key);
  if (index < 0) throw Error(err::kItemNotFound, name(), "No item with key " + std::to_string(key));
  if (!interactive()) return false;
  selectIndex(index);
  return true;
}

bool HeadlessCombo::chooseText(const std::string& caption) {
  const auto it = std::find_if(items_.begin(), items_.end(),
                               [&caption](const ComboItem& i) { return i.text == caption; });
  if (it == items_.end()) throw Error(err::kItemNotFound, name(), "No item \"" + caption + "\"");
  if (!interactive()) return false;
  selectIndex(static_cast<int>(it - items_.begin()));
  return true;
}

}  // namespace briskal::hostkit
