// Velnor_V17 [FOLDER]: the main window of the entrance-surface-dose
// calculation. The working folder (FOLDER; else, installed, the user's own
// folder; else the current one) holds the reference data and receives the
// exchange files.
#include "common/WorkingFolder.h"
#include "main/window/Messages.h"
#include "main/window/MainWindow.h"
#include "main/window/Translations.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>

#include <filesystem>

int main(int argc, char** argv)
{
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
