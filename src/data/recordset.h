#pragma once
// A client-side recordset with the observable behaviour the forms rely on: opened from SQL on a
// connection or fabricated from appended fields, navigated with BOF/EOF, filtered, sorted and
// searched, edited with AddNew/Update/Delete, and written back to its table at once (lock type 3)
// or with UpdateBatch (lock type 4). Rows live in contiguous storage shared with clones; a filter
// or a sort is an index vector over them and a bookmark is a stable row id, so nothing here is
// quadratic in the number of rows. Failures throw briskal::Error with the platform's numbers
// (3001 bad argument, 3021 no current record, 3219 illegal operation, 3265 unknown field,
// 3704/3705 closed/open, 3709 no fields or connection, -2147217887 a value that does not fit).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/regional.h"
#include "common/value.h"
#include "data/criteria.h"
#include "data/field.h"
#include "data/rank_index.h"

namespace briskal::data {

class Connection;
struct RecordsetData;

namespace cursor {
inline constexpr int kUseServer = 2;
inline constexpr int kUseClient = 3;
inline constexpr int kOpenForwardOnly = 0;
inline constexpr int kOpenKeyset = 1;
inline constexpr int kOpenDynamic = 2;
inline constexpr int kOpenStatic = 3;
}  // namespace cursor

namespace lock {
inline constexpr int kReadOnly = 1;
inline constexpr int kOptimistic = 3;
inline constexpr int kBatchOptimistic = 4;
}  // namespace lock

namespace position {
inline constexpr int64_t kUnknown = -1;
inline constexpr int64_t kBOF = -2;
inline constexpr int64_t kEOF = -3;
}  // namespace position

enum class EditMode { None = 0, InProgress = 1, Add = 2 };
enum class SearchDirection { Backward = -1, Forward = 1 };
enum class FilterGroup { None = 0, PendingRecords = 1 };

struct Bookmark {
  uint32_t row = 0;
  friend bool operator==(Bookmark, Bookmark) = default;
};

// Told about changes of the current row, so that bound controls can follow it.
class RecordsetListener {
 public:
  virtual ~RecordsetListener() = default;
  virtual void currentRowChanged() = 0;
  virtual void fieldChanged(size_t field) = 0;
};

class Recordset {
 public:
  Recordset();
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  void setCursorLocation(int location) { cursorLocation_ = location; }
  int cursorLocation() const { return cursorLocation_; }
  void setCursorType(int type);
  // A client cursor is always static: it reads 3 while open, as requested once closed.
  int cursorType() const;
  void setLockType(int type);
  int lockType() const { return lockType_; }
  // Conversions of text assigned to number and date fields.
  void setRegionalSettings(const RegionalSettings& rs);

  // Fields of a fabricated recordset, appended while it is closed. A size above 255 makes a long
  // text field; attribute -1 (unspecified) reads back as 0.
  Field& appendField(std::string name, FieldType type, int64_t definedSize = 0, int32_t attributes = -1);
  size_t fieldCount() const;
  const Field& field(size_t index) const;
  const Field& field(std::string_view name) const;
  // Precision and scale may be set on an appended field before the recordset opens.
  Field& editableField(std::string_view name);
  // -1 when there is no such field.
  int fieldIndex(std::string_view name) const;

  // Opens the appended fields with no source (error 3709 when none were appended).
  void open();
  // Runs `source` on the connection and keeps every row. A source of the form
  // "SELECT ... FROM table [WHERE ...] [ORDER BY ...]" can be written back to that table.
  void open(std::string_view source, Connection& connection);
  void open(std::string_view source, Connection& connection, int cursorType, int lockType);
  void close();
  bool isOpen() const { return open_; }
  // Runs the source again; filter and sort are applied anew, the first row becomes current.
  void requery();
  const std::string& source() const { return source_; }
  Connection* activeConnection() const { return connection_; }

  bool bof() const;
  bool eof() const;
  void moveFirst();
  void moveLast();
  void moveNext();
  void movePrevious();
  int64_t recordCount() const;
  // 1-based within the current view; kUnknown, kBOF or kEOF when there is no current row.
  int64_t absolutePosition() const;
  void setAbsolutePosition(int64_t position);
  Bookmark bookmark() const;
  void setBookmark(Bookmark bookmark);

  Value value(size_t field) const;
  Value value(std::string_view field) const;
  // The value of `field` in the row at 1-based `position` of the view, without moving to it: what
  // a grid shows of the rows it scrolls past. Error 3001 outside the view.
  Value valueAt(int64_t position, size_t field) const;
  // Converts the value to the field's type, rejecting what does not fit without touching the
  // stored value. Starts an edit of the current row.
  void setValue(size_t field, const Value& value);
  void setValue(std::string_view field, const Value& value);
  // The current row holds the values row `other` holds, each of the same kind: what a walk asks to
  // keep a row like the one before it once. Pending edits are not looked at.
  bool sameValues(Bookmark other) const;

