#pragma once
// The screen's texts in the session's language. The forms and their layouts write their captions
// in Italian; the catalogue's screen section gives them in its own language.

#include <QString>
#include <string>

class QWidget;

namespace briskal::hostkit {
class MessageCatalogue;
}

namespace briskal::hostkit::qt {

class ScreenTexts {
 public:
  // Without a catalogue every text shows as written.
  explicit ScreenTexts(const MessageCatalogue* catalogue = nullptr) : catalogue_(catalogue) {}
  QString operator()(const std::string& italian) const;
  QString operator()(const QString& italian) const { return (*this)(italian.toStdString()); }
  QString operator()(const char* italian) const { return (*this)(std::string(italian)); }
  // Every text of a layout's widgets: titles, labels, buttons, group boxes, tabs, tool tips.
  void translate(QWidget* root) const;

 private:
  const MessageCatalogue* catalogue_;
};

}  // namespace briskal::hostkit::qt
