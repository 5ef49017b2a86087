#include "hostkit/qt/recordset_model.h"

#include <QColor>
#include <algorithm>

#include "common/convert.h"

namespace briskal::hostkit::qt {
namespace {

int rowsOf(const data::Recordset* recordset) {
  if (!recordset || !recordset->isOpen()) return 0;
  return static_cast<int>(std::clamp<int64_t>(recordset->recordCount(), 0, INT32_MAX));
}

}  // namespace

void RecordsetModel::show(data::Recordset* recordset, const std::vector<host::GridColumn>& columns) {
  beginResetModel();
  recordset_ = recordset;
  frozen_.reset();
  columns_ = columns;
  fields_.clear();
  selectionField_ = -1;
  for (const host::GridColumn& c : columns_) {
    fields_.push_back(recordset_ && recordset_->isOpen() ? recordset_->fieldIndex(c.field) : -1);
    if (c.kind == host::GridColumnKind::Selection && selectionField_ < 0) selectionField_ = fields_.back();
  }
  rows_ = rowsOf(recordset_);
  endResetModel();
}

void RecordsetModel::refresh() {
  const int rows = rowsOf(recordset_);
  if (rows != rows_) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
    return;
  }
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

void RecordsetModel::freeze() {
  if (!recordset_ || !recordset_->isOpen()) return;
  // A clone shares the rows and has a view of its own.
  std::unique_ptr<data::Recordset> view = recordset_->clone();
  if (!recordset_->filter().empty()) view->setFilter(recordset_->filter());
  if (!recordset_->sort().empty()) view->setSort(recordset_->sort());
  frozen_ = std::move(view);
  recordset_ = frozen_.get();
  refresh();
}

int RecordsetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int RecordsetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString RecordsetModel::cellText(const Value& value, const host::GridColumn& column) const {
  if (value.isNull() || value.isEmpty()) return {};
  if (value.isNumber() && !column.format.empty())
    return QString::fromStdString(formatNumber(value, column.format, regional_));
  return QString::fromStdString(toText(value, regional_));
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_) return {};
  const int field = fields_[static_cast<size_t>(index.column())];
  if (field < 0) return {};
  const host::GridColumn& c = columns_[static_cast<size_t>(index.column())];
  if (role == Qt::ForegroundRole) return deselected(index.row()) ? QVariant(QColor(Qt::gray)) : QVariant();
  if (role != Qt::DisplayRole && role != Qt::TextAlignmentRole && role != Qt::CheckStateRole) return {};
  Value value;
  try {
    value = recordset_->valueAt(index.row() + 1, static_cast<size_t>(field));
  } catch (const std::exception&) {
    return {};  // the view changed under the paint; the refresh that follows shows it
  }
  using host::GridColumnKind;
  if (role == Qt::TextAlignmentRole) {
    if (c.kind == GridColumnKind::Selection || c.kind == GridColumnKind::Check)
      return QVariant::fromValue(Qt::AlignCenter);
    const bool right = c.kind == GridColumnKind::Numeric || value.isNumber();
    return QVariant::fromValue(right ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (c.kind == GridColumnKind::Check) {
    if (role != Qt::CheckStateRole) return {};
    const bool set = !value.isNull() && !value.isEmpty() && toText(value, regional_) == "1";
    return set ? Qt::Checked : Qt::Unchecked;
  }
  if (role != Qt::DisplayRole) return {};
  return cellText(value, c);
}

bool RecordsetModel::deselected(int row) const {
  if (selectionField_ < 0) return false;
  try {
    const Value selection = recordset_->valueAt(row + 1, static_cast<size_t>(selectionField_));
    return selection.isText() && selection.asText() == "0";
  } catch (const std::exception&) {
    return false;  // as for the cell's text: the refresh that follows shows it
  }
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= columnCount()) return {};
  return texts_(columns_[static_cast<size_t>(section)].title);
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // A check cell toggles with one click or Space, never through a text editor.
  if (columns_[static_cast<size_t>(index.column())].kind == host::GridColumnKind::Check)
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid()) return false;
  if (role == Qt::CheckStateRole && onToggle_) {
    onToggle_(index.row(), index.column());
    return true;
  }
  if (role != Qt::EditRole || !onEdit_) return false;
  onEdit_(index.column(), value.toString());
  return true;
}

}  // namespace briskal::hostkit::qt
