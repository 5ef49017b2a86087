#pragma once
// Qt's own texts (standard buttons, file dialogs, the edit context menu) in the session's
// language, for as long as the session's window lives. English needs nothing: Qt writes it.

#include <QTranslator>
#include <string>

namespace briskal::hostkit::qt {

class QtTranslations {
 public:
  // Tells on stderr when the language's translations are not installed: the screen then mixes
  // Qt's English with the session's language, but works.
  explicit QtTranslations(const std::string& locale);
  ~QtTranslations();
  QtTranslations(const QtTranslations&) = delete;
  QtTranslations& operator=(const QtTranslations&) = delete;

  bool loaded() const { return loaded_; }

 private:
  QTranslator translator_;
  bool loaded_ = false;
};

}  // namespace briskal::hostkit::qt
