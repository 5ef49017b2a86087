#include "hostkit/qt/form_memory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QSplitter>
#include <QUrl>
#include <algorithm>

#include "hostkit/qt/qt_control.h"
#include "hostkit/qt/qt_control_host.h"
#include "hostkit/qt/qt_query_filter.h"

namespace briskal::hostkit::qt {
namespace {

using Side = host::QueryFilterControl::Side;

QSettings openSettings() { return QSettings("briskal", "briskal"); }

// The controls whose values are kept, in the layout's order.
QList<QWidget*> rememberedWidgets(QWidget& root) {
  QList<QWidget*> remembered;
  for (QWidget* w : root.findChildren<QWidget*>())
    if (w->property("remembered").toBool() && !w->objectName().isEmpty()) remembered << w;
  return remembered;
}

// A filter's rows as caption, from-value and to-value, one after the other.
QStringList flatten(const std::vector<FilterRow>& rows) {
  QStringList flat;
  for (const FilterRow& row : rows) flat << toQt(row.caption) << toQt(row.from) << toQt(row.to);
  return flat;
}

}  // namespace

QString memoryGroup(const QString& company, const QString& user) {
  // Encoded, so that a slash in a code makes no group of its own.
  return QString::fromLatin1(QUrl::toPercentEncoding(company)) + "/" +
         QString::fromLatin1(QUrl::toPercentEncoding(user));
}

QRect fittedInto(const QRect& window, const QRect& bounds) {
  QRect placed(window.topLeft(), window.size().boundedTo(bounds.size()));
  placed.moveRight(std::min(placed.right(), bounds.right()));
  placed.moveBottom(std::min(placed.bottom(), bounds.bottom()));
  placed.moveLeft(std::max(placed.left(), bounds.left()));
  placed.moveTop(std::max(placed.top(), bounds.top()));
  return placed;
}

FormMemory::FormMemory(const QString& group, const QString& formName, QWidget* root, QtControlHost& controls,
                       ScreenTexts texts)
    : prefix_("forms/" + group + "/" + formName + "/"), root_(root), controls_(controls), texts_(texts) {}

bool FormMemory::restoreWindow(QWidget& window, const QRect& bounds) const {
  QSettings settings = openSettings();
  const QRect saved = settings.value(key("geometry")).toRect();
  if (!saved.isValid()) return false;
  window.setGeometry(bounds.isEmpty() ? saved : fittedInto(saved, bounds));
  if (root_)
    for (QSplitter* splitter : root_->findChildren<QSplitter*>())
      splitter->restoreState(settings.value(key("splitters/" + splitter->objectName())).toByteArray());
  return true;
}

bool FormMemory::maximized() const { return openSettings().value(key("maximized"), false).toBool(); }

void FormMemory::saveWindow(const QWidget& window) const {
  QSettings settings = openSettings();
  settings.setValue(key("maximized"), window.isMaximized());
  // A maximised or minimised window keeps the place it had before.
  if (!window.isMaximized() && !window.isMinimized()) settings.setValue(key("geometry"), window.geometry());
  if (root_)
    for (const QSplitter* splitter : root_->findChildren<QSplitter*>())
      if (!splitter->objectName().isEmpty())
        settings.setValue(key("splitters/" + splitter->objectName()), splitter->saveState());
  check(settings);
}

void FormMemory::saveValues() const {
  if (!root_) return;
  QSettings settings = openSettings();
  for (QWidget* w : rememberedWidgets(*root_)) {
    const QString name = key("values/" + w->objectName());
    if (auto* combo = qobject_cast<QComboBox*>(w)) settings.setValue(name, combo->currentData());
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) settings.setValue(name, edit->text());
    else if (auto* box = qobject_cast<QCheckBox*>(w)) settings.setValue(name, box->isChecked());
    else if (auto* filter = controls_.find<QtQueryFilter>(fromQt(w->objectName())))
      settings.setValue(name, flatten(filter->shownRows()));
  }
  check(settings);
}

void FormMemory::restoreValues() const {
  if (!root_) return;
  QSettings settings = openSettings();
  for (QWidget* w : rememberedWidgets(*root_)) {
    const QVariant kept = settings.value(key("values/" + w->objectName()));
    // What a person could not type is not typed for them.
    if (!kept.isValid() || !w->isEnabled()) continue;
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      const int index = combo->findData(kept.toInt());
      if (index >= 0) combo->setCurrentIndex(index);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      if (!edit->isReadOnly()) edit->setText(kept.toString());
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
      box->setChecked(kept.toBool());
    } else if (auto* filter = controls_.find<QtQueryFilter>(fromQt(w->objectName()))) {
      const QStringList flat = kept.toStringList();
      for (qsizetype i = 0; i + 2 < flat.size(); i += 3) {
        const std::string caption = fromQt(flat[i]);
        if (!flat[i + 1].isEmpty()) filter->type(caption, Side::From, fromQt(flat[i + 1]));
        if (!flat[i + 2].isEmpty()) filter->type(caption, Side::To, fromQt(flat[i + 2]));
      }
    }
  }
}

void FormMemory::check(QSettings& settings) const {
  settings.sync();
  static bool told = false;
  if (settings.status() == QSettings::NoError || told) return;
  told = true;
  showError(fromQt(
      texts_("Le impostazioni delle finestre non possono essere salvate in %1.").arg(settings.fileName())));
}

}  // namespace briskal::hostkit::qt