  void addNew();
  // AddNew with every field already holding the value it has in row `model`, so that a row that
  // repeats most of another costs one copy instead of one conversion per field.
  void addNewLike(Bookmark model);
  void update();
  void cancelUpdate();
  void deleteCurrent();
  // Deletes every row the filter shows, as a walk from the first row deleting each would.
  void deleteShown();
  EditMode editMode() const { return editMode_; }
  // Writes pending inserts, updates and deletes of the visible rows to the table in one
  // transaction; on failure nothing is written, the changes stay pending and the database's
  // errors are listed on the connection.
  void updateBatch();
  void cancelBatch();

  // Criteria as in criteria.h; "" or FilterGroup::None removes the filter.
  void setFilter(std::string_view criteria);
  void setFilter(FilterGroup group);
  const std::string& filter() const { return filter_; }
  // "Field [ASC|DESC], ..."; "" restores the original order.
  void setSort(std::string_view sort);
  const std::string& sort() const { return sort_; }
  // One clause; starts at the current row (or `start`) moved by `skip`; leaves EOF (forward) or
  // BOF (backward) when nothing matches.
  void find(std::string_view criteria, int64_t skip = 0, SearchDirection direction = SearchDirection::Forward,
            std::optional<Bookmark> start = std::nullopt);

  // Shares the rows; has its own current row (the first), no filter and no sort.
  std::unique_ptr<Recordset> clone() const;

  void addListener(RecordsetListener* listener);
  void removeListener(RecordsetListener* listener);

 private:
  RecordsetData& data() const;
  void requireOpen() const;
  // Commits a pending edit and fails with 3021, leaving BOF and EOF, when the view has no row.
  void requireRows();
  void applyStoredOrder();
  size_t requireField(std::string_view name) const;
  uint32_t currentRow() const;
  // Takes in rows added or removed through clones since the view last looked.
  void syncView() const;
  void rebuildView();
  void rebuildKeepingRow();
  void reindexView() const;
  bool visibleRow(uint32_t row) const;
  bool visibleAt(int64_t pos) const;
  int64_t viewSize() const;
  int64_t positionOf(uint32_t row) const;
  void setPosition(int64_t pos);
  void commitPendingEdit();
  void startEdit();
  bool writesAtOnce() const;
  bool keepsPending() const;
  void notifyRowChanged();
  void notifyFieldChanged(size_t field);
  void load(std::string_view source);

  std::shared_ptr<RecordsetData> data_;
  Connection* connection_ = nullptr;
  std::string source_;
  int cursorLocation_ = cursor::kUseServer;
  int cursorType_ = cursor::kOpenForwardOnly;
  int lockType_ = lock::kReadOnly;
  bool open_ = false;

  // The view: row ids in display order, each row's position in it, which positions still show a
  // row, and the current position (-1 BOF, view size EOF).
  static constexpr uint32_t kNowhere = UINT32_MAX;
  mutable std::vector<uint32_t> view_;
  mutable std::vector<uint32_t> posOf_;
  mutable RankIndex visible_;
  mutable size_t seenRows_ = 0;  // storage rows the view has considered
  mutable size_t seenRemovals_ = 0;
  mutable uint64_t seenGeneration_ = 0;
  int64_t pos_ = -1;
  bool filtered_ = false;
  std::string filter_;
  std::string sort_;
  std::optional<Criteria> criteria_;
  bool pendingFilter_ = false;
  std::vector<std::pair<size_t, bool>> sortKeys_;  // field, descending, as sort_order.h parses them

  EditMode editMode_ = EditMode::None;
  std::vector<Value> editBackup_;
  int64_t posBeforeAdd_ = -1;
  std::vector<RecordsetListener*> listeners_;
};

// The changes made to a batch recordset while it lives: write() sends them; otherwise they are
// cancelled when it goes, as a transaction rolls back, so that a failed write leaves the rows as
// they were read. The destructor never throws.
class PendingBatch {
 public:
  explicit PendingBatch(Recordset& recordset) : recordset_(recordset) {}
  ~PendingBatch();
  PendingBatch(const PendingBatch&) = delete;
  PendingBatch& operator=(const PendingBatch&) = delete;
  // UpdateBatch; throws what it throws, and the changes are then cancelled.
  void write();

 private:
  Recordset& recordset_;
  bool written_ = false;
};

}  // namespace briskal::data
