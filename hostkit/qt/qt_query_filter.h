#pragma once
// The query filter on screen: a table with a row for each field the form declared, its from- and
// to-values typed in place, a search button beside each, and the description of each value. The
// rows, their checks and the condition text are the headless filter's, so both hosts write the
// same condition for the same rows. A code the form cannot describe is marked in its cell as soon
// as it is typed, and said on the main window's status bar. Tab goes from a row's from-value to
// its to-value and on to the next row's; Ctrl+Tab leaves the table.

#include <QTableWidget>

#include "hostkit/controls/headless_query_filter.h"
#include "hostkit/qt/qt_control.h"
#include "hostkit/qt/screen_texts.h"

namespace briskal::hostkit::qt {

class QtQueryFilter final : public QtControl<host::QueryFilterControl, QTableWidget>, public QObject {
 public:
  QtQueryFilter(const std::string& name, QTableWidget* table, const RegionalSettings& regional,
                ScreenTexts texts);

  void configure(const Value& company, const std::string& user, const std::string& userGroup,
                 host::Cinterface* host, const std::string& component,
                 data::Connection* connection) override {
    rows_.configure(company, user, userGroup, host, component, connection);
  }
  void detach() override { rows_.detach(); }
  void addField(const host::FilterField& field) override { rows_.addField(field); }
  void addStatusField(const host::StatusFilterField& field) override { rows_.addStatusField(field); }
  void addAttributeGroup(const host::AttributeGroup& group) override { rows_.addAttributeGroup(group); }
  // Lays out a row for each declared field.
  void start() override;
  std::string filterText() const override { return rows_.filterText(); }
  std::vector<Item> items() const override { return rows_.items(); }
  std::string value(const std::string& column, Side side) const override { return rows_.value(column, side); }
  void setValue(const std::string& column, Side side, const std::string& value) override;
  void onStartDecode(std::function<void(const std::string& caption, Side side, data::Bindable& description)>
                         handler) override;
  void onStartLookup(
      std::function<void(const std::string& caption, Side side, data::Bindable& description, bool& handled)>
          handler) override {
    rows_.onStartLookup(std::move(handler));
  }

  // What a person does on screen, for the tests: types into a row's cell, asks for its list.
  void type(const std::string& caption, Side side, const std::string& text);
  void search(const std::string& caption, Side side);
  // The description shown beside one side of a row.
  std::string description(const std::string& caption, Side side) const;
  // Whether one side of a row holds a code the form found no description for.
  bool unknownCode(const std::string& caption, Side side) const;
  // The rows typed, in the table's order.
  std::vector<FilterRow> shownRows() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int rowOf(const std::string& caption) const;
  // Shows a row's values as the filter holds them.
  void showRow(int row);
  void cellEdited(int row, int column);
  // Hands one side of a row to the filter and shows its description; a code the form's decode
  // event left without one is marked unknown. enter() throws what the filter refuses, decode()
  // shows it.
  void enter(int row, Side side, const std::string& text);
  void decode(int row, Side side, const std::string& text);
  void markUnknown(int row, Side side, const std::string& code);
  bool unknownAt(int row, Side side) const;
  // Tab and Shift+Tab from the current cell; `editing` opens the editor of the cell reached.
  void tab(bool back, bool editing);
  // Gives the focus to the control before or after the table.
  void leave(bool back);

  ScreenTexts texts_;
  FocusScope focus_;
  HeadlessQueryFilter rows_;
  bool showing_ = false;    // the view is being filled, not typed in
  bool described_ = false;  // the form's decode event wrote a description
  std::function<void(const std::string&, Side, data::Bindable&)> onStartDecode_;
};

}  // namespace briskal::hostkit::qt
