#include "data/recordset.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "common/convert.h"
#include "common/error.h"
#include "common/utf8.h"
#include "data/connection.h"
#include "data/field_value.h"
#include "data/recordset_data.h"
#include "data/sort_order.h"
#include "data/table_writer.h"

namespace briskal::data {
namespace {

[[noreturn]] void fail(int32_t number, const std::string& description) {
  throw Error(number, "Recordset", description);
}

[[noreturn]] void noCurrentRecord() {
  fail(err::kNoCurrentRecord, "Either BOF or EOF is True, or the current record has been deleted");
}

}  // namespace

Recordset::Recordset() : data_(std::make_shared<RecordsetData>()) {}

Recordset::~Recordset() = default;

RecordsetData& Recordset::data() const { return *data_; }

void Recordset::requireOpen() const {
  if (!open_) fail(err::kObjectClosed, "Operation is not allowed when the object is closed");
}

void Recordset::setCursorType(int type) {
  if (open_) fail(err::kObjectOpen, "Operation is not allowed when the object is open");
  cursorType_ = type;
}

int Recordset::cursorType() const {
  return open_ && cursorLocation_ == cursor::kUseClient ? cursor::kOpenStatic : cursorType_;
}

void Recordset::setLockType(int type) {
  if (open_) fail(err::kObjectOpen, "Operation is not allowed when the object is open");
  lockType_ = type;
}

void Recordset::setRegionalSettings(const RegionalSettings& rs) { data().regional = rs; }

Field& Recordset::appendField(std::string name, FieldType type, int64_t definedSize, int32_t attributes) {
  if (open_ || connection_)
    fail(err::kIllegalOperation, "Fields can only be appended to a closed recordset without a connection");
  RecordsetData& d = data();
  if (d.index.find(name) >= 0) fail(err::kInvalidArgument, "A field named " + name + " already exists");
  Field f;
  f.name = std::move(name);
  f.type = type;
  f.definedSize = definedSize;
  f.attributes = attributes == attr::kUnspecified ? 0 : attributes;
  if (isFixedTextType(type)) f.attributes |= attr::kFixed;
  if (isTextType(type) && definedSize > 255) f.attributes |= attr::kLong;
  d.index.add(f.name, d.fields.size());
  d.fields.push_back(std::move(f));
  d.store.setWidth(d.fields.size());
  return d.fields.back();
}

size_t Recordset::fieldCount() const { return data().fields.size(); }

const Field& Recordset::field(size_t index) const {
  if (index >= data().fields.size())
    fail(err::kItemNotFound, "Item cannot be found in the collection: field " + std::to_string(index));
  return data().fields[index];
}

const Field& Recordset::field(std::string_view name) const { return data().fields[requireField(name)]; }

Field& Recordset::editableField(std::string_view name) {
  if (open_) fail(err::kObjectOpen, "Operation is not allowed when the object is open");
  return data().fields[requireField(name)];
}

int Recordset::fieldIndex(std::string_view name) const { return data().index.find(name); }

size_t Recordset::requireField(std::string_view name) const {
  const int i = data().index.find(name);
  if (i < 0) fail(err::kItemNotFound, "Item cannot be found in the collection: field " + std::string(name));
  return static_cast<size_t>(i);
}

void Recordset::open() {
  if (open_) fail(err::kObjectOpen, "Operation is not allowed when the object is open");
  if (data().fields.empty()) fail(err::kInvalidConnection, "A recordset without fields cannot be opened");
  applyStoredOrder();
  cursorLocation_ = cursor::kUseClient;
  open_ = true;
  rebuildView();
  setPosition(0);
}

void Recordset::open(std::string_view source, Connection& connection, int cursorType, int lockType) {
  setCursorType(cursorType);
  setLockType(lockType);
  open(source, connection);
}

void Recordset::open(std::string_view source, Connection& connection) {
  if (open_) fail(err::kObjectOpen, "Operation is not allowed when the object is open");
  if (!connection.isOpen())
    fail(err::kInvalidConnection, "The connection cannot be used to perform this operation");
  connection_ = &connection;
  source_ = std::string(source);
  try {
    load(source_);
    applyStoredOrder();
  } catch (...) {
    connection_ = nullptr;  // a failed open leaves the recordset closed and free
    throw;
  }
  open_ = true;
  rebuildView();
  setPosition(0);
}

void Recordset::load(std::string_view source) {
  StatementResult result = connection_->execute(source);
  if (!result.rows)
    fail(err::kObjectClosed, "The statement returned no rows to open: " + std::string(source));
  auto fresh = std::make_shared<RecordsetData>();
  fresh->regional = connection_->regionalSettings();
  ResultSet& rows = *result.rows;
  fresh->fields = std::move(rows.columns);
  for (size_t f = 0; f < fresh->fields.size(); ++f) fresh->index.add(fresh->fields[f].name, f);
  const size_t width = fresh->fields.size();
  fresh->store.setWidth(width);
  fresh->store.reserveRows(rows.rowCount);
  fresh->status.assign(rows.rowCount, 0);
  for (uint32_t r = 0; r < rows.rowCount; ++r) {
    fresh->store.appendRow();
    for (size_t f = 0; f < width; ++f) {
      Value& cell = rows.cells[r * width + f];
      fresh->store.set(r, f, padFixedText(fresh->fields[f], std::move(cell)));
    }
  }
  if (auto table = writableTable(source)) {
    fresh->table = *table;
    for (const std::string& key : connection_->primaryKey(*table)) {
      const int f = fresh->index.find(key);
      if (f >= 0) fresh->keyFields.push_back(static_cast<size_t>(f));
    }
    if (fresh->keyFields.empty()) {
      for (size_t f = 0; f < width; ++f)
        if (!(fresh->fields[f].attributes & attr::kLong)) fresh->keyFields.push_back(f);
    }
  }
  data_ = std::move(fresh);
}

void Recordset::close() {
  requireOpen();
  editMode_ = EditMode::None;
  editBackup_.clear();
  open_ = false;
  view_.clear();
  posOf_.clear();
  visible_.assign({});
  pos_ = -1;
  // The data goes with the last recordset that shares it; a fabricated recordset keeps its fields.
  if (connection_) {
    data_ = std::make_shared<RecordsetData>();
    connection_ = nullptr;
  } else {
    auto fresh = std::make_shared<RecordsetData>();
    fresh->fields = data().fields;
    fresh->index = data().index;
    fresh->store.setWidth(fresh->fields.size());
    fresh->regional = data().regional;
    data_ = std::move(fresh);
  }
  notifyRowChanged();
}

void Recordset::requery() {
  requireOpen();
  if (editMode_ != EditMode::None)
    fail(err::kIllegalOperation, "Requery is not allowed while a row is being edited");
  if (!connection_) fail(err::kInvalidConnection, "A recordset without a connection cannot be requeried");
  load(source_);
  applyStoredOrder();
  rebuildView();
  setPosition(0);
}

void Recordset::applyStoredOrder() {
  // A filter or sort given before the fields were known is checked against them now.
  criteria_.reset();
  if (!filter_.empty())
    criteria_.emplace(Criteria::parse(filter_, data().fields, data().index, data().regional));
  sortKeys_.clear();
  if (!sort_.empty()) sortKeys_ = parseSortOrder(sort_, data().index);
}

// --- the view -------------------------------------------------------------------------------

bool Recordset::visibleRow(uint32_t r) const {
  const uint8_t status = data().status[r];
  if (pendingFilter_) return !(status & row_status::kGone);
  return !(status & (row_status::kDeleted | row_status::kGone));
}

void Recordset::rebuildView() {
  RecordsetData& d = data();
  filtered_ = criteria_.has_value() || pendingFilter_;
  view_.clear();
  for (uint32_t r = 0; r < d.rowCount(); ++r) {
    if (!visibleRow(r)) continue;
    if (pendingFilter_ && !(d.status[r] & (row_status::kNew | row_status::kModified | row_status::kDeleted)))
      continue;
    if (criteria_ && !criteria_->matches(d, r)) continue;
    view_.push_back(r);
  }
  if (!sortKeys_.empty()) sortRows(view_, d, sortKeys_);
  reindexView();
  seenRows_ = d.rowCount();
  seenRemovals_ = d.removals.size();
  seenGeneration_ = d.generation;
}

void Recordset::reindexView() const {
  const RecordsetData& d = data();
  posOf_.assign(d.rowCount(), kNowhere);
  std::vector<uint8_t> flags(view_.size());
  for (size_t p = 0; p < view_.size(); ++p) {
    posOf_[view_[p]] = static_cast<uint32_t>(p);
    flags[p] = visibleRow(view_[p]) ? 1 : 0;
  }
  visible_.assign(flags);
}

void Recordset::syncView() const {
  const RecordsetData& d = data();
  if (d.generation != seenGeneration_) {
    const_cast<Recordset*>(this)->rebuildKeepingRow();
    return;
  }
  // Rows removed through any recordset sharing the data stop counting in every view that holds them.
  for (; seenRemovals_ < d.removals.size(); ++seenRemovals_) {
    const uint32_t r = d.removals[seenRemovals_];
    if (r < posOf_.size() && posOf_[r] != kNowhere && !visibleRow(r)) visible_.clear(posOf_[r]);
  }
  if (seenRows_ == d.rowCount()) return;
  posOf_.resize(d.rowCount(), kNowhere);
  // Rows added through a clone appear at the end of an unfiltered view.
  if (!filtered_) {
    for (auto r = static_cast<uint32_t>(seenRows_); r < d.rowCount(); ++r) {
      if (!visibleRow(r)) continue;
      posOf_[r] = static_cast<uint32_t>(view_.size());
      view_.push_back(r);
      visible_.append(true);
    }
  }
  seenRows_ = d.rowCount();
}

void Recordset::rebuildKeepingRow() {
  const bool hadRow = pos_ >= 0 && pos_ < static_cast<int64_t>(view_.size());
  const uint32_t row = hadRow ? view_[static_cast<size_t>(pos_)] : 0;
  rebuildView();
  pos_ = static_cast<int64_t>(view_.size());
  if (hadRow && posOf_[row] != kNowhere) pos_ = posOf_[row];
}

bool Recordset::visibleAt(int64_t pos) const { return visible_.flagged(static_cast<size_t>(pos)); }

int64_t Recordset::viewSize() const { return static_cast<int64_t>(view_.size()); }

void Recordset::setPosition(int64_t pos) {
  // Lands on the first visible row at or after `pos`, or EOF.
  pos_ = pos >= viewSize()
             ? viewSize()
             : static_cast<int64_t>(visible_.select(visible_.countBefore(static_cast<size_t>(pos)) + 1));
  notifyRowChanged();
}

uint32_t Recordset::currentRow() const {
  requireOpen();
  syncView();
  if (pos_ < 0 || pos_ >= viewSize() || !visibleAt(pos_)) noCurrentRecord();
  return view_[static_cast<size_t>(pos_)];
}

// A deleted row stays current until the next move, even when it was the last one, so an empty
// view is BOF and EOF only once the cursor is off every row.
bool Recordset::bof() const {
  requireOpen();
  syncView();
  const bool onRow = pos_ >= 0 && pos_ < viewSize();
  return pos_ < 0 || (visible_.total() == 0 && !onRow);
}

bool Recordset::eof() const {
  requireOpen();
  syncView();
  const bool onRow = pos_ >= 0 && pos_ < viewSize();
  return pos_ >= viewSize() || (visible_.total() == 0 && !onRow);
}

void Recordset::requireRows() {
  requireOpen();
  commitPendingEdit();
  syncView();
  if (visible_.total() == 0) {
    pos_ = viewSize();
    noCurrentRecord();
  }
}

void Recordset::moveFirst() {
  requireRows();
  setPosition(0);
}

void Recordset::moveLast() {
  requireRows();
  pos_ = static_cast<int64_t>(visible_.select(visible_.total()));
  notifyRowChanged();
}

void Recordset::moveNext() {
  requireOpen();
  if (eof()) noCurrentRecord();
  commitPendingEdit();
  setPosition(pos_ + 1);
}

void Recordset::movePrevious() {
  requireOpen();
  if (bof()) noCurrentRecord();
  commitPendingEdit();
  const size_t before = visible_.countBefore(static_cast<size_t>(std::min(pos_, viewSize())));
  pos_ = before == 0 ? -1 : static_cast<int64_t>(visible_.select(before));
  notifyRowChanged();
}

int64_t Recordset::recordCount() const {
  requireOpen();
  syncView();
  return static_cast<int64_t>(visible_.total());
}

int64_t Recordset::absolutePosition() const {
  requireOpen();
  syncView();
  if (visible_.total() == 0) return position::kUnknown;
  if (pos_ < 0) return position::kBOF;
  if (pos_ >= viewSize()) return position::kEOF;
  return static_cast<int64_t>(visible_.countBefore(static_cast<size_t>(pos_))) + 1;
}

void Recordset::setAbsolutePosition(int64_t position) {
  requireOpen();
  commitPendingEdit();
  syncView();
  if (position < 1 || position > static_cast<int64_t>(visible_.total()))
    fail(err::kInvalidArgument, "Position " + std::to_string(position) + " is outside the recordset");
  pos_ = static_cast<int64_t>(visible_.select(static_cast<size_t>(position)));
  notifyRowChanged();
}

Bookmark Recordset::bookmark() const { return Bookmark{currentRow()}; }

void Recordset::setBookmark(Bookmark bookmark) {
  requireOpen();
  commitPendingEdit();
  syncView();
  const RecordsetData& d = data();
  if (bookmark.row >= d.rowCount() || d.removed(bookmark.row))
    fail(err::kInvalidArgument, "The bookmark is not valid");
  const int64_t pos = positionOf(bookmark.row);
  if (pos < 0) noCurrentRecord();
  pos_ = pos;
  notifyRowChanged();
}

int64_t Recordset::positionOf(uint32_t row) const {
  if (row >= posOf_.size() || posOf_[row] == kNowhere) return -1;
  return posOf_[row];
}

// --- values ---------------------------------------------------------------------------------

Value Recordset::value(size_t field) const {
  const uint32_t r = currentRow();
  if (field >= data().fields.size())
    fail(err::kItemNotFound, "Item cannot be found in the collection: field " + std::to_string(field));
  return data().value(r, field);
}

Value Recordset::value(std::string_view field) const { return value(requireField(field)); }

bool Recordset::sameValues(Bookmark other) const {
  const uint32_t r = currentRow();
  if (other.row >= data().rowCount()) fail(err::kInvalidArgument, "The bookmark is not valid");
  return r == other.row || data().store.sameRow(r, other.row);
}

Value Recordset::valueAt(int64_t position, size_t field) const {
  requireOpen();
  syncView();
  if (position < 1 || position > static_cast<int64_t>(visible_.total()))
    fail(err::kInvalidArgument, "Position " + std::to_string(position) + " is outside the recordset");
  if (field >= data().fields.size())
    fail(err::kItemNotFound, "Item cannot be found in the collection: field " + std::to_string(field));
  return data().value(view_[visible_.select(static_cast<size_t>(position))], field);
}

void Recordset::setValue(std::string_view field, const Value& value) { setValue(requireField(field), value); }

void Recordset::setValue(size_t field, const Value& value) {
  const uint32_t r = currentRow();
  if (lockType_ == lock::kReadOnly && connection_) fail(err::kIllegalOperation, "The recordset is read-only");
  RecordsetData& d = data();
  if (field >= d.fields.size())
    fail(err::kItemNotFound, "Item cannot be found in the collection: field " + std::to_string(field));
  Value converted = toFieldValue(d.fields[field], value, d.regional);
  if (editMode_ == EditMode::None) startEdit();
  d.store.set(r, field, converted);
  notifyFieldChanged(field);
}

void Recordset::startEdit() {
  const uint32_t r = currentRow();
  const RecordsetData& d = data();
  editBackup_ = d.store.rowValues(r);
  editMode_ = EditMode::InProgress;
}

// --- editing --------------------------------------------------------------------------------

bool Recordset::writesAtOnce() const {
  return connection_ && !data().table.empty() && lockType_ == lock::kOptimistic;
}
bool Recordset::keepsPending() const {
  return connection_ && !data().table.empty() && lockType_ == lock::kBatchOptimistic;
}

void Recordset::addNew() {
  requireOpen();
  if (lockType_ == lock::kReadOnly && connection_) fail(err::kIllegalOperation, "The recordset is read-only");
  commitPendingEdit();
  syncView();
  RecordsetData& d = data();
  posBeforeAdd_ = pos_;
  const auto r = static_cast<uint32_t>(d.rowCount());
  d.store.appendRow();
  d.status.push_back(row_status::kNew);
  if (filtered_) {
    // A row added under a filter stays in this view until the filter is set again.
    posOf_.resize(d.rowCount(), kNowhere);
    posOf_[r] = static_cast<uint32_t>(view_.size());
    view_.push_back(r);
    visible_.append(true);
    seenRows_ = d.rowCount();
  } else {
    syncView();
  }
  pos_ = viewSize() - 1;
  editMode_ = EditMode::Add;
  editBackup_.clear();
  notifyRowChanged();
}

void Recordset::addNewLike(Bookmark model) {
  requireOpen();
  if (model.row >= data().rowCount() || data().removed(model.row))
    fail(err::kInvalidArgument, "The bookmark is not valid");
  addNew();
  RecordsetData& d = data();
  // The new row is the last one: drop it for a copy of the model, keeping its place and state.
  d.store.copyRow(model.row, static_cast<uint32_t>(d.rowCount() - 1));
  notifyRowChanged();
}

void Recordset::commitPendingEdit() {
  if (editMode_ != EditMode::None) update();
}

void Recordset::update() {
  requireOpen();
  if (editMode_ == EditMode::None) return;
  const uint32_t r = currentRow();
  RecordsetData& d = data();
  const bool adding = editMode_ == EditMode::Add;
  if (writesAtOnce()) {
    // In a transaction of its own, so that a write that finds the wrong rows leaves no trace.
    Transaction transaction(*connection_);
    TableWriter writer(*connection_, d);
    if (adding) writer.insert(r);
    else writer.update(r, editBackup_);
    transaction.commit();
    d.status[r] = 0;
  } else if (keepsPending()) {
    if (!adding && !(d.status[r] & row_status::kNew)) {
      d.status[r] |= row_status::kModified;
      d.originals.try_emplace(r, editBackup_);
    }
  } else {
    d.status[r] = 0;
  }
  editMode_ = EditMode::None;
  editBackup_.clear();
}

void Recordset::cancelUpdate() {
  requireOpen();
  if (editMode_ == EditMode::None) fail(err::kIllegalOperation, "There is no change to cancel");
  RecordsetData& d = data();
  const auto r = view_[static_cast<size_t>(pos_)];
  editMode_ = EditMode::None;
  if (d.status[r] & row_status::kNew && editBackup_.empty()) {
    d.status[r] = row_status::kGone;
    d.removals.push_back(r);
    syncView();
    if (!view_.empty() && view_.back() == r) {
      view_.pop_back();
      visible_.popBack();
      posOf_[r] = kNowhere;
    }
    // Back to the row current before AddNew; from EOF that is EOF again.
    pos_ = std::min(posBeforeAdd_, viewSize());
    notifyRowChanged();
    return;
  }
  d.store.setRow(r, editBackup_);
  editBackup_.clear();
  notifyRowChanged();
}

void Recordset::deleteShown() {
  if (bof() && eof()) return;
  for (moveFirst(); !eof(); moveNext()) deleteCurrent();
}

void Recordset::deleteCurrent() {
  const uint32_t r = currentRow();
  if (lockType_ == lock::kReadOnly && connection_) fail(err::kIllegalOperation, "The recordset is read-only");
  RecordsetData& d = data();
  if (editMode_ == EditMode::Add) {
    cancelUpdate();
    return;
  }
  if (editMode_ == EditMode::InProgress) {
    d.store.setRow(r, editBackup_);
    editMode_ = EditMode::None;
    editBackup_.clear();
  }
  if (writesAtOnce()) {
    Transaction transaction(*connection_);
    TableWriter writer(*connection_, d);
    writer.remove(d.store.rowValues(r));
    transaction.commit();
    d.status[r] = row_status::kGone;
  } else if (keepsPending() && !(d.status[r] & row_status::kNew)) {
    d.originals.try_emplace(r, d.store.rowValues(r));
    d.status[r] = row_status::kDeleted;
  } else {
    d.status[r] = row_status::kGone;
  }
  d.removals.push_back(r);
}

void Recordset::updateBatch() {
  requireOpen();
  commitPendingEdit();
  if (!keepsPending()) return;  // nothing is ever pending: each change went out at once
  RecordsetData& d = data();
  std::vector<uint32_t> rows;
  if (criteria_) {
    rows = view_;
    std::sort(rows.begin(), rows.end());
  } else {
    rows.resize(d.rowCount());
    std::iota(rows.begin(), rows.end(), 0u);
  }
  std::erase_if(rows, [&](uint32_t r) {
    const uint8_t s = d.status[r];
    return (s & row_status::kGone) ||
           !(s & (row_status::kNew | row_status::kModified | row_status::kDeleted));
  });
  if (rows.empty()) return;
  {
    Transaction transaction(*connection_);
    TableWriter writer(*connection_, d);
    for (uint32_t r : rows) {
      const uint8_t s = d.status[r];
      if (s & row_status::kDeleted) writer.remove(d.originals.at(r));
      else if (s & row_status::kNew) writer.insert(r);
      else writer.update(r, d.originals.at(r));
    }
    transaction.commit();
  }
  for (uint32_t r : rows) {
    if (d.status[r] & row_status::kDeleted) {
      d.status[r] = row_status::kGone;
      d.removals.push_back(r);  // gone from pending views too now
    } else {
      d.status[r] = 0;
    }
    d.originals.erase(r);
  }
}

void Recordset::cancelBatch() {
  requireOpen();
  if (editMode_ != EditMode::None) cancelUpdate();
  RecordsetData& d = data();
  bool restored = false;
  for (uint32_t r = 0; r < d.rowCount(); ++r) {
    const uint8_t s = d.status[r];
    if (s & row_status::kGone) continue;
    if (s & row_status::kNew) {
      d.status[r] = row_status::kGone;
      d.removals.push_back(r);
    } else if (s & (row_status::kModified | row_status::kDeleted)) {
      const auto& original = d.originals.at(r);
      d.store.setRow(r, original);
      restored = restored || (s & row_status::kDeleted);
      d.status[r] = 0;
      d.originals.erase(r);
    }
  }
  // Deleted rows are back: every view sharing the data must look again.
  if (restored) ++d.generation;
  syncView();
  setPosition(0);
}

// --- filter, sort, find ---------------------------------------------------------------------

void Recordset::setFilter(std::string_view criteria) {
  std::string text(criteria);
  const bool none = text.find_first_not_of(' ') == std::string::npos;
  std::optional<Criteria> parsed;
  if (!none && open_) parsed.emplace(Criteria::parse(text, data().fields, data().index, data().regional));
  if (open_) commitPendingEdit();
  criteria_ = std::move(parsed);
  pendingFilter_ = false;
  filter_ = none ? std::string() : text;
  if (!open_) return;
  rebuildView();
  setPosition(0);
}

void Recordset::setFilter(FilterGroup group) {
  if (group == FilterGroup::None) return setFilter(std::string_view());
  requireOpen();
  commitPendingEdit();
  criteria_.reset();
  filter_.clear();
  pendingFilter_ = true;
  rebuildView();
  setPosition(0);
}

void Recordset::setSort(std::string_view sort) {
  std::string text(sort);
  const bool none = text.find_first_not_of(' ') == std::string::npos;
  auto keys = none || !open_ ? SortKeys() : parseSortOrder(text, data().index);
  if (open_) {
    commitPendingEdit();
    syncView();
  }
  sortKeys_ = std::move(keys);
  sort_ = none ? std::string() : text;
  if (!open_) return;
  if (sortKeys_.empty()) std::sort(view_.begin(), view_.end());
  else sortRows(view_, data(), sortKeys_);
  reindexView();
  setPosition(0);
}

void Recordset::find(std::string_view criteria, int64_t skip, SearchDirection direction,
                     std::optional<Bookmark> start) {
  requireOpen();
  const Criteria c = Criteria::parse(criteria, data().fields, data().index, data().regional, true);
  commitPendingEdit();
  syncView();
  const int64_t size = viewSize();
  int64_t from = pos_;
  if (start) {
    from = positionOf(start->row);
    if (from < 0) fail(err::kInvalidArgument, "The start bookmark is not in the recordset");
  }
  const bool forward = direction == SearchDirection::Forward;
  if (forward && from < 0) from = 0;
  int64_t p = forward ? from + skip : from - skip;
  const RecordsetData& d = data();
  for (; p >= 0 && p < size; p += forward ? 1 : -1) {
    if (visibleAt(p) && c.matches(d, view_[static_cast<size_t>(p)])) {
      pos_ = p;
      notifyRowChanged();
      return;
    }
  }
  pos_ = forward ? size : -1;
  notifyRowChanged();
}

std::unique_ptr<Recordset> Recordset::clone() const {
  requireOpen();
  auto copy = std::make_unique<Recordset>();
  copy->data_ = data_;
  copy->connection_ = connection_;
  copy->source_ = source_;
  copy->cursorLocation_ = cursorLocation_;
  copy->cursorType_ = cursorType_;
  copy->lockType_ = lockType_;
  copy->open_ = true;
  copy->rebuildView();
  copy->setPosition(0);
  return copy;
}

// --- listeners ------------------------------------------------------------------------------

void Recordset::addListener(RecordsetListener* listener) { listeners_.push_back(listener); }

void Recordset::removeListener(RecordsetListener* listener) { std::erase(listeners_, listener); }

void Recordset::notifyRowChanged() {
  for (size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->currentRowChanged();
}

void Recordset::notifyFieldChanged(size_t field) {
  for (size_t i = 0; i < listeners_.size(); ++i) listeners_[i]->fieldChanged(field);
}

PendingBatch::~PendingBatch() {
  if (written_) return;
  try {
    recordset_.cancelBatch();
  } catch (...) {
    // A recordset that cannot cancel has nothing pending to cancel.
  }
}

void PendingBatch::write() {
  recordset_.updateBatch();
  written_ = true;
}

}  // namespace briskal::data
