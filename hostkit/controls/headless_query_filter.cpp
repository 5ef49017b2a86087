#include "hostkit/controls/headless_query_filter.h"

#include <algorithm>
#include <utility>

#include "common/error.h"
#include "data/connection.h"

namespace briskal::hostkit {

HeadlessQueryFilter::HeadlessQueryFilter(std::string name, FocusScope& focus,
                                         const RegionalSettings& regional)
    : HeadlessControl(std::move(name), focus), description_(this->name() + ".description", focus, regional) {}

void HeadlessQueryFilter::configure(const Value& company, const std::string& user,
                                    const std::string& userGroup, host::Cinterface* host,
                                    const std::string& component, data::Connection* connection) {
  company_ = company;
  user_ = user;
  userGroup_ = userGroup;
  host_ = host;
  component_ = component;
  connection_ = connection;
}

void HeadlessQueryFilter::detach() { configure(Value(), "", "", nullptr, "", nullptr); }

void HeadlessQueryFilter::requireDeclaring() const {
  if (started_)
    throw Error(err::kInvalidProcedureCall, name(), "Fields cannot be declared once the filter is started");
}

void HeadlessQueryFilter::declare(FilterColumn column) {
  if (columnByCaption_.count(column.caption))
    throw Error(err::kInvalidProcedureCall, name(), "Field \"" + column.caption + "\" is already declared");
  columnByCaption_.emplace(column.caption, columns_.size());
  columnByName_.emplace(column.column, columns_.size());
  columns_.push_back(std::move(column));
}

void HeadlessQueryFilter::addField(const host::FilterField& field) {
  requireDeclaring();
  declare(filterColumn(field));
  fields_.push_back(field);
}

void HeadlessQueryFilter::addStatusField(const host::StatusFilterField& field) {
  requireDeclaring();
  declare(filterColumn(field));
  statusFields_.push_back(field);
}

void HeadlessQueryFilter::addAttributeGroup(const host::AttributeGroup& group) {
  requireDeclaring();
  const std::vector<FilterColumn> attributes = attributeColumns(group, name());
  for (const FilterColumn& c : attributes) {
    if (columnByCaption_.count(c.caption))
      throw Error(err::kInvalidProcedureCall, name(), "Field \"" + c.caption + "\" is already declared");
  }
  for (const FilterColumn& c : attributes) declare(c);
  attributeGroups_.push_back(group);
}

const FilterColumn& HeadlessQueryFilter::columnOf(const std::string& caption) const {
  if (!started_) throw Error(err::kIllegalOperation, name(), "The filter has not been started");
  const auto it = columnByCaption_.find(caption);
  if (it == columnByCaption_.end())
    throw Error(err::kItemNotFound, name(), "No filter field \"" + caption + "\"");
  return columns_[it->second];
}

const HeadlessQueryFilter::Row* HeadlessQueryFilter::rowOf(const std::string& caption) const {
  const auto it = std::find_if(rows_.begin(), rows_.end(),
                               [&caption](const Row& r) { return r.typed.caption == caption; });
  return it == rows_.end() ? nullptr : &*it;
}

HeadlessQueryFilter::Row* HeadlessQueryFilter::rowOf(const std::string& caption) {
  return const_cast<Row*>(std::as_const(*this).rowOf(caption));
}

const std::string& HeadlessQueryFilter::captionOfColumn(const std::string& column) const {
  const auto it = columnByName_.find(column);
  if (it == columnByName_.end())
    throw Error(err::kItemNotFound, name(), "No filter field on the column " + column);
  return columns_[it->second].caption;
}

std::string HeadlessQueryFilter::sideValue(const std::string& caption, Side side) const {
  const Row* row = rowOf(caption);
  if (!row) return {};
  return side == Side::From ? row->typed.from : row->typed.to;
}

std::string HeadlessQueryFilter::value(const std::string& column, Side side) const {
  return sideValue(captionOfColumn(column), side);
}

void HeadlessQueryFilter::setValue(const std::string& column, Side side, const std::string& value) {
  typeCode(captionOfColumn(column), side, value);
}

void HeadlessQueryFilter::setRow(const std::string& caption, const std::string& from, const std::string& to) {
  const FilterColumn& column = columnOf(caption);
  Row row{{caption, from, to},
          columnByCaption_.at(caption),
          checkBound(column, from, name()),
          checkBound(column, to, name())};
  Row* existing = rowOf(caption);
  if (!row.from && !row.to) {
    if (existing) rows_.erase(rows_.begin() + (existing - rows_.data()));
  } else if (existing) {
    *existing = std::move(row);
  } else {
    rows_.push_back(std::move(row));
  }
}

std::vector<FilterRow> HeadlessQueryFilter::rows() const {
  std::vector<FilterRow> typed;
  typed.reserve(rows_.size());
  for (const Row& r : rows_) typed.push_back(r.typed);
  return typed;
}

std::string HeadlessQueryFilter::filterText() const {
  const data::Dialect dialect =
      connection_ && connection_->isOpen() ? connection_->dialect() : data::Dialect::Other;
  std::string text;
  for (const Row& r : rows_) {
    if (!text.empty()) text += " AND ";
    text += "(" + rowCondition(columns_[r.column], r.from, r.to, dialect) + ")";
  }
  return text;
}

void HeadlessQueryFilter::setSide(const std::string& caption, Side side, const std::string& value) {
  std::string from = sideValue(caption, Side::From);
  std::string to = sideValue(caption, Side::To);
  (side == Side::From ? from : to) = value;
  setRow(caption, from, to);
}

std::string HeadlessQueryFilter::typeCode(const std::string& caption, Side side, const std::string& code) {
  setSide(caption, side, code);
  description_.setText("");
  raiseEvent(onStartDecode_, caption, side, static_cast<data::Bindable&>(description_));
  return description_.text();
}

LookupOutcome HeadlessQueryFilter::requestLookup(const std::string& caption, Side side) {
  columnOf(caption);
  bool handled = false;
  raiseEvent(onStartLookup_, caption, side, static_cast<data::Bindable&>(description_), handled);
  return {handled, sideValue(caption, side), description_.text()};
}

}  // namespace briskal::hostkit

namespace briskal::hostkit {

std::vector<host::QueryFilterControl::Item> HeadlessQueryFilter::items() const {
  std::vector<Item> out;
  for (const FilterRow& row : rows()) out.push_back({row.caption, row.from, row.to});
  return out;
}

}  // namespace briskal::hostkit
