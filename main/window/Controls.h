#pragma once

#include "main/results/ReportLayout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSize>
#include <QPushButton>
#include <QStringList>

#include <filesystem>

// Small helpers the windows share: controls created with their object name
// (the name the tests find them by), and a folder's files of some extensions.
namespace velnor::controls {

inline QLabel* label(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

inline QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

inline QLineEdit* edit(const QString& name, QWidget* parent, int maximumWidth = 120)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaximumWidth(maximumWidth);
    return e;
}

// A window's heading: its text larger by `sizeDelta` points, bold if asked.
inline QLabel* heading(const QString& text, QWidget* parent, int sizeDelta, bool bold = false)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSize(f.pointSize() + sizeDelta);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

// The row of a dialog's closing buttons, to the right.
inline QHBoxLayout* buttonRow(std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* b : buttons)
        row->addWidget(b);
    return row;
}

// The item the user selected in a list, or none. Qt makes an item current
// when a list gets the focus, without selecting it: acting on the current
// item would act on a choice the user never made.
inline QListWidgetItem* chosenItem(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

// From now on Enter or Return on a focused button clicks it, in every window
// of the program, as Space does (Qt does so only in dialogs), and Escape
// in a window with a "Cancel" button presses it. The filter belongs to
// `owner`.
void enterClicksButtons(QObject* owner);

// The smallest screen the windows must be usable on: the most common laptop.
inline constexpr int kSmallScreenWidth = 1366, kSmallScreenHeight = 768;

// Sizes a top-level window to `preferred`, but no larger than the available
// area of its screen (less its frame and title bar), so that its buttons are
// never off the screen.
void fitOnScreen(QWidget* window, QSize preferred);
// The height a window's content may take on its screen (the frame and title
// bar a window manager adds taken off).
int availableHeight(QWidget* window);
// When `content` is taller than `height`, its layouts get tighter spacing
// and margins (the controls keep their order, sizes and captions).
void tightenToHeight(QWidget* content, int height);

// Shows a window in front with the keyboard, as a user who asked for it
// expects (raising alone leaves the keys with the window they pressed in).
inline void bringForward(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

// Lays `content` out in a scroll area that fills `window`, and sizes the
// window to the content as far as the screen allows: on a small screen the
// window scrolls, its controls keep their size.
void scrollWhenTooLarge(QWidget* window, QLayout* content);
// Sizes such a window to its content again (after the content has grown,
// e.g. once lists are filled), as far as the screen allows.
void fitScrollingWindow(QWidget* window);

// The names of the regular files in `folder` that end in one of `extensions`
// (any letter case), sorted without regard to case.
// Prints the pages (A4 landscape) through the platform's print dialog: on a
// printer, or into a PDF file named `pdfName` in the current folder where
// none is installed. False when the user cancels or the printer refuses.
bool printPages(const std::vector<ReportPage>& pages, const QString& pdfName, QWidget* parent);

QStringList filesWithExtensions(const std::filesystem::path& folder, const QStringList& extensions);

} // namespace velnor::controls
