// Velnor_V17 [FOLDER]: the main window of the entrance-surface-dose
// calculation. The working folder (FOLDER; else, installed, the user's own
// folder; else the current one) holds the reference data and receives the
// exchange files.
#include "common/Version.h"
#include "common/WorkingFolder.h"
#include "main/window/Messages.h"
#include "main/window/MainWindow.h"
#include "main/window/Translations.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

const char* const kUsage = R"(usage: Velnor_V17 [FOLDER]
       Velnor_V17 --version

The main window of the entrance-surface-dose calculation for diagnostic X-ray
examinations: exposure conditions, the tungsten-anode spectrum and its beam
quality, the exposure at 1 m from a tube output table, conversion and
backscatter factors (flat surfaces from tables, curved ones by the Monte Carlo
programs bsfmc_cylinder, bsfmc_ellipse and bsfmc_racetrack), the entrance
surface doses, a results table saved as CSV and printed, and the depth-dose
program Velnor17_PDD for organ doses and the approximate effective dose.

FOLDER is the working folder: it holds the reference data and receives the
exchange files. Without it, an installed program works in the user's folder
~/.local/share/velnor ($XDG_DATA_HOME/velnor when set), prepared at every start
from /usr/share/velnor (reference tables refreshed, the user's files kept);
otherwise in the current folder.
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
            std::printf("Velnor_V17 %s\n", velnor::programVersion());
            return std::fflush(stdout) == 0 ? 0 : 3;
        }
    }
    QApplication app(argc, argv);
    velnor::installQtTranslations(app);
    QFont font("Noto Sans CJK JP");
    font.setPointSize(10);
    QApplication::setFont(font);
    std::filesystem::path folder;
    try {
        folder = argc > 1 ? std::filesystem::absolute(argv[1]) : velnor::defaultWorkingFolder();
        std::filesystem::current_path(folder); // the programs it starts work there too
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "Velnor_V17", QString("作業フォルダを準備できません\n") + velnor::detailOf(e));
        return 1;
    }
    velnor::MainWindow window(folder);
    if (!window.startUp())
        return 1;
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
