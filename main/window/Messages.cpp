#include "main/window/Messages.h"

#include "common/Reasons.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

namespace velnor {

QString breakAtPhrases(const QString& text, const QFontMetrics& metrics, int room)
{
    QStringList out;
    for (const QString& line : text.split('\n')) {
        // Pieces that end after a punctuation mark or a blank: a line may
        // break only between them.
        QStringList pieces;
        QString piece;
        for (const QChar c : line) {
            piece += c;
            // Leading blanks (the messages' own margins) stay with the words after them.
            if (QStringLiteral("。、，,．.！？!?　 ").contains(c) && !piece.trimmed().isEmpty()) {
                pieces << piece;
                piece.clear();
            }
        }
        if (!piece.isEmpty())
            pieces << piece;
        QString current;
        for (const QString& p : pieces) {
            if (!current.isEmpty() && metrics.horizontalAdvance(current + p) > room) {
                out << current;
                current.clear();
            }
            current += p;
        }
        out << current;
    }
    return out.join('\n');
}

QString detailOf(const std::exception& error) { return QString::fromStdString(japaneseOf(error)); }

void keepWordsWhole(QMessageBox& box)
{
    // Japanese has no spaces to break at, and Qt would break a long message
    // inside a word. Lines stay whole, as wide as they need within the
    // screen; a line wider than the screen breaks after a punctuation mark.
    auto* label = box.findChild<QLabel*>("qt_msgbox_label");
    if (!label)
        return;
    const QScreen* screen = box.screen();
    const int room = screen ? screen->availableGeometry().width() - 160 : 1200;
    const QString text = breakAtPhrases(box.text(), label->fontMetrics(), room);
    box.setText(text);
    int widest = 0;
    for (const QString& line : text.split('\n'))
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
    label->setWordWrap(false);
    label->setMinimumWidth(std::min(widest, room));
}

void prepareMessageBox(QMessageBox& box, const QString& detail)
{
    if (!detail.isEmpty())
        box.setDetailedText(detail); // collapsed: the message itself is the user's
    keepWordsWhole(box);
}

namespace {

// A message belongs to the window the user is working in (a dialog raised
// it), not to the main window: parented there, it stays in front of that
// window, and afterwards that window and its field have the keyboard again.
int runOwned(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons, const QString& detail,
             QWidget* fallbackOwner)
{
    QWidget* focus = QApplication::focusWidget();
    QWidget* owner = QApplication::activeWindow() ? QApplication::activeWindow() : fallbackOwner;
    QMessageBox box(icon, QStringLiteral("Velnor_V17"), text, buttons, owner);
    prepareMessageBox(box, detail);
    const int answer = box.exec();
    if (owner) {
        owner->raise();
        owner->activateWindow();
    }
    if (focus)
        focus->setFocus();
    return answer;
}

} // namespace

void DialogMessages::warn(const QString& text, const QString& detail)
{
    runOwned(QMessageBox::Warning, text, QMessageBox::Ok, detail, m_parent);
}

void DialogMessages::inform(const QString& text) { runOwned(QMessageBox::NoIcon, text, QMessageBox::Ok, {}, m_parent); }

bool DialogMessages::askYesNo(const QString& text)
{
    return runOwned(QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No, {}, m_parent) == QMessageBox::Yes;
}

bool DialogMessages::askOkCancel(const QString& text)
{
    return runOwned(QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel, {}, m_parent) == QMessageBox::Ok;
}

void DialogMessages::beep() { QApplication::beep(); }

int DialogMessages::choose(const QString& text, const QStringList& items)
{
    bool ok = false;
    const QString item = QInputDialog::getItem(m_parent, "Velnor_V17", text, items, 0, false, &ok);
    return ok ? static_cast<int>(items.indexOf(item)) : -1;
}

} // namespace velnor
