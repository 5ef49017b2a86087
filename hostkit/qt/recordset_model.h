#pragma once
// A table model over a recordset's current view: one row per visible row, one column per grid
// column. Only what Qt asks to paint is read and formatted, so a million rows cost what a screen
// of them costs.

#include <QAbstractTableModel>
#include <functional>
#include <memory>
#include <vector>

#include "common/regional.h"
#include "data/recordset.h"
#include "host/controls.h"
#include "hostkit/qt/screen_texts.h"

namespace briskal::hostkit::qt {

class RecordsetModel final : public QAbstractTableModel {
 public:
  RecordsetModel(RegionalSettings regional, ScreenTexts texts)
      : regional_(std::move(regional)), texts_(texts) {}

  // Shows `recordset` (nullptr for nothing) through `columns`.
  void show(data::Recordset* recordset, const std::vector<host::GridColumn>& columns);
  // The recordset's rows or values changed: counts them again and repaints.
  void refresh();
  // Goes on showing the rows as the recordset's view has them now, through a view of its own that
  // no later filter, sort or move of the recordset changes, until show() is given rows again.
  void freeze();
  data::Recordset* recordset() const { return recordset_; }
  const host::GridColumn& column(int index) const { return columns_[static_cast<size_t>(index)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  // Where a person's typed cell value goes; the model stores nothing itself.
  void onEdit(std::function<void(int column, const QString& typed)> handler) { onEdit_ = std::move(handler); }
  // Where a person's click or Space on a check cell goes; the model stores nothing itself.
  void onToggle(std::function<void(int row, int column)> handler) { onToggle_ = std::move(handler); }

  // The text a value shows in its column: numbers by the column's format and the regional
  // settings, dates as the regional short date, Null as nothing.
  QString cellText(const Value& value, const host::GridColumn& column) const;
  // Whether the row is out of the selection: its selection column holds "0".
  bool deselected(int row) const;

 private:
  RegionalSettings regional_;
  ScreenTexts texts_;
  data::Recordset* recordset_ = nullptr;
  std::unique_ptr<data::Recordset> frozen_;  // what recordset_ points to once frozen
  std::vector<host::GridColumn> columns_;
  std::vector<int> fields_;  // the recordset field of each column, -1 when it has none
  int selectionField_ = -1;  // the field of the selection column; a row it sets to "0" shows greyed
  int rows_ = 0;
  std::function<void(int, const QString&)> onEdit_;
  std::function<void(int, int)> onToggle_;
};

}  // namespace briskal::hostkit::qt
