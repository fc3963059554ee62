#pragma once

#include <QGridLayout>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
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

// When `content` is taller than the screen holds, its layouts get tighter
// spacing and margins; the controls keep their order, sizes and captions.
inline void tightenToScreen(QWidget* window, QWidget* content)
{
    constexpr int kFrameHeight = 48;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen || !content->layout() || content->sizeHint().height() <= screen->availableGeometry().height() - kFrameHeight)
        return;
    QList<QLayout*> layouts = content->findChildren<QLayout*>();
    layouts.prepend(content->layout());
    for (QLayout* layout : layouts) {
        if (auto* grid = qobject_cast<QGridLayout*>(layout))
            grid->setVerticalSpacing(1);
        else if (auto* box = qobject_cast<QBoxLayout*>(layout); box && box->direction() >= QBoxLayout::TopToBottom)
            box->setSpacing(2);
        const QMargins m = layout->contentsMargins();
        layout->setContentsMargins(std::min(m.left(), 6), std::min(m.top(), 2), std::min(m.right(), 6), std::min(m.bottom(), 2));
    }
    content->layout()->activate();
    // Still too tall: entry fields no higher than their text needs.
    if (content->sizeHint().height() > screen->availableGeometry().height() - kFrameHeight)
        for (QLineEdit* edit : content->findChildren<QLineEdit*>())
            edit->setFixedHeight(std::min(edit->sizeHint().height(), edit->fontMetrics().height() + 4));
    content->layout()->activate();
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
    tightenToScreen(window, inner);
    fitOnScreen(window, inner->sizeHint() + QSize(4, 4));
}

} // namespace velnor::pdd
