#pragma once
// Cells of a table show their whole text in a tool tip when their column is too narrow for it; a
// cell's own tool tip, when it has one, is shown instead.

#include <QStyledItemDelegate>

namespace briskal::hostkit::qt {

class FullTextTips : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;
};

}  // namespace briskal::hostkit::qt
