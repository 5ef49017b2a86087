#include "hostkit/qt/qt_query_filter.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStatusTipEvent>
#include <QToolButton>
#include <algorithm>
#include <map>

#include "hostkit/qt/cell_tips.h"

namespace briskal::hostkit::qt {
namespace {

using Side = host::QueryFilterControl::Side;

// Columns: caption, then for each side its value, its search button and its description.
constexpr int kCaption = 0;
constexpr int kColumns = 7;
int valueColumn(Side side) { return side == Side::From ? 1 : 4; }
int buttonColumn(Side side) { return valueColumn(side) + 1; }
int descriptionColumn(Side side) { return valueColumn(side) + 2; }
std::optional<Side> sideOfValueColumn(int column) {
  if (column == valueColumn(Side::From)) return Side::From;
  if (column == valueColumn(Side::To)) return Side::To;
  return std::nullopt;
}
Side sideOfColumn(int column) { return column <= buttonColumn(Side::From) ? Side::From : Side::To; }

// Where a value cell notes that its code is unknown.
constexpr int kUnknownRole = Qt::UserRole + 1;

QTableWidgetItem* readOnly(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

bool isTab(const QKeyEvent& key) { return key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab; }
bool isBackTab(const QKeyEvent& key) {
  return key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier);
}

// The description box handed to the form's decode event, noting whether the form wrote in it.
class WatchedDescription final : public data::Bindable {
 public:
  explicit WatchedDescription(data::Bindable& box) : box_(box) {}
  Value property(std::string_view name) const override { return box_.property(name); }
  void setProperty(std::string_view name, const Value& value) override {
    written_ = true;
    box_.setProperty(name, value);
  }
  void setChangeListener(ChangeListener listener) override { box_.setChangeListener(std::move(listener)); }
  bool written() const { return written_; }

 private:
  data::Bindable& box_;
  bool written_ = false;
};

// The cells' editors: Tab in an editor stores the value and moves as Tab on the table does.
class FilterCells final : public FullTextTips {
 public:
  // `tab` gets whether the key goes back.
  FilterCells(std::function<void(bool back)> tab, QObject* parent)
      : FullTextTips(parent), tab_(std::move(tab)) {}
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* editor = qobject_cast<QWidget*>(object);
    if (!editor || event->type() != QEvent::KeyPress || !isTab(*static_cast<QKeyEvent*>(event)))
      return FullTextTips::eventFilter(object, event);
    const bool back = isBackTab(*static_cast<QKeyEvent*>(event));
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    tab_(back);
    return true;
  }

 private:
  std::function<void(bool)> tab_;
};

}  // namespace

QtQueryFilter::QtQueryFilter(const std::string& name, QTableWidget* table, const RegionalSettings& regional,
                             ScreenTexts texts)
    : QtControl(name, table), texts_(texts), rows_(name, focus_, regional) {
  table->setColumnCount(kColumns);
  table->setHorizontalHeaderLabels(
      {texts_("Campo"), texts_("Da"), "", texts_("Descrizione"), texts_("A"), "", texts_("Descrizione")});
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
  table->horizontalHeader()->setStretchLastSection(true);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setItemDelegate(new FilterCells([this](bool back) { tab(back, true); }, table));
  QObject::connect(table, &QTableWidget::cellChanged, this,
                   [this](int row, int column) { cellEdited(row, column); });
  // Watched from the application, ahead of the work area, which takes Ctrl+Tab for itself.
  QCoreApplication::instance()->installEventFilter(this);
}

void QtQueryFilter::onStartDecode(
    std::function<void(const std::string& caption, Side side, data::Bindable& description)> handler) {
  onStartDecode_ = std::move(handler);
  rows_.onStartDecode([this](const std::string& caption, Side side, data::Bindable& description) {
    WatchedDescription watched(description);
    raiseEvent(onStartDecode_, caption, side, static_cast<data::Bindable&>(watched));
    described_ = watched.written();
  });
}

