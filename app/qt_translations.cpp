#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kalvor {

QTranslator* InstallQtFrench() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    // "qt_fr" gathers the catalogues of every Qt module.
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qt"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

}  // namespace kalvor
