#pragma once
// A query filter without a screen. The form declares the fields a user may filter on; after
// start() the user (or a driver) enters rows of a field caption with a from-value and a to-value,
// either of which may be empty. Every value is checked against its field as it is entered, so a
// row that is kept always turns into valid SQL; filterText() joins the rows' conditions with AND.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/regional.h"
#include "common/value.h"
#include "hostkit/controls/filter_columns.h"
#include "hostkit/controls/filter_condition.h"
#include "hostkit/controls/headless_control.h"
#include "hostkit/controls/headless_text_edit.h"

namespace briskal::hostkit {

// A row as the user typed it.
struct FilterRow {
  std::string caption;
  std::string from;
  std::string to;
  friend bool operator==(const FilterRow&, const FilterRow&) = default;
};

struct LookupOutcome {
  bool handled = false;
  std::string value;        // the row's value on that side afterwards
  std::string description;  // what the description box then shows
};

class HeadlessQueryFilter final : public HeadlessControl<host::QueryFilterControl> {
 public:
  HeadlessQueryFilter(std::string name, FocusScope& focus,
                      const RegionalSettings& regional = RegionalSettings::italian());

  void configure(const Value& company, const std::string& user, const std::string& userGroup,
                 host::Cinterface* host, const std::string& component, data::Connection* connection) override;
  // Forgets the whole configuration, host and connection included.
  void detach() override;
  // Declarations are refused (error 5) after start() or for a caption already declared.
  void addField(const host::FilterField& field) override;
  void addStatusField(const host::StatusFilterField& field) override;
  void addAttributeGroup(const host::AttributeGroup& group) override;
  void start() override { started_ = true; }
  // Dates are written for the connection's database; ISO without an open connection.
  std::string filterText() const override;
  void onStartDecode(std::function<void(const std::string& caption, Side side, data::Bindable& description)>
                         handler) override {
    onStartDecode_ = std::move(handler);
  }
  void onStartLookup(
      std::function<void(const std::string& caption, Side side, data::Bindable& description, bool& handled)>
          handler) override {
    onStartLookup_ = std::move(handler);
  }

  const Value& company() const { return company_; }
  const std::string& user() const { return user_; }
  const std::string& userGroup() const { return userGroup_; }
  host::Cinterface* host() const { return host_; }
  const std::string& component() const { return component_; }
  data::Connection* connection() const { return connection_; }
  bool started() const { return started_; }

  const std::vector<host::FilterField>& fields() const { return fields_; }
  const std::vector<host::StatusFilterField>& statusFields() const { return statusFields_; }
  const std::vector<host::AttributeGroup>& attributeGroups() const { return attributeGroups_; }
  // Every caption a row may name, in declaration order.
  const std::vector<FilterColumn>& columns() const { return columns_; }

  // Enters the row of a declared caption, replacing its earlier row; two blank values remove it.
  // Error 3219 before start(), 3265 for an unknown caption, and the errors of checkBound() for a
  // value that does not fit, in which case the earlier row stays as it was.
  void setRow(const std::string& caption, const std::string& from, const std::string& to);
  void clearRows() { rows_.clear(); }
  std::vector<FilterRow> rows() const;
  std::vector<Item> items() const override;
  // Error 3265 for a column no field is written as.
  std::string value(const std::string& column, Side side) const override;
  void setValue(const std::string& column, Side side, const std::string& value) override;

  // What a person does: types `code` on one side of a row, which raises the decode event.
  // Returns the description the form wrote.
  std::string typeCode(const std::string& caption, Side side, const std::string& code);
  // What a person does: asks for the search list on one side of a row (F3 or the row's search
  // button), which raises the lookup event with the row's description box.
  LookupOutcome requestLookup(const std::string& caption, Side side);

 private:
  struct Row {
    FilterRow typed;
    size_t column = 0;
    std::optional<FilterBound> from;
    std::optional<FilterBound> to;
  };

  void declare(FilterColumn column);
  void requireDeclaring() const;
  const FilterColumn& columnOf(const std::string& caption) const;
  Row* rowOf(const std::string& caption);
  const Row* rowOf(const std::string& caption) const;
  const std::string& captionOfColumn(const std::string& column) const;
  // What the row holds on one side, as typed; "" without a row.
  std::string sideValue(const std::string& caption, Side side) const;
  // Enters one side of a row, keeping the other.
  void setSide(const std::string& caption, Side side, const std::string& value);

  Value company_;
  std::string user_;
  std::string userGroup_;
  host::Cinterface* host_ = nullptr;
  std::string component_;
  data::Connection* connection_ = nullptr;
  bool started_ = false;

  std::vector<host::FilterField> fields_;
  std::vector<host::StatusFilterField> statusFields_;
  std::vector<host::AttributeGroup> attributeGroups_;
  std::vector<FilterColumn> columns_;
  std::map<std::string, size_t> columnByCaption_;
  std::map<std::string, size_t> columnByName_;
  std::vector<Row> rows_;

  // The box a row shows its description in, handed to the events.
  HeadlessTextEdit description_;
  std::function<void(const std::string&, Side, data::Bindable&)> onStartDecode_;
  std::function<void(const std::string&, Side, data::Bindable&, bool&)> onStartLookup_;
};

}  // namespace briskal::hostkit
