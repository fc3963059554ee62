#pragma once

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

// The depth-dose program's windows on a small screen (1366 x 768): no larger
// than the screen's free area less the frame a window manager adds; a window
// whose controls need more scrolls. (The program shares no code with the main
// program's windows, so it keeps these few lines of its own.)
namespace velnor::pdd {

inline void fitOnScreen(QWidget* window, QSize preferred)
{
    constexpr int kFrameWidth = 16, kFrameHeight = 48;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, preferred.width() + kFrameWidth, preferred.height() + kFrameHeight);
    window->resize(std::min(preferred.width(), available.width() - kFrameWidth),
                   std::min(preferred.height(), available.height() - kFrameHeight));
}

inline void scrollWhenTooLarge(QWidget* window, QLayout* content)
{
    auto* inner = new QWidget;
    inner->setLayout(content);
    auto* scroll = new QScrollArea(window);
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    fitOnScreen(window, inner->sizeHint() + QSize(4, 4));
}

} // namespace velnor::pdd
