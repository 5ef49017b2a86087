#include "hostkit/qt/qt_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "hostkit/qt/cell_tips.h"
#include "hostkit/qt/virtual_keys.h"

namespace briskal::hostkit::qt {
namespace {

// A numeric column takes digits, a sign and a decimal separator only; the other columns anything.
class CellEditors final : public FullTextTips {
 public:
  CellEditors(const RecordsetModel& model, QObject* parent) : FullTextTips(parent), model_(model) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = FullTextTips::createEditor(parent, option, index);
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line && model_.column(index.column()).kind == host::GridColumnKind::Numeric)
      line->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9]*([.,][0-9]*)?"), line));
    return editor;
  }

 private:
  const RecordsetModel& model_;
};

}  // namespace

QtGrid::QtGrid(std::string name, QTableView* view, RegionalSettings regional, ScreenTexts texts)
    : QtControl(std::move(name), view), model_(std::make_unique<RecordsetModel>(std::move(regional), texts)) {
  view->setModel(model_.get());
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  view->horizontalHeader()->setStretchLastSection(true);
  model_->onEdit([this](int column, const QString& typed) { edit(column, typed); });
  model_->onToggle([this](int row, int column) { toggle(row, column); });
  view->setItemDelegate(new CellEditors(*model_, view));
  QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                   [this](const QModelIndex& current, const QModelIndex&) {
                     if (following_ || !source_ || !current.isValid()) return;
                     guarded([&] {
                       if (source_->absolutePosition() != current.row() + 1)
                         source_->setAbsolutePosition(current.row() + 1);
                     });
                   });
  QObject::connect(view, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    guarded([&] { raiseEvent(onCellDoubleClick_, fieldOfColumn(index.column())); });
  });
  view->installEventFilter(this);
}

QtGrid::~QtGrid() {
  if (source_) source_->removeListener(this);
}

void QtGrid::setDataSource(data::Recordset* recordset) {
  if (source_) source_->removeListener(this);
  // A form lets go of its rows while it works on them, for as long as a print run with its dialogs
  // over the grid: meanwhile the grid shows them as they were, not an empty table.
  if (!recordset && source_) {
    source_ = nullptr;
    model_->freeze();
    return;
  }
  source_ = recordset;
  if (source_) source_->addListener(this);
  showColumns();
  followCurrentRow();
}

void QtGrid::clearColumns() {
  columns_.clear();
  showColumns();
}

void QtGrid::addColumn(const host::GridColumn& column) {
  columns_.push_back(column);
  showColumns();
}

void QtGrid::releaseContents() {
  setDataSource(nullptr);
  columns_.clear();
  keyField_.clear();
  showColumns();
}

void QtGrid::showColumns() {
  model_->show(source_, columns_);
  if (!widget()) return;
  // A column the form gives a width keeps it; the others are as wide as their title or the values
  // shown, whichever is wider.
  widget()->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
    const int32_t twips = columns_[static_cast<size_t>(c)].width;
    // A width set for the platform's font never clips the title in this one.
    if (twips > 0)
      widget()->setColumnWidth(
          c, std::max(twips / kTwipsPerPixel, widget()->horizontalHeader()->sectionSizeHint(c)));
    else widget()->resizeColumnToContents(c);
  }
}

std::string QtGrid::fieldOfColumn(int column) const {
  return column >= 0 && column < static_cast<int>(columns_.size())
             ? columns_[static_cast<size_t>(column)].field
             : std::string();
}

void QtGrid::currentRowChanged() {
  model_->refresh();
  followCurrentRow();
  raiseEvent(onRowChanged_);
}

void QtGrid::followCurrentRow() {
  if (!widget() || !source_ || !source_->isOpen()) return;
  const int64_t position = source_->absolutePosition();
  if (position < 1) return;
  following_ = true;
  const QModelIndex current = widget()->currentIndex();
  const QModelIndex row = model_->index(static_cast<int>(position - 1), std::max(current.column(), 0));
  widget()->setCurrentIndex(row);
  widget()->scrollTo(row);
  following_ = false;
}

void QtGrid::edit(int column, const QString& typed) {
  guarded([&] {
    const std::string field = fieldOfColumn(column);
    data::Recordset* const edited = source_;
    if (!edited || field.empty() || edited->fieldIndex(field) < 0 || edited->absolutePosition() < 1) return;
    const int64_t row = edited->absolutePosition();
    const Value value(fromQt(typed));
    bool cancel = false;
    raiseEvent(onEdited_, field, value, cancel);
    // A handler that moved, closed or replaced the data has taken away the row being edited.
    if (cancel || source_ != edited || edited->absolutePosition() != row) return;
    edited->setValue(field, value);
    edited->update();
  });
  model_->refresh();
}

void QtGrid::toggle(int row, int column) {
  guarded([&] {
    if (!source_ || !source_->isOpen()) return;
    if (source_->absolutePosition() != row + 1) source_->setAbsolutePosition(row + 1);
    raiseEvent(onCellDoubleClick_, fieldOfColumn(column));
  });
  model_->refresh();
}

bool QtGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget() || event->type() != QEvent::KeyPress || !source_) return false;
  const int32_t key = virtualKey(static_cast<QKeyEvent*>(event)->key());
  if (key == 0) return false;
  guarded([&] { raiseEvent(onKeyPress_, fieldOfColumn(widget()->currentIndex().column()), key); });
  return false;
}

}  // namespace briskal::hostkit::qt
