#include "hostkit/qt/qt_inputs.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPalette>

#include "common/convert.h"
#include "common/error.h"
#include "common/utf8.h"
#include "hostkit/controls/control_errors.h"
#include "hostkit/controls/headless_text_edit.h"

namespace briskal::hostkit::qt {
// --- combo ------------------------------------------------------------------------------------

QtCombo::QtCombo(std::string name, QComboBox* box, ScreenTexts texts)
    : QtControl(std::move(name), box), texts_(texts) {
  QObject::connect(box, qOverload<int>(&QComboBox::currentIndexChanged),
                   [this](int) { guarded([this] { changed(); }); });
}

void QtCombo::changed() {
  raiseEvent(onChange_);
  if (listener_ && !fromBinding_) listener_("Text");
}

void QtCombo::clear() {
  if (widget()) widget()->clear();
}

void QtCombo::addItem(const std::string& text, int32_t key) {
  if (!widget()) return;
  // Adding the first item would select it; the form selects explicitly.
  const QSignalBlocker quiet(widget());
  const int selected = widget()->currentIndex();
  widget()->addItem(texts_(text), key);
  widget()->setCurrentIndex(selected);
}

size_t QtCombo::count() const { return widget() ? static_cast<size_t>(widget()->count()) : 0; }

void QtCombo::selectIndex(int index) {
  if (index < -1 || index >= static_cast<int>(count()))
    throw Error(kInvalidPropertyValue, name(),
                "Invalid property value: item " + std::to_string(index) + " of " + std::to_string(count()));
  if (widget()) widget()->setCurrentIndex(index);
}

int QtCombo::selectedIndex() const { return widget() ? widget()->currentIndex() : -1; }

void QtCombo::selectKey(int32_t key) {
  if (!widget()) return;
  const int index = widget()->findData(key);
  if (index >= 0) widget()->setCurrentIndex(index);
}

std::string QtCombo::text() const {
  if (!widget() || widget()->currentIndex() < 0) return {};
  return std::to_string(widget()->currentData().toInt());
}

// What the operator sees, in the session's language: the form prints it in captions and reports.
std::string QtCombo::selectedText() const {
  if (!widget() || widget()->currentIndex() < 0) return {};
  return fromQt(widget()->currentText());
}

Value QtCombo::property(std::string_view name) const { return name == "Text" ? Value(text()) : Value(); }

void QtCombo::setProperty(std::string_view name, const Value& value) {
  if (name != "Text" || !widget()) return;
  int index = -1;
  if (!value.isNull() && !value.isEmpty() && !(value.isText() && value.asText().empty()))
    index = widget()->findData(toInt32(value, RegionalSettings::italian()));
  fromBinding_ = true;
  widget()->setCurrentIndex(index);
  fromBinding_ = false;
}

// --- text edit --------------------------------------------------------------------------------

QtTextEdit::QtTextEdit(std::string name, QLineEdit* edit, RegionalSettings regional, ScreenTexts texts)
    : QtControl(std::move(name), edit), regional_(std::move(regional)), texts_(texts) {
  QObject::connect(edit, &QLineEdit::textChanged, this,
                   [this](const QString&) { guarded([this] { changed(); }); });
  QObject::connect(edit, &QLineEdit::textEdited, this, [this](const QString& typed) {
    // The display format "Maiuscolo" shows capitals as the person types.
    const Value format = setting("displayformat");
    if (!format.isText() || !utf8::equalsNoCase(format.asText(), "Maiuscolo")) return;
    const QString upper = toQt(upperCaseDisplay(fromQt(typed)));
    if (upper == typed) return;
    const int cursor = widget()->cursorPosition();
    widget()->setText(upper);
    widget()->setCursorPosition(cursor);
  });
  edit->installEventFilter(this);
  accepted_ = fromQt(edit->text());
  // A field the layout makes read-only looks it: it takes the window's colour, not a text box's.
  if (edit->isReadOnly()) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
  }
}