void QtQueryFilter::start() {
  rows_.start();
  QTableWidget* table = widget();
  if (!table) return;
  showing_ = true;
  const std::vector<FilterColumn>& columns = rows_.columns();
  table->setRowCount(static_cast<int>(columns.size()));
  for (int row = 0; row < table->rowCount(); ++row) {
    table->setItem(row, kCaption, readOnly(texts_(columns[static_cast<size_t>(row)].caption)));
    for (const Side side : {Side::From, Side::To}) {
      table->setItem(row, valueColumn(side), new QTableWidgetItem());
      table->setItem(row, descriptionColumn(side), readOnly({}));
      auto* button = new QToolButton(table);
      button->setText("…");
      button->setToolTip(texts_("Ricerca (F3)"));
      button->setFocusPolicy(Qt::NoFocus);
      button->setAutoRaise(true);
      const std::string caption = columns[static_cast<size_t>(row)].caption;
      QObject::connect(button, &QToolButton::clicked, this, [this, caption, side] { search(caption, side); });
      table->setCellWidget(row, buttonColumn(side), button);
    }
  }
  table->resizeColumnsToContents();
  for (const Side side : {Side::From, Side::To}) {
    table->setColumnWidth(valueColumn(side), std::max(table->columnWidth(valueColumn(side)), 110));
    table->setColumnWidth(descriptionColumn(side),
                          std::max(table->columnWidth(descriptionColumn(side)), 180));
  }
  // The window around the table opens wide enough for every column.
  table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  showing_ = false;
}

int QtQueryFilter::rowOf(const std::string& caption) const {
  const std::vector<FilterColumn>& columns = rows_.columns();
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].caption == caption) return static_cast<int>(i);
  return -1;
}

void QtQueryFilter::showRow(int row) {
  QTableWidget* table = widget();
  if (!table || row < 0 || row >= table->rowCount()) return;
  const std::string& caption = rows_.columns()[static_cast<size_t>(row)].caption;
  std::string from, to;
  for (const FilterRow& typed : rows_.rows()) {
    if (typed.caption != caption) continue;
    from = typed.from;
    to = typed.to;
  }
  showing_ = true;
  table->item(row, valueColumn(Side::From))->setText(toQt(from));
  table->item(row, valueColumn(Side::To))->setText(toQt(to));
  showing_ = false;
}

void QtQueryFilter::type(const std::string& caption, Side side, const std::string& text) {
  const int row = rowOf(caption);
  if (row < 0 || !widget()) return;
  decode(row, side, text);
  // A code whose parent codes are on other rows may be known once they are typed.
  for (int other = 0; other < widget()->rowCount(); ++other)
    if (other != row && unknownAt(other, side))
      decode(other, side, rows_.value(rows_.columns()[static_cast<size_t>(other)].column, side));
}

void QtQueryFilter::decode(int row, Side side, const std::string& text) {
  if (const std::optional<std::string> failure = failureOf([&] { enter(row, side, text); }))
    showError(*failure);
}

void QtQueryFilter::enter(int row, Side side, const std::string& text) {
  const std::string& caption = rows_.columns()[static_cast<size_t>(row)].caption;
  std::string description;
  described_ = false;
  try {
    description = rows_.typeCode(caption, side, text);
  } catch (...) {
    // A value the field refuses leaves the row, and what it showed, as they were.
    showRow(row);
    throw;
  }
  showRow(row);
  showing_ = true;
  widget()->item(row, descriptionColumn(side))->setText(toQt(description));
  showing_ = false;
  markUnknown(row, side, described_ && description.empty() ? text : std::string());
}

void QtQueryFilter::markUnknown(int row, Side side, const std::string& code) {
  QTableWidgetItem* cell = widget()->item(row, valueColumn(side));
  const QString tip = code.empty() ? QString() : texts_("Codice inesistente: %1").arg(toQt(code));
  // Said once: a code decoded again as unknown leaves the status bar to the newest one.
  if (unknownAt(row, side) ? cell->toolTip() == tip : code.empty()) return;
  showing_ = true;
  if (code.empty()) {
    cell->setData(kUnknownRole, QVariant());
    cell->setData(Qt::ForegroundRole, QVariant());
    cell->setData(Qt::BackgroundRole, QVariant());
    cell->setToolTip({});
  } else {
    cell->setData(kUnknownRole, true);
    cell->setForeground(QColor(0xb0, 0x00, 0x20));
    cell->setBackground(QColor(0xfd, 0xe2, 0xe2));
    cell->setToolTip(tip);
  }
  showing_ = false;
  // Said where the operator looks after typing, and taken back once the code is put right.
  QStatusTipEvent status(code.empty() ? QString() : widget()->item(row, kCaption)->text() + " – " + tip);
  QApplication::sendEvent(widget(), &status);
}

