#pragma once
// The host controls the forms are built from: small objects with a value, an enabled and visible
// state, and events. A form obtains its controls by name and kind from its window; it never sees
// a widget. Changing a value from code raises the control's change event as a user change does,
// which is why the forms carry flags that silence their handlers while they fill controls.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "data/bindable.h"

namespace briskal::data {
class Connection;
class Recordset;
}  // namespace briskal::data

namespace briskal::host {

class Cinterface;

class Control {
 public:
  virtual ~Control() = default;
  virtual const std::string& name() const = 0;
  virtual bool enabled() const = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual bool visible() const = 0;
  virtual void setVisible(bool visible) = 0;
  virtual void setFocus() = 0;
  virtual bool hasFocus() const = 0;
};

// A list of texts with numeric keys; its text value is the selected item's key. Bindable on
// "Text": the key as text.
class ComboControl : public Control, public data::Bindable {
 public:
  virtual void clear() = 0;
  virtual void addItem(const std::string& text, int32_t key) = 0;
  virtual size_t count() const = 0;
  // -1 selects nothing; raises the change event.
  virtual void selectIndex(int index) = 0;
  virtual int selectedIndex() const = 0;
  // Selects the item with `key`; nothing when there is none. Raises the change event.
  virtual void selectKey(int32_t key) = 0;
  // The selected item's key as text, "" when nothing is selected.
  virtual std::string text() const = 0;
  // The selected item's caption.
  virtual std::string selectedText() const = 0;
  virtual void setBooleanList(bool value) = 0;
  virtual void onChange(std::function<void()> handler) = 0;
};

// A text box; bindable on its "Text" property.
class TextEditControl : public Control, public data::Bindable {
 public:
  virtual std::string text() const = 0;
  // Raises the change event.
  virtual void setText(const std::string& text) = 0;
  virtual void selectAll() = 0;
  // Design settings such as "displayformat", "maxchar", "caption".
  virtual void setSetting(const std::string& name, const Value& value) = 0;
  virtual Value setting(const std::string& name) const = 0;
  virtual void onChange(std::function<void()> handler) = 0;
  virtual void onValidate(std::function<void(bool& cancel)> handler) = 0;
  // Raised for each key typed into the box; a handler that sets the key to 0 discards it.
  virtual void onKeyPress(std::function<void(int32_t& keyAscii)> handler) = 0;
  // A text a person types or pastes that `check` refuses leaves the box as it was, raising
  // nothing; text set by code or shown by a binding is not checked.
  virtual void setInputCheck(std::function<bool(const std::string& text)> check) = 0;
};

class CheckControl : public Control {
 public:
  virtual int32_t value() const = 0;  // 1 ticked, 0 clear
  virtual void setValue(int32_t value) = 0;
  virtual void onClick(std::function<void()> handler) = 0;
};

class LabelControl : public Control {
 public:
  virtual std::string caption() const = 0;
  virtual void setCaption(const std::string& caption) = 0;
};

class TabControl : public Control {
 public:
  virtual int currentTab() const = 0;
  // Shows the tab, enabled or not, as the code of the form may do.
  virtual void setCurrentTab(int tab) = 0;
  virtual bool tabEnabled(int tab) const = 0;
  virtual void setTabEnabled(int tab, bool enabled) = 0;
  virtual void setTabs(const std::vector<std::string>& captions) = 0;
  virtual void onChange(std::function<void(int previousTab)> handler) = 0;
};

class ToolbarButtonControl : public Control {
 public:
  virtual std::string caption() const = 0;
  virtual void setCaption(const std::string& caption) = 0;
  virtual void onClick(std::function<void()> handler) = 0;
};

// What a column holds, which decides how it shows and what can be typed into it: a check box
// column holds "1" when set and "0" when clear; the selection column shows a row's selection mark.
enum class GridColumnKind { Text, Numeric, Check, Selection };

struct GridColumn {
  std::string field;
  std::string title;
  std::string format;  // a number format such as "###,##0.000", or empty
  GridColumnKind kind = GridColumnKind::Text;
  int32_t width = 0;  // in twips; 0 for as wide as the title and the values shown
};

// A grid over a recordset: it shows the recordset's rows and follows its current row.
class GridControl : public Control {
 public:
  // nullptr detaches the grid from its data.
  virtual void setDataSource(data::Recordset* recordset) = 0;
  virtual data::Recordset* dataSource() const = 0;
  virtual void clearColumns() = 0;
  virtual void addColumn(const GridColumn& column) = 0;
  virtual const std::vector<GridColumn>& columns() const = 0;
  virtual void setKeyField(const std::string& field) = 0;
  virtual void releaseContents() = 0;
  virtual void onCellDoubleClick(std::function<void(const std::string& field)> handler) = 0;
  virtual void onRowChanged(std::function<void()> handler) = 0;
  // Raised when the user has typed a cell's new value, before it is stored; `cancel` refuses it.
  virtual void onEdited(
      std::function<void(const std::string& field, const Value& value, bool& cancel)> handler) = 0;
  // A key the grid leaves to the form, with the field of the current column.
  virtual void onKeyPress(std::function<void(const std::string& field, int32_t keyCode)> handler) = 0;
};

enum class FilterValueKind { Text, Number, Date };

// One field the filter control offers.
struct FilterField {
  std::string page;
  std::string caption;
  std::string column;  // as it appears in the condition text, alias included
  bool ordinary = true;
  int position = 0;
  FilterValueKind kind = FilterValueKind::Text;
  int maxLength = 0;  // 0: no limit declared
  bool further = false;
  std::vector<Value> extra;  // settings passed through unchanged
};

struct StatusFilterField {
  std::string page;
  std::string caption;
  std::string column;
  bool ordinary = false;
  int position = 0;
  int statusKind = 0;
};

struct AttributeGroup {
  std::string page;
  bool ordinary = false;
  int attributeKind = 0;
  std::string alias;
};

// The filter rows a user enters (field, from-value, to-value), turned into one SQL condition.
class QueryFilterControl : public Control {
 public:
  enum class Side { From, To };

