#pragma once
// A text box without a screen. It holds text; a value bound to it from a recordset shows as text
// by the regional settings, as a bound text box displays it. Any change of its text raises the
// change event; a change that did not come from the binding also tells the binding's listener,
// so that a bound field follows what the code or the user wrote.

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "common/regional.h"
#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

// What an edit with the display format "Maiuscolo" makes of typed text: capitals for the Latin
// letters, other characters as typed.
std::string upperCaseDisplay(std::string text);

class HeadlessTextEdit final : public HeadlessControl<host::TextEditControl> {
 public:
  HeadlessTextEdit(std::string name, FocusScope& focus,
                   RegionalSettings regional = RegionalSettings::italian());

  std::string text() const override { return text_; }
  void setText(const std::string& text) override;
  void selectAll() override { allSelected_ = true; }
  // Names compare ignoring case; an unset setting reads Empty.
  void setSetting(const std::string& name, const Value& value) override;
  Value setting(const std::string& name) const override;
  void onChange(std::function<void()> handler) override { onChange_ = std::move(handler); }
  void onValidate(std::function<void(bool& cancel)> handler) override { onValidate_ = std::move(handler); }
  void onKeyPress(std::function<void(int32_t& keyAscii)> handler) override {
    onKeyPress_ = std::move(handler);
  }
  void setInputCheck(std::function<bool(const std::string&)> check) override {
    inputCheck_ = std::move(check);
  }

  // The bindable property is "Text" (any case); other names are error 3265.
  Value property(std::string_view name) const override;
  // Shows the value as text and raises the change event, but does not call the listener back.
  void setProperty(std::string_view name, const Value& value) override;
  void setChangeListener(ChangeListener listener) override { listener_ = std::move(listener); }

  // Whether the whole text is selected: set by selectAll, cleared when the text changes.
  bool textSelected() const { return allSelected_; }

  // What a person does: goes into the box and types a text that replaces the content, each key
  // through the key-press event, cut to the "maxchar" setting and in capitals under the display
  // format "Maiuscolo". False when the box is disabled or hidden, or when its input check refuses
  // the text, which then stays as it was.
  bool type(const std::string& text);
  // The person leaves the box: raises the validate event; the focus stays when it is cancelled.
  // Returns whether it was cancelled.
  bool leave();

 private:
  void change(std::string text, bool fromBinding);

  RegionalSettings regional_;
  std::string text_;
  bool allSelected_ = false;
  std::map<std::string, Value> settings_;  // by case-folded name
  std::function<void()> onChange_;
  std::function<void(bool&)> onValidate_;
  std::function<void(int32_t&)> onKeyPress_;
  std::function<bool(const std::string&)> inputCheck_;
  ChangeListener listener_;
};

}  // namespace briskal::hostkit
