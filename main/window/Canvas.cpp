#include "main/window/Canvas.h"

#include <QPalette>
#include <QWidget>

namespace velnor {

void paintWhite(QWidget* canvas)
{
    canvas->setAutoFillBackground(true);
    QPalette p = canvas->palette();
    p.setColor(QPalette::Window, Qt::white);
    canvas->setPalette(p);
}

} // namespace velnor