  virtual void configure(const Value& company, const std::string& user, const std::string& userGroup,
                         Cinterface* host, const std::string& component, data::Connection* connection) = 0;
  virtual void detach() = 0;
  virtual void addField(const FilterField& field) = 0;
  virtual void addStatusField(const StatusFilterField& field) = 0;
  virtual void addAttributeGroup(const AttributeGroup& group) = 0;
  virtual void start() = 0;
  // The SQL condition of the rows entered so far, "" when there are none. Every value is a
  // validated number or date, or quoted text with its quotes doubled.
  virtual std::string filterText() const = 0;
  // The rows entered, field by field, as the user typed their bounds.
  struct Item {
    std::string caption;
    std::string from;
    std::string to;
  };
  virtual std::vector<Item> items() const = 0;
  // One side of the row of the field written `column` in the condition, as typed; "" without a row.
  virtual std::string value(const std::string& column, Side side) const = 0;
  // Enters one side of that row as if typed there (the decode event follows); errors as for typing.
  virtual void setValue(const std::string& column, Side side, const std::string& value) = 0;
  // Raised when a code was typed: the form writes the description to `description`'s "Text".
  virtual void onStartDecode(
      std::function<void(const std::string& caption, Side side, data::Bindable& description)> handler) = 0;
  // Raised when the user asks for a search list, with the row's description box; the form sets
  // `handled` when it took the request, and hands a chosen value back with setValue.
  virtual void onStartLookup(
      std::function<void(const std::string& caption, Side side, data::Bindable& description, bool& handled)>
          handler) = 0;
};

class FormResizerControl : public Control {
 public:
  virtual void registerControl(const std::string& controlName, int32_t anchor) = 0;
  virtual void start() = 0;
  // A Boolean property of the resizer's own that the selection form reads when asked to close.
  virtual bool resizing() const = 0;
  virtual void onSetup(std::function<void()> handler) = 0;
};

class MdiHostControl : public Control {
 public:
  virtual void place(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
  virtual void setWindowState(int16_t state) = 0;
  virtual void onHostEvent(std::function<void()> handler) = 0;
};

class ProgressControl : public Control {
 public:
  virtual void setRange(int64_t minimum, int64_t maximum) = 0;
  virtual void setValue(int64_t value) = 0;
  virtual int64_t value() const = 0;
  virtual int64_t maximum() const = 0;
};

// The controls of one form, created on first request; the same name gives the same control.
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  virtual ComboControl& combo(std::string_view name) = 0;
  virtual TextEditControl& textEdit(std::string_view name) = 0;
  virtual CheckControl& check(std::string_view name) = 0;
  virtual LabelControl& label(std::string_view name) = 0;
  virtual TabControl& tab(std::string_view name) = 0;
  virtual ToolbarButtonControl& button(std::string_view name) = 0;
  virtual GridControl& grid(std::string_view name) = 0;
  virtual QueryFilterControl& queryFilter(std::string_view name) = 0;
  virtual FormResizerControl& resizer(std::string_view name) = 0;
  virtual MdiHostControl& mdiHost(std::string_view name) = 0;
  virtual ProgressControl& progress(std::string_view name) = 0;
};

}  // namespace briskal::host
