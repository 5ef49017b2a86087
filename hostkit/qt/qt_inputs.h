#pragma once
// The controls a person types or chooses in: combo box, text box and check box, over their Qt
// widgets. Changes made by code raise the change events as a person's changes do.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <map>

#include "common/regional.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/qt/screen_texts.h"

namespace briskal::hostkit::qt {

class QtCombo final : public QtControl<host::ComboControl, QComboBox> {
 public:
  QtCombo(std::string name, QComboBox* box, ScreenTexts texts);

  void clear() override;
  void addItem(const std::string& text, int32_t key) override;
  size_t count() const override;
  void selectIndex(int index) override;
  int selectedIndex() const override;
  void selectKey(int32_t key) override;
  std::string text() const override;
  std::string selectedText() const override;
  void setBooleanList(bool) override {}
  void onChange(std::function<void()> handler) override { onChange_ = std::move(handler); }
  Value property(std::string_view name) const override;
  void setProperty(std::string_view name, const Value& value) override;
  void setChangeListener(ChangeListener listener) override { listener_ = std::move(listener); }

 private:
  void changed();

  ScreenTexts texts_;
  std::function<void()> onChange_;
  ChangeListener listener_;
  bool fromBinding_ = false;
};

class QtTextEdit final : public QtControl<host::TextEditControl, QLineEdit>, public QObject {
 public:
  QtTextEdit(std::string name, QLineEdit* edit, RegionalSettings regional, ScreenTexts texts);

  std::string text() const override;
  void setText(const std::string& text) override;
  void selectAll() override;
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
  Value property(std::string_view name) const override;
  void setProperty(std::string_view name, const Value& value) override;
  void setChangeListener(ChangeListener listener) override { listener_ = std::move(listener); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void changed();

  RegionalSettings regional_;
  ScreenTexts texts_;
  std::map<std::string, Value> settings_;  // by case-folded name
  std::function<void()> onChange_;
  std::function<void(bool&)> onValidate_;
  std::function<void(int32_t&)> onKeyPress_;
  std::function<bool(const std::string&)> inputCheck_;
  ChangeListener listener_;
  bool fromBinding_ = false;
  bool fromCode_ = false;
  // The last text the box took, which an edit the input check refuses gives back.
  std::string accepted_;
};

class QtCheck final : public QtControl<host::CheckControl, QCheckBox> {
 public:
  QtCheck(std::string name, QCheckBox* box);
  int32_t value() const override;
  void setValue(int32_t value) override;
  void onClick(std::function<void()> handler) override { onClick_ = std::move(handler); }

 private:
  std::function<void()> onClick_;
};

}  // namespace briskal::hostkit::qt