void QtTextEdit::changed() {
  const std::string now = text();
  if (!fromBinding_ && !fromCode_ && inputCheck_ && !inputCheck_(now)) {
    // Checked here rather than by a validator, which lets any edit through once the shown text
    // is one it would refuse.
    const QSignalBlocker quiet(widget());
    widget()->setText(toQt(accepted_));
    return;
  }
  accepted_ = now;
  if (!fromBinding_ && listener_) {
    ChangeListener tell = listener_;
    tell("Text");
  }
  raiseEvent(onChange_);
}

bool QtTextEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget()) return false;
  if (event->type() == QEvent::KeyPress && onKeyPress_) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    if (typed.size() != 1 || !typed.at(0).isPrint()) return false;
    int32_t code = typed.at(0).unicode();
    guarded([&] { raiseEvent(onKeyPress_, code); });
    if (code == 0) return true;
    if (code != typed.at(0).unicode()) {
      widget()->insert(QString(QChar(static_cast<char16_t>(code))));
      return true;
    }
  }
  if (event->type() == QEvent::FocusOut && onValidate_) {
    bool cancel = false;
    guarded([&] { raiseEvent(onValidate_, cancel); });
    if (cancel) widget()->setFocus(Qt::OtherFocusReason);
  }
  return false;
}

std::string QtTextEdit::text() const { return widget() ? fromQt(widget()->text()) : std::string(); }

void QtTextEdit::setText(const std::string& text) {
  if (!widget()) return;
  fromCode_ = true;
  widget()->setText(toQt(text));
  fromCode_ = false;
}

void QtTextEdit::selectAll() {
  if (widget()) widget()->selectAll();
}

void QtTextEdit::setSetting(const std::string& name, const Value& value) {
  const std::string key = utf8::foldCase(name);
  settings_[key] = value;
  if (key == "maxchar" && widget() && IsNumeric(value, regional_)) {
    const int64_t limit = toInt64(value, regional_);
    widget()->setMaxLength(limit > 0 ? static_cast<int>(limit) : 32767);
  }
  if (key == "tooltip" && widget() && value.isText()) widget()->setToolTip(texts_(value.asText()));
}

Value QtTextEdit::setting(const std::string& name) const {
  const auto it = settings_.find(utf8::foldCase(name));
  return it == settings_.end() ? Value() : it->second;
}

Value QtTextEdit::property(std::string_view name) const {
  if (!utf8::equalsNoCase(name, "Text"))
    throw Error(err::kItemNotFound, this->name(), "No property " + std::string(name));
  return Value(text());
}

void QtTextEdit::setProperty(std::string_view name, const Value& value) {
  if (!utf8::equalsNoCase(name, "Text"))
    throw Error(err::kItemNotFound, this->name(), "No property " + std::string(name));
  if (!widget()) return;
  // A number pattern as display format shows a bound number as the grid's columns show it.
  const Value format = setting("displayformat");
  const bool pattern = format.isText() && format.asText().find_first_of("0#") != std::string::npos;
  std::string shown;
  if (!value.isEmpty() && !value.isNull())
    shown = pattern && value.isNumber() ? formatNumber(value, format.asText(), regional_)
                                        : toText(value, regional_);
  fromBinding_ = true;
  widget()->setText(toQt(shown));
  fromBinding_ = false;
}

// --- check ------------------------------------------------------------------------------------

QtCheck::QtCheck(std::string name, QCheckBox* box) : QtControl(std::move(name), box) {
  QObject::connect(box, &QCheckBox::stateChanged, [this](int) { guarded([this] { raiseEvent(onClick_); }); });
}

int32_t QtCheck::value() const { return widget() && widget()->isChecked() ? 1 : 0; }

void QtCheck::setValue(int32_t value) {
  if (widget()) widget()->setChecked(value == 1);
}

}  // namespace briskal::hostkit::qt
