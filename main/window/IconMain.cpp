// velnor-icon FILE.png [SIZE]: the program's icon, the mascot dog of the main
// window, drawn at SIZE x SIZE pixels (default 128) on a transparent ground.
#include "main/window/UserWindows.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || std::string(argv[1]) == "--help") {
        std::puts("usage: velnor-icon FILE.png [SIZE]\nDraws the program's icon, the mascot dog, into FILE.png.");
        return argc < 2 || argc > 3 ? 2 : 0;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int size = argc == 3 ? std::atoi(argv[2]) : 128;
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "velnor-icon: a size from 16 to 1024 pixels\n");
        return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The dog fills x 16..80 and y 10..57 of its 96 x 60 area: centred and scaled to the square.
    const double scale = size / 68.0;
    p.scale(scale, scale);
    p.translate(-14, -6);
    velnor::paintMascotDog(p);
    p.end();
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "velnor-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
