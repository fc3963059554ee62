#include "main/window/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace velnor {
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
    if (!detail.isEmpty())
        box.setDetailedText(detail); // collapsed: the message itself is the user's
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

} // namespace velnor
