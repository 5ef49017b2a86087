#pragma once
// What a form window keeps between its openings, per company and user: the window's place, size
// and maximised state, the splitters of its layout, and the values of the controls its layout
// marks with the "remembered" property. Values come back through the widgets, in the layout's
// order, so the form's change events run as they do when a person types them.

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include "hostkit/qt/screen_texts.h"

class QSettings;

namespace briskal::hostkit::qt {

class QtControlHost;

// The settings group of a company's and a user's forms.
QString memoryGroup(const QString& company, const QString& user);
// `window` moved, and shrunk if need be, to lie inside `bounds`.
QRect fittedInto(const QRect& window, const QRect& bounds);

class FormMemory {
 public:
  // `group` is memoryGroup()'s.
  FormMemory(const QString& group, const QString& formName, QWidget* root, QtControlHost& controls,
             ScreenTexts texts);

  // Places `window` where it was last left, kept inside `bounds` (in its parent's coordinates, or
  // the screen's for a top-level window); false when nothing was kept.
  bool restoreWindow(QWidget& window, const QRect& bounds) const;
  // Whether the window was last left maximised.
  bool maximized() const;
  void saveWindow(const QWidget& window) const;
  void restoreValues() const;
  void saveValues() const;

 private:
  QString key(const QString& name) const { return prefix_ + name; }
  // Says once a session that the settings cannot be written, naming their file.
  void check(QSettings& settings) const;

  QString prefix_;
  QPointer<QWidget> root_;
  QtControlHost& controls_;
  ScreenTexts texts_;
};

}  // namespace briskal::hostkit::qt
