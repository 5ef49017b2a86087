#include "hostkit/qt/qt_query_filter.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QToolButton>

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

QTableWidgetItem* readOnly(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

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
  QObject::connect(table, &QTableWidget::cellChanged, this,
                   [this](int row, int column) { cellEdited(row, column); });
  table->installEventFilter(this);
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
  std::string description;
  guarded([&] { description = rows_.typeCode(caption, side, text); });
  showRow(row);
  widget()->item(row, descriptionColumn(side))->setText(toQt(description));
}

void QtQueryFilter::search(const std::string& caption, Side side) {
  const int row = rowOf(caption);
  if (row < 0 || !widget()) return;
  guarded([&] {
    const LookupOutcome outcome = rows_.requestLookup(caption, side);
    if (outcome.handled) widget()->item(row, descriptionColumn(side))->setText(toQt(outcome.description));
  });
  showRow(row);
}

void QtQueryFilter::setValue(const std::string& column, Side side, const std::string& value) {
  rows_.setValue(column, side, value);
  for (size_t i = 0; i < rows_.columns().size(); ++i)
    if (rows_.columns()[i].column == column) showRow(static_cast<int>(i));
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

bool QtQueryFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget() || event->type() != QEvent::KeyPress) return false;
  if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_F3) return false;
  const QModelIndex current = widget()->currentIndex();
  if (!current.isValid()) return false;
  const std::optional<Side> side = current.column() <= buttonColumn(Side::From)
                                       ? std::optional<Side>(Side::From)
                                       : std::optional<Side>(Side::To);
  search(rows_.columns()[static_cast<size_t>(current.row())].caption, *side);
  return true;
}

}  // namespace briskal::hostkit::qt
