#include "main/window/Controls.h"

#include "main/results/ReportPainter.h"

#include <algorithm>
#include <limits>

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace velnor::controls {
namespace {

// Room for the frame and the title bar a window manager adds.
constexpr int kFrameWidth = 16, kFrameHeight = 48;

// The window's own "Cancel" button, when it shows an enabled one.
QPushButton* cancelButton(QWidget* window)
{
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == "Cancel" && b->isVisible() && b->isEnabled())
            return b;
    return nullptr;
}

class EnterClicks : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            // Dialogs (message boxes, file choosers) handle Escape themselves.
            auto* widget = qobject_cast<QWidget*>(watched);
            QWidget* window = widget ? widget->window() : nullptr;
            QPushButton* cancel = window && !qobject_cast<QDialog*>(window) ? cancelButton(window) : nullptr;
            if (!cancel)
                return false;
            cancel->click();
            return true;
        }
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

int availableHeight(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().height() - kFrameHeight : std::numeric_limits<int>::max();
}

void tightenToHeight(QWidget* content, int height)
{
    if (!content->layout() || content->sizeHint().height() <= height)
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
}

void fitOnScreen(QWidget* window, QSize preferred)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window->resize(preferred);
        return;
    }
    const QRect available = screen->availableGeometry();
    window->resize(std::min(preferred.width(), available.width() - kFrameWidth),
                   std::min(preferred.height(), available.height() - kFrameHeight));
}

void scrollWhenTooLarge(QWidget* window, QLayout* content)
{
    auto* inner = new QWidget;
    inner->setLayout(content);
    auto* scroll = new QScrollArea(window);
    scroll->setObjectName("ScrollArea");
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    window->setMinimumSize(320, 240);
    fitScrollingWindow(window);
}

void fitScrollingWindow(QWidget* window)
{
    // The scroll bars appear only when the screen is too small for the content,
    // and only after the spacing has been made as tight as it goes.
    auto* scroll = window->findChild<QScrollArea*>("ScrollArea", Qt::FindDirectChildrenOnly);
    if (scroll && scroll->widget()) {
        QWidget* inner = scroll->widget();
        tightenToHeight(inner, availableHeight(window));
        // Room for a vertical scroll bar, so that a window cut in height
        // does not lose its right edge to it as well.
        const int bar = scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        fitOnScreen(window, inner->sizeHint().expandedTo(inner->minimumSizeHint()) + QSize(4 + bar, 4));
    }
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

bool printPages(const std::vector<ReportPage>& pages, const QString& pdfName, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(6, 10, 6, 10), QPageLayout::Millimeter);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir::current().filePath(pdfName));
    }
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (std::size_t k = 0; k < pages.size(); ++k) {
        if (k > 0)
            printer.newPage();
        paintReport(pages[k], printer, painter);
    }
    painter.end();
    return true;
}

} // namespace velnor::controls
