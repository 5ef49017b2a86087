#include "hostkit/qt/cell_tips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace briskal::hostkit::qt {

bool FullTextTips::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                             const QModelIndex& index) {
  if (!event || event->type() != QEvent::ToolTip || !view || !index.isValid() ||
      index.data(Qt::ToolTipRole).isValid())
    return QStyledItemDelegate::helpEvent(event, view, option, index);
  const QString text = index.data(Qt::DisplayRole).toString();
  if (text.isEmpty() || sizeHint(option, index).width() <= option.rect.width()) {
    QToolTip::hideText();
    return true;
  }
  QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
  return true;
}

}  // namespace briskal::hostkit::qt
