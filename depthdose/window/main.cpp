// Velnor17_PDD: the depth dose, organ doses and approximate effective dose of
// the case the main program handed over in the working folder.
#include "depthdose/window/DepthDoseWindow.h"

#include <QApplication>
#include <QFont>

#include <filesystem>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFont font("Noto Sans CJK JP");
    font.setPointSize(10);
    QApplication::setFont(font);
    velnor::pdd::DepthDoseWindow window(std::filesystem::current_path());
    window.show();
    window.start();
    return app.exec();
}
