#include "hostkit/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <iostream>

namespace briskal::hostkit::qt {

QtTranslations::QtTranslations(const std::string& locale) {
  if (locale == "en") return;
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  const QString name = "qtbase_" + QString::fromStdString(locale);
  loaded_ = translator_.load(name, folder) && QCoreApplication::installTranslator(&translator_);
  if (!loaded_)
    std::cerr << "briskal: Qt's texts stay in English: " << (folder + "/" + name + ".qm").toStdString()
              << " cannot be loaded (Debian package qt6-translations-l10n)\n";
}

QtTranslations::~QtTranslations() {
  if (loaded_) QCoreApplication::removeTranslator(&translator_);
}

}  // namespace briskal::hostkit::qt