bool QtQueryFilter::unknownAt(int row, Side side) const {
  const QTableWidgetItem* cell = widget()->item(row, valueColumn(side));
  return cell && cell->data(kUnknownRole).toBool();
}

bool QtQueryFilter::unknownCode(const std::string& caption, Side side) const {
  const int row = rowOf(caption);
  return row >= 0 && widget() && unknownAt(row, side);
}

std::vector<FilterRow> QtQueryFilter::shownRows() const {
  std::map<std::string, size_t, std::less<>> order;
  for (size_t i = 0; i < rows_.columns().size(); ++i) order.emplace(rows_.columns()[i].caption, i);
  std::vector<FilterRow> rows = rows_.rows();
  std::sort(rows.begin(), rows.end(),
            [&](const FilterRow& a, const FilterRow& b) { return order[a.caption] < order[b.caption]; });
  return rows;
}

void QtQueryFilter::search(const std::string& caption, Side side) {
  const int row = rowOf(caption);
  if (row < 0 || !widget()) return;
  // A code chosen in the list comes back through setValue(), with its description.
  guarded([&] { rows_.requestLookup(caption, side); });
  showRow(row);
}

void QtQueryFilter::setValue(const std::string& column, Side side, const std::string& value) {
  const std::vector<FilterColumn>& columns = rows_.columns();
  const auto it = std::find_if(columns.begin(), columns.end(),
                               [&column](const FilterColumn& c) { return c.column == column; });
  if (it == columns.end() || !widget()) {
    rows_.setValue(column, side, value);
    return;
  }
  enter(static_cast<int>(it - columns.begin()), side, value);
}

std::string QtQueryFilter::description(const std::string& caption, Side side) const {
  const int row = rowOf(caption);
  if (row < 0 || !widget()) return {};
  return fromQt(widget()->item(row, descriptionColumn(side))->text());
}

void QtQueryFilter::cellEdited(int row, int column) {
  if (showing_ || !widget()) return;
  const std::optional<Side> side = sideOfValueColumn(column);
  if (!side) return;
  type(rows_.columns()[static_cast<size_t>(row)].caption, *side, fromQt(widget()->item(row, column)->text()));
}

void QtQueryFilter::tab(bool back, bool editing) {
  QTableWidget* table = widget();
  const QModelIndex current = table->currentIndex();
  int row = current.isValid() ? current.row() : 0;
  Side side = current.isValid() ? sideOfColumn(current.column()) : Side::From;
  if (!back && side == Side::From) side = Side::To;
  else if (!back) side = Side::From, ++row;
  else if (side == Side::To) side = Side::From;
  else side = Side::To, --row;
  if (row < 0 || row >= table->rowCount()) {
    leave(back);
    return;
  }
  table->setCurrentCell(row, valueColumn(side));
  if (editing) table->editItem(table->item(row, valueColumn(side)));
}

void QtQueryFilter::leave(bool back) {
  QTableWidget* table = widget();
  QWidget* next = table;
  do {
    next = back ? next->previousInFocusChain() : next->nextInFocusChain();
  } while (next != table && (table->isAncestorOf(next) || !next->isVisible() || !next->isEnabled() ||
                             !(next->focusPolicy() & Qt::TabFocus)));
  if (next != table) next->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

bool QtQueryFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !widget()) return false;
  auto* receiver = qobject_cast<QWidget*>(watched);
  if (!receiver || (receiver != widget() && !widget()->isAncestorOf(receiver))) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  // Ctrl+Tab leaves the table from a cell or from its editor, which stores its value as it goes.
  if (isTab(*key) && (key->modifiers() & Qt::ControlModifier)) {
    leave(isBackTab(*key));
    return true;
  }
  if (receiver != widget()) return false;
  if (isTab(*key)) {
    tab(isBackTab(*key), false);
    return true;
  }
  if (key->key() != Qt::Key_F3) return false;
  const QModelIndex current = widget()->currentIndex();
  if (!current.isValid()) return false;
  search(rows_.columns()[static_cast<size_t>(current.row())].caption, sideOfColumn(current.column()));
  return true;
}

}  // namespace briskal::hostkit::qt
