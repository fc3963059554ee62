#include "main/window/ResultsWindow.h"

#include "main/window/Controls.h"

#include <QScreen>

#include "main/results/ReportPainter.h"
#include "main/results/ResultsLayout.h"
#include "main/window/ResultsFileWindows.h"
#include "main/window/Canvas.h"
#include "main/window/Messages.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace velnor {
namespace {

const char* const kTitle = "  Calculation Results by Velnor_V17";
const char* const kNothingToClear = "消去するデータがありません";
const char* const kConfirmClear = "　現在表示されている計算結果は削除されます　";
const char* const kNothingToSave = "保存するデータがありません";
const char* const kConfirmRead = "　ファイル読出を行うと、現在表示されている計算結果は削除されます。";
const char* const kNothingToPrint = "印刷するデータがありません";
const char* const kPrinterReady = "　プリンターは準備できていますか？　";

} // namespace

TablePicture::TablePicture(const ResultsTable& table, QWidget* parent) : QWidget(parent), m_table(table)
{
    setObjectName("Picture1");
    setMinimumSize(580, 460);
    paintWhite(this);
}

void TablePicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Keep the aspect ratio: the table's logical plane fits the widget.
    const double scale = std::min(width() / kTableWidth, height() / kTableHeight);
    painter.translate((width() - kTableWidth * scale) / 2, 0);
    painter.scale(scale, scale);

    QFont rowFont("Liberation Serif");
    rowFont.setPixelSize(15);
    QFont headingFont("Noto Sans CJK JP");
    headingFont.setPixelSize(12);
    auto draw = [&](const TableText& t) {
        painter.setFont(t.heading ? headingFont : rowFont);
        QString text = QString::fromStdString(t.text);
        if (t.maxWidth > 0)
            text = painter.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(t.maxWidth));
        painter.setPen(t.alert ? QColor(200, 0, 0) : QColor(Qt::black));
        painter.drawText(QRectF(t.x, t.y - 12, 400, 24), Qt::AlignLeft | Qt::AlignVCenter, text);
    };

    if (m_table.empty()) {
        const double titleY = m_startUpTitle ? 350 : 200;
        QFont title("Liberation Serif");
        title.setPixelSize(56);
        painter.setPen(QColor(192, 192, 192));
        painter.setFont(title);
        painter.drawText(QPointF(500, titleY), "Velnor-V17");
        QFont user("Noto Sans CJK JP");
        user.setPixelSize(40);
        painter.setFont(user);
        painter.drawText(QPointF(500, titleY + 150), m_userName);
        return;
    }
    // Grid lines: the heading band and each row's band, and the column edges.
    painter.setPen(QPen(QColor(160, 160, 160), 0));
    const double bottom = rowCentreY(kMaxResultRows) + 25;
    painter.drawLine(QPointF(5, 5), QPointF(1155, 5));
    for (int k = 0; k <= kMaxResultRows; ++k)
        painter.drawLine(QPointF(5, rowCentreY(k) + 25), QPointF(1155, rowCentreY(k) + 25));
    for (double x : {5.0, 90.0, 162.0, 225.0, 292.0, 340.0, 437.0, 505.0, 545.0, 605.0, 718.0, 770.0, 890.0, 1085.0, 1155.0})
        painter.drawLine(QPointF(x, 5), QPointF(x, bottom));
    painter.setPen(Qt::black);
    for (const TableText& t : headingTexts())
        draw(t);
    for (int k = 1; k < m_table.nextFreeRow(); ++k) {
        const ResultRow& row = m_table.row(k);
        for (const TableText& t : rowTexts(row, k))
            draw(t);
        if (m_levels)
            for (const TableText& t : drlTexts(compareWithReferenceLevel(*m_levels, row.conditions.bodyPart, row.conditions.tubeVoltageKv, row.dose), k))
                draw(t);
    }
    if (m_totals)
        for (const TableText& t : totalsTexts(*m_totals))
            draw(t);
}

