#include "hostkit/controls/headless_grid.h"

#include <algorithm>

#include "common/error.h"

namespace briskal::hostkit {

HeadlessGrid::~HeadlessGrid() {
  if (source_) source_->removeListener(this);
}

void HeadlessGrid::setDataSource(data::Recordset* recordset) {
  if (source_) source_->removeListener(this);
  source_ = recordset;
  shownRow_ = currentRow();
  if (source_) source_->addListener(this);
}

void HeadlessGrid::releaseContents() {
  setDataSource(nullptr);
  columns_.clear();
  keyField_.clear();
}

std::optional<data::Bookmark> HeadlessGrid::currentRow() const {
  if (!source_ || !source_->isOpen() || source_->bof() || source_->eof()) return std::nullopt;
  return source_->bookmark();
}

void HeadlessGrid::currentRowChanged() {
  const std::optional<data::Bookmark> row = currentRow();
  if (row == shownRow_) return;
  shownRow_ = row;
  raiseEvent(onRowChanged_);
}

bool HeadlessGrid::doubleClickCell(const std::string& field) {
  const bool known = std::any_of(columns_.begin(), columns_.end(),
                                 [&field](const host::GridColumn& c) { return c.field == field; });
  if (!known) throw Error(err::kItemNotFound, name(), "No column " + field);
  if (!interactive()) return false;
  raiseEvent(onCellDoubleClick_, field);
  return true;
}

bool HeadlessGrid::selectRow(int64_t position) {
  if (!source_) throw Error(err::kObjectClosed, name(), "The grid has no data source");
  if (!interactive()) return false;
  source_->setAbsolutePosition(position);
  return true;
}

bool HeadlessGrid::editCell(const std::string& field, const Value& value) {
  if (!interactive()) return false;
  data::Recordset* const edited = source_;
  const std::optional<data::Bookmark> row = currentRow();
  if (!row || edited->fieldIndex(field) < 0) return false;
  bool cancel = false;
  raiseEvent(onEdited_, field, value, cancel);
  // A handler that moved, closed or replaced the data has taken away the row being edited.
  if (cancel || source_ != edited || currentRow() != row) return false;
  source_->setValue(field, value);
  source_->update();
  return true;
}

bool HeadlessGrid::pressKey(const std::string& field, int32_t keyCode) {
  if (!interactive() || !source_) return false;
  raiseEvent(onKeyPress_, field, keyCode);
  return true;
}

}  // namespace briskal::hostkit
