// Velnor17_PDD: the depth dose, organ doses and approximate effective dose of
// the case the main program handed over in the working folder.
#include "common/Version.h"
#include "depthdose/window/DepthDoseWindow.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

const char* const kUsage = R"(usage: Velnor17_PDD
       Velnor17_PDD --version

The depth-dose program: the central-axis percentage depth dose in soft tissue
of the case that the main program Velnor_V17 handed over in the working folder
(the current folder; the hand-off Velnor2PDD.dat), drawn with its primary and
scatter components, and on request the organ doses and the approximate
effective dose from the organ rows of the body part (Organ-data), written
into Eff-Dose.dat for the main program's results table. Velnor_V17 starts it;
velnor-pdd gives the same figures without windows.
)";

} // namespace

int main(int argc, char** argv)
{
    // Answered before any window exists, so that they work without a display.
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 ? 0 : 3;
        }
        if (arg == "--version") {
            std::printf("Velnor17_PDD %s\n", velnor::programVersion());
            return std::fflush(stdout) == 0 ? 0 : 3;
        }
    }
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
