// Velnor17_PDD: the depth dose, organ doses and approximate effective dose of
// the case the main program handed over in the working folder.
#include "depthdose/window/DepthDoseWindow.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <filesystem>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Qt's own buttons and dialogs in Japanese, as in the main program
    // (VELNOR_LANG=en keeps English); this program shares no code with it.
    QTranslator qtTexts;
    const QLocale system = QLocale::system();
    const bool ownCatalogue = system.language() != QLocale::Japanese && system.language() != QLocale::C
        && system.language() != QLocale::English
        && qtTexts.load(system, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (qEnvironmentVariable("VELNOR_LANG") != "en"
        && (ownCatalogue
            || qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))))
        app.installTranslator(&qtTexts);
    QFont font("Noto Sans CJK JP");
    font.setPointSize(10);
    QApplication::setFont(font);
    velnor::pdd::DepthDoseWindow window(std::filesystem::current_path());
    window.show();
    window.start();
    return app.exec();
}
