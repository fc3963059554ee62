#include "depthdose/window/PddMessages.h"

#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

namespace velnor::pdd {
namespace {

// Japanese has no spaces to break at: each line of a message stays whole, the
// box as wide as it needs within the screen.
void keepWordsWhole(QMessageBox& box)
{
    if (auto* label = box.findChild<QLabel*>("qt_msgbox_label")) {
        const QScreen* screen = box.screen();
        const int room = screen ? screen->availableGeometry().width() - 160 : 1200;
        int widest = 0;
        for (const QString& line : box.text().split('\n'))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        if (widest <= room) {
            label->setWordWrap(false);
            label->setMinimumWidth(widest);
        }
    }
}

} // namespace

void DialogPddMessages::warn(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Velnor17_PDD"), text, QMessageBox::Ok, m_parent);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    keepWordsWhole(box);
    box.exec();
}

void DialogPddMessages::inform(const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Velnor17_PDD"), text, QMessageBox::Ok, m_parent);
    keepWordsWhole(box);
    box.exec();
}

bool DialogPddMessages::askOkCancel(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Velnor17_PDD"), text, QMessageBox::Ok | QMessageBox::Cancel, m_parent);
    keepWordsWhole(box);
    return box.exec() == QMessageBox::Ok;
}

} // namespace velnor::pdd
