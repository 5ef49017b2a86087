#pragma once
// A grid without a screen, over a recordset: it keeps the columns and the key field, and follows
// the recordset's current row. A move to another row raises the row-changed event, whether the
// code moved the recordset or a person selected a row. The grid listens to its recordset, so it
// must be detached (setDataSource(nullptr) or releaseContents) before the recordset goes away.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/recordset.h"
#include "hostkit/controls/headless_control.h"

namespace briskal::hostkit {

class HeadlessGrid final : public HeadlessControl<host::GridControl>, private data::RecordsetListener {
 public:
  using HeadlessControl::HeadlessControl;
  ~HeadlessGrid() override;

  // Binding a recordset raises nothing; the grid then follows its moves.
  void setDataSource(data::Recordset* recordset) override;
  data::Recordset* dataSource() const override { return source_; }
  void clearColumns() override { columns_.clear(); }
  void addColumn(const host::GridColumn& column) override { columns_.push_back(column); }
  const std::vector<host::GridColumn>& columns() const override { return columns_; }
  void setKeyField(const std::string& field) override { keyField_ = field; }
  // Detaches the data and drops the columns and the key field: the grid shows nothing.
  void releaseContents() override;
  void onCellDoubleClick(std::function<void(const std::string& field)> handler) override {
    onCellDoubleClick_ = std::move(handler);
  }
  void onRowChanged(std::function<void()> handler) override { onRowChanged_ = std::move(handler); }
  void onEdited(std::function<void(const std::string&, const Value&, bool&)> handler) override {
    onEdited_ = std::move(handler);
  }
  void onKeyPress(std::function<void(const std::string&, int32_t)> handler) override {
    onKeyPress_ = std::move(handler);
  }

  const std::string& keyField() const { return keyField_; }

  // What a person does: double-clicks the cell of column `field` in the current row. Error 3265
  // when the grid has no such column; false when the grid is disabled or hidden.
  bool doubleClickCell(const std::string& field);
  // What a person does: clicks the row at 1-based `position` of the recordset's view, which
  // becomes the current row. Error 3704 without a data source; false when disabled or hidden.
  bool selectRow(int64_t position);
  // What a person does: types `value` into the cell of `field` in the current row and leaves it.
  // The edited event may cancel; otherwise the value is saved into the row at once, and a value
  // the field refuses throws the recordset's error with the row unchanged. False when cancelled,
  // when the grid is disabled or hidden, or has no current row or no such field.
  bool editCell(const std::string& field, const Value& value);
  // What a person does: presses a key in the column of `field`. False, raising nothing, when the
  // grid is disabled, hidden or has no data source.
  bool pressKey(const std::string& field, int32_t keyCode);

 private:
  void currentRowChanged() override;
  void fieldChanged(size_t) override {}
  // The row the recordset stands on; nullopt at either end or when it is closed.
  std::optional<data::Bookmark> currentRow() const;

  data::Recordset* source_ = nullptr;
  std::optional<data::Bookmark> shownRow_;
  std::vector<host::GridColumn> columns_;
  std::string keyField_;
  std::function<void(const std::string&)> onCellDoubleClick_;
  std::function<void()> onRowChanged_;
  std::function<void(const std::string&, const Value&, bool&)> onEdited_;
  std::function<void(const std::string&, int32_t)> onKeyPress_;
};

}  // namespace briskal::hostkit