ResultsWindow::ResultsWindow(ResultsTable& table, double& cfAir, Messages& messages, const std::filesystem::path& folder,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), m_table(table), m_cfAir(cfAir), m_messages(messages),
      m_printer([](const ReportPage& page, QWidget* owner) { return controls::printPages({page}, "Velnor_V17-results.pdf", owner); })
{
    setObjectName("Form10");
    setWindowTitle(kTitle);
    m_picture = new TablePicture(table, this);
    m_totalsButton = new QPushButton("合 計 ⇒", this);
    m_totalsButton->setObjectName("Command1");
    auto* save = new QPushButton("データ保存", this);
    save->setObjectName("Command2");
    auto* read = new QPushButton("データ読込", this);
    read->setObjectName("Command3");
    auto* print = new QPushButton("印 刷", this);
    print->setObjectName("Command4");
    auto* clear = new QPushButton("データ消去", this);
    clear->setObjectName("Command5");

    m_userLabel = new QLabel(this);
    m_userLabel->setObjectName("LabelUser");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_userLabel);
    buttons->addWidget(save);
    buttons->addWidget(read);
    buttons->addWidget(print);
    buttons->addWidget(clear);
    buttons->addStretch();
    buttons->addWidget(m_totalsButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_picture, 1);
    layout->addLayout(buttons);
    controls::fitOnScreen(this, {1180, 1000}); // the table scales to the window
    m_totalsButton->hide();

    connect(m_totalsButton, &QPushButton::clicked, this, &ResultsWindow::showTotals);
    connect(clear, &QPushButton::clicked, this, &ResultsWindow::clearTable);
    m_saveWindow = new DataSaveWindow(m_table, m_cfAir, m_messages, folder, this);
    m_readWindow = new DataReadWindow(m_messages, folder, this);
    connect(m_saveWindow, &DataSaveWindow::saved, this, &ResultsWindow::saved);
    connect(save, &QPushButton::clicked, this, &ResultsWindow::saveTable);
    connect(read, &QPushButton::clicked, this, &ResultsWindow::readTable);
    connect(print, &QPushButton::clicked, this, &ResultsWindow::printTable);
    connect(m_readWindow, &DataReadWindow::fileRead, this, [this](const ResultsFileContent& content) {
        m_table.replaceRows(content.rows);
        m_cfAir = content.cfAir;
        tableChanged();
        emit this->read();
    });
}

void ResultsWindow::setReferenceLevels(const ReferenceLevels* levels) { m_picture->setReferenceLevels(levels); }

void ResultsWindow::setUserName(const QString& name)
{
    m_userName = name;
    m_picture->setUserName(name);
    m_userLabel->setText(name);
}

void ResultsWindow::tableChanged()
{
    m_totalsButton->setVisible(!m_table.empty());
    m_picture->setTotals(std::nullopt);
    m_picture->update();
    // A window the user closed comes back with the new row; an open one is
    // only redrawn, so that it does not cover the main window's inputs.
    if (!isVisible())
        showBesideTheMainWindow();
}

void ResultsWindow::showBesideTheMainWindow()
{
    // At the right edge of the screen, where it hides least of the main
    // window's inputs (they fill its left side).
    if (QScreen* s = screen()) {
        const QRect available = s->availableGeometry();
        move(available.right() - frameGeometry().width() + 1, available.top());
    }
    show();
}

void ResultsWindow::showTotals() { m_picture->setTotals(m_table.totals()); }

void ResultsWindow::saveTable()
{
    if (m_table.empty()) {
        m_messages.warn(kNothingToSave);
        return;
    }
    m_saveWindow->open();
}

void ResultsWindow::readTable()
{
    if (!m_table.empty() && !m_messages.askOkCancel(kConfirmRead))
        return;
    m_readWindow->open();
}

void ResultsWindow::printTable()
{
    if (m_table.empty()) {
        m_messages.warn(kNothingToPrint);
        return;
    }
    if (!m_messages.askYesNo(kPrinterReady))
        return;
    if (m_printer(reportPage(m_table, m_cfAir, m_userName.toStdString(), m_picture->referenceLevels()), this))
        emit printed();
}

void ResultsWindow::clearTable()
{
    if (m_table.empty()) {
        m_messages.warn(kNothingToClear);
        return;
    }
    m_messages.beep();
    if (!m_messages.askOkCancel(kConfirmClear))
        return;
    m_table.clear();
    m_picture->setStartUpTitle(false);
    tableChanged();
    emit cleared();
}

} // namespace velnor
