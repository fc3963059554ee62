// Velnor_V17: the main window of the entrance-surface-dose calculation. The
// working folder holds the reference data and receives the exchange files.
#include "main/window/MainWindow.h"

#include <QApplication>
#include <QFont>

#include <filesystem>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFont font("Noto Sans CJK JP");
    font.setPointSize(10);
    QApplication::setFont(font);
    velnor::MainWindow window(std::filesystem::current_path());
    if (!window.startUp())
        return 1;
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
