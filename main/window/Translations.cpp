#include "main/window/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velnor {

bool installQtTranslations(QCoreApplication& app)
{
    if (qEnvironmentVariable("VELNOR_LANG") == "en")
        return false;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    const QLocale system = QLocale::system();
    if (system.language() != QLocale::Japanese && system.language() != QLocale::C && system.language() != QLocale::English
        && translator->load(system, "qtbase", "_", folder)) {
        app.installTranslator(translator);
        return false;
    }
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_", folder)) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}

} // namespace velnor
