#include "depthdose/window/PddMessages.h"

#include <QMessageBox>

namespace velnor::pdd {

void DialogPddMessages::warn(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Velnor17_PDD"), text, QMessageBox::Ok, m_parent);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    box.exec();
}

void DialogPddMessages::inform(const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Velnor17_PDD"), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool DialogPddMessages::askOkCancel(const QString& text)
{
    return QMessageBox::warning(m_parent, QStringLiteral("Velnor17_PDD"), text, QMessageBox::Ok | QMessageBox::Cancel)
        == QMessageBox::Ok;
}

} // namespace velnor::pdd
