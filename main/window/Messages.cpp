#include "main/window/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace velnor {

void DialogMessages::warn(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Velnor_V17"), text, QMessageBox::Ok, m_parent);
    if (!detail.isEmpty())
        box.setDetailedText(detail); // collapsed: the message itself is the user's
    box.exec();
}

void DialogMessages::inform(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Velnor_V17"), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool DialogMessages::askYesNo(const QString& text)
{
    return QMessageBox::warning(m_parent, QStringLiteral("Velnor_V17"), text, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

bool DialogMessages::askOkCancel(const QString& text)
{
    return QMessageBox::warning(m_parent, QStringLiteral("Velnor_V17"), text, QMessageBox::Ok | QMessageBox::Cancel)
        == QMessageBox::Ok;
}

void DialogMessages::beep() { QApplication::beep(); }

} // namespace velnor
