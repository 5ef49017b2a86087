#include "hostkit/qt/screen_texts.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "hostkit/messages/message_catalogue.h"

namespace briskal::hostkit::qt {

QString ScreenTexts::operator()(const std::string& italian) const {
  return QString::fromStdString(catalogue_ ? catalogue_->screenText(italian) : italian);
}

void ScreenTexts::translate(QWidget* root) const {
  if (!catalogue_ || !root) return;
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    if (!w->windowTitle().isEmpty()) w->setWindowTitle((*this)(w->windowTitle()));
    if (!w->toolTip().isEmpty()) w->setToolTip((*this)(w->toolTip()));
    if (auto* label = qobject_cast<QLabel*>(w)) label->setText((*this)(label->text()));
    if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText((*this)(button->text()));
    if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle((*this)(group->title()));
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setPlaceholderText((*this)(edit->placeholderText()));
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      for (int i = 0; i < tabs->count(); ++i) tabs->setTabText(i, (*this)(tabs->tabText(i)));
    }
  }
}

}  // namespace briskal::hostkit::qt
