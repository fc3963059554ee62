#include "main/window/Controls.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace velnor::controls {
namespace {

class EnterClicks : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || (key != Qt::Key_Return && key != Qt::Key_Enter))
            return false;
        if (button->isEnabled() && button->isVisible())
            button->click();
        return true;
    }
};

} // namespace

void enterClicksButtons(QObject* owner)
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(new EnterClicks(owner));
}

QStringList filesWithExtensions(const std::filesystem::path& folder, const QStringList& extensions)
{
    QStringList names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const QString name = QString::fromStdString(it->path().filename().string());
        std::error_code fileError;
        if (!it->is_regular_file(fileError))
            continue;
        for (const QString& extension : extensions)
            if (name.endsWith(extension, Qt::CaseInsensitive)) {
                names << name;
                break;
            }
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

} // namespace velnor::controls
