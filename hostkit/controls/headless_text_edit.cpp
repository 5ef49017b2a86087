#include "hostkit/controls/headless_text_edit.h"

#include "common/convert.h"
#include "common/error.h"
#include "common/utf8.h"

namespace briskal::hostkit {
namespace {

constexpr std::string_view kTextProperty = "Text";

}  // namespace

std::string upperCaseDisplay(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

HeadlessTextEdit::HeadlessTextEdit(std::string name, FocusScope& focus, RegionalSettings regional)
    : HeadlessControl(std::move(name), focus), regional_(std::move(regional)) {}

void HeadlessTextEdit::setText(const std::string& text) { change(text, false); }

void HeadlessTextEdit::change(std::string text, bool fromBinding) {
  if (text == text_) return;
  text_ = std::move(text);
  allSelected_ = false;
  if (!fromBinding && listener_) {
    ChangeListener tell = listener_;
    tell(kTextProperty);
  }
  raiseEvent(onChange_);
}

void HeadlessTextEdit::setSetting(const std::string& name, const Value& value) {
  settings_[utf8::foldCase(name)] = value;
}

Value HeadlessTextEdit::setting(const std::string& name) const {
  const auto it = settings_.find(utf8::foldCase(name));
  return it == settings_.end() ? Value() : it->second;
}

Value HeadlessTextEdit::property(std::string_view name) const {
  if (!utf8::equalsNoCase(name, kTextProperty))
    throw Error(err::kItemNotFound, this->name(), "No property " + std::string(name));
  return Value(text_);
}

void HeadlessTextEdit::setProperty(std::string_view name, const Value& value) {
  if (!utf8::equalsNoCase(name, kTextProperty))
    throw Error(err::kItemNotFound, this->name(), "No property " + std::string(name));
  change(value.isEmpty() || value.isNull() ? std::string() : toText(value, regional_), true);
}

bool HeadlessTextEdit::type(const std::string& text) {
  if (!interactive()) return false;
  setFocus();
  std::string typed = text;
  if (onKeyPress_) {
    std::u16string kept;
    for (const char16_t unit : utf8::toUtf16(text)) {
      int32_t key = unit;
      raiseEvent(onKeyPress_, key);
      if (key != 0) kept.push_back(static_cast<char16_t>(key));
    }
    typed = utf8::fromUtf16(kept);
  }
  const Value maxChars = setting("maxchar");
  if (!maxChars.isEmpty() && !maxChars.isNull() && IsNumeric(maxChars, regional_)) {
    const int64_t limit = toInt64(maxChars, regional_);
    if (limit > 0) typed = std::string(utf8::left(typed, static_cast<size_t>(limit)));
  }
  const Value format = setting("displayformat");
  if (format.isText() && utf8::equalsNoCase(format.asText(), "Maiuscolo"))
    typed = upperCaseDisplay(std::move(typed));
  if (inputCheck_ && !inputCheck_(typed)) return false;
  change(std::move(typed), false);
  return true;
}

bool HeadlessTextEdit::leave() {
  bool cancel = false;
  raiseEvent(onValidate_, cancel);
  if (!cancel) loseFocus();
  return cancel;
}

}  // namespace briskal::hostkit
