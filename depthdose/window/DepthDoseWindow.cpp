#include "depthdose/window/DepthDoseWindow.h"

#include "depthdose/window/ScreenFit.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "common/TextFile.h"
#include "depthdose/window/EffectiveDoseWindow.h"
#include "depthdose/window/PddMessages.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace velnor::pdd {
namespace {

// Captions and messages of the window.
const char* const kTitle = "Central-Axis Depth Dose for Diagnostic X-rays";
const char* const kDefaultSaveName = "PDD_Data.csv";
const char* const kThicker = "体厚が40cmを超えているため実効線量を計算できません。";
const char* const kAsk40 = "体厚を40cmとして計算しますか？";
const char* const kFailed = "正しく計算できませんでした。";
const char* const kNoHandOff = "　Velnor2PDD.dat を読み込めません。メイン画面から「実効線量概算」を押して下さい　";
const char* const kSaved = "PDDデータを保存しました";
const char* const kSaveCaption = "PDDデータの保存先";
const char* const kNotSaved = "　PDDデータを保存できませんでした　";
const char* const kHint = "グラフ上でマウスカーソルを動かすと、深部線量が表示されます";
const char* const kTableFile = "PDD_tempDATA.txt";

constexpr double kLeft = -70, kTop = 40, kWidth = 1060, kHeight = 860; // logical area around the graph
double yOf(double pdd) { return 800 - 100 * std::log(10 * pdd); }

} // namespace

PddGraph::PddGraph(QWidget* parent) : QWidget(parent)
{
    setObjectName("Picture1");
    setMinimumSize(640, 520);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setAutoFillBackground(true);
    setPalette(p);
}

void PddGraph::setTable(const std::vector<DepthDosePoint>& table, double thickness)
{
    m_table = table;
    m_thickness = thickness;
    m_point = 0;
    update();
}

QTransform PddGraph::toWidget() const
{
    const double s = std::min(width() / kWidth, height() / kHeight);
    QTransform t;
    t.translate((width() - kWidth * s) / 2, (height() - kHeight * s) / 2);
    t.scale(s, s);
    t.translate(-kLeft, -kTop);
    return t;
}

void PddGraph::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(toWidget());
    const double px = 1 / toWidget().m11();
    // Grid: minor lines of each decade, the decades, every 5 cm.
    p.setPen(QPen(QColor(200, 200, 200), px));
    for (double decade : {0.1, 1.0, 10.0})
        for (int k = 2; k <= 9; ++k)
            p.drawLine(QPointF(0, yOf(decade * k)), QPointF(900, yOf(decade * k)));
    p.setPen(QPen(Qt::black, px));
    for (double decade : {0.1, 1.0, 10.0, 100.0})
        p.drawLine(QPointF(0, yOf(decade)), QPointF(900, yOf(decade)));
    for (int x = 0; x <= 900; x += 150)
        p.drawLine(QPointF(x, 110), QPointF(x, 800));
    p.drawRect(QRectF(0, 110, 900, 690));
    QFont f("Liberation Serif");
    f.setPixelSize(26);
    p.setFont(f);
    for (int cm : {0, 10, 20, 30})
        p.drawText(QRectF(30 * cm - 40, 808, 80, 30), Qt::AlignHCenter | Qt::AlignTop, QString::number(cm));
    p.drawText(QRectF(250, 840, 400, 34), Qt::AlignCenter, "depth in soft-tissue [cm]");
    const std::pair<double, const char*> decades[] = {{100, "100"}, {10, "10"}, {1, "1"}, {0.1, "0.1"}};
    for (const auto& [value, text] : decades)
        p.drawText(QRectF(-64, yOf(value) - 15, 58, 30), Qt::AlignRight | Qt::AlignVCenter, text);
    p.drawText(QRectF(-70, 40, 80, 30), Qt::AlignLeft, "PDD");
    p.drawText(QRectF(-70, 70, 80, 30), Qt::AlignLeft, "[%]");

    // The three curves, up to 60 points (30 cm) and the body.
    const QColor primary(255, 110, 110), scatter(90, 160, 255);
    const int last = std::min<int>({60, static_cast<int>(std::floor(2 * m_thickness)), static_cast<int>(m_table.size())});
    auto curve = [&](double DepthDosePoint::*value, const QColor& colour) {
        QPainterPath path;
        for (int m = 1; m <= last; ++m) {
            const double v = m_table[static_cast<std::size_t>(m - 1)].*value;
            // A value below the graph is drawn on its lower edge, so that
            // the curve stays whole.
            const QPointF point(15 * m - 7, std::min(800.0, yOf(std::max(v, 1e-9))));
            if (m == 1)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
        p.setPen(QPen(colour, 2 * px * 1.5));
        p.drawPath(path);
    };
    curve(&DepthDosePoint::primaryPercent, primary);
    curve(&DepthDosePoint::scatterPercent, scatter);
    curve(&DepthDosePoint::totalPercent, Qt::black);

    // Legend.
    const std::pair<QColor, const char*> legend[] = {
        {Qt::black, "Percentage Depth Dose"}, {primary, "Primary component"}, {scatter, "Scatter component"}};
    double y = 140;
    for (const auto& [colour, text] : legend) {
        p.setPen(QPen(colour, 3 * px));
        p.drawLine(QPointF(560, y), QPointF(620, y));
        p.setPen(Qt::black);
        p.drawText(QRectF(630, y - 15, 260, 30), Qt::AlignLeft | Qt::AlignVCenter, text);
        y += 34;
    }

    // The read-out markers.
    if (m_point >= 1 && m_point <= std::min<int>(60, static_cast<int>(m_table.size()))) {
        const DepthDosePoint& d = m_table[static_cast<std::size_t>(m_point - 1)];
        const double x = 15 * m_point - 7;
        p.setPen(QPen(QColor(0, 140, 0), px, Qt::DashLine));
        p.drawLine(QPointF(x, 110), QPointF(x, 800));
        for (double v : {d.totalPercent, d.primaryPercent, d.scatterPercent}) {
            const double yy = std::min(800.0, yOf(std::max(v, 1e-9)));
            p.drawLine(QPointF(x - 20, yy), QPointF(x + 20, yy));
        }
    }
}

void PddGraph::readOut(int k, bool byKey)
{
    // Up to the last point of the table, which lies in the last (part) slab.
    const int maxPoint = std::max(1, std::min(static_cast<int>(m_table.size()), static_cast<int>(std::ceil(2 * m_thickness))));
    if (m_table.empty())
        return;
    m_point = std::clamp(k, 1, maxPoint);
    update();
    emit readOutChanged(m_point, byKey);
}

void PddGraph::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF logical = toWidget().inverted().map(event->position());
    if (logical.x() > 0 && logical.x() < 30 * m_thickness && logical.y() > 110 && logical.y() < 800)
        readOut(static_cast<int>(std::ceil(logical.x() / 15)), false);
}

void PddGraph::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Right)
        readOut(m_point + 1, true);
    else if (event->key() == Qt::Key_Left)
        readOut(m_point - 1, true);
    else
        QWidget::keyPressEvent(event);
}

DepthDoseWindow::DepthDoseWindow(const std::filesystem::path& folder, PddMessages* messages) : m_folder(folder)
{
    setObjectName("PddMain");
    setWindowTitle(kTitle);
    if (!messages) {
        m_ownMessages = std::make_unique<DialogPddMessages>(this);
        messages = m_ownMessages.get();
    }
    m_messages = messages;
    m_graph = new PddGraph(this);
    m_surfaceDose = new QLabel(this);
    m_surfaceDose->setObjectName("SurfaceDose");
    m_readOut = new QLabel(this);
    m_readOut->setObjectName("ReadOut");
    m_readOut->setMinimumHeight(60);
    m_saveName = new QLineEdit(this);
    m_saveName->setObjectName("SaveName");
    m_chooseSavePath = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, kSaveCaption, suggested, "CSV (*.csv);;* (*)");
    };
    auto* save = new QPushButton("に PDD data を保存", this);
    save->setObjectName("CommandSave");
    m_effectiveButton = new QPushButton("実効線量の概算", this);
    m_effectiveButton->setObjectName("CommandEffective");
    auto* bye = new QPushButton(" bye ", this);
    bye->setObjectName("CommandBye");
    auto* heading = new QLabel(kTitle, this);
    QFont big = heading->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    heading->setFont(big);

    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(m_saveName);
    saveRow->addWidget(save);
    saveRow->addStretch();
    saveRow->addWidget(m_effectiveButton);
    saveRow->addWidget(bye);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_surfaceDose);
    layout->addWidget(m_graph, 1);
    layout->addWidget(new QLabel(kHint, this));
    layout->addWidget(m_readOut);
    layout->addLayout(saveRow);
    fitOnScreen(this, {860, 860}); // the graph scales to the window

    m_effective = new EffectiveDoseWindow(*m_messages, m_folder, this);
    connect(m_graph, &PddGraph::readOutChanged, this, &DepthDoseWindow::showReadOut);
    connect(save, &QPushButton::clicked, this, &DepthDoseWindow::savePdd);
    connect(bye, &QPushButton::clicked, this, &DepthDoseWindow::bye);
    connect(m_effective, &EffectiveDoseWindow::byeRequested, this, &DepthDoseWindow::bye);
    connect(m_effectiveButton, &QPushButton::clicked, this, [this] {
        m_effective->show();
        m_effective->raise();
        m_effectiveButton->setEnabled(false);
    });
}

DepthDoseWindow::~DepthDoseWindow() = default;

bool DepthDoseWindow::start()
{
    m_saveName->setText(kDefaultSaveName);
    m_effectiveButton->setEnabled(false);
    try {
        m_handOff = readHandOff(findFileIgnoringCase(m_folder, files::kDepthDoseHandOff));
    } catch (const std::exception& e) {
        m_messages->warn(kNoHandOff, QString::fromStdString(japaneseOf(e)));
        return false;
    }
    m_thickness = m_handOff->thicknessCm;
    bool effectiveAllowed = true;
    if (m_thickness > kMaxThicknessCm) {
        m_messages->warn(kThicker);
        if (m_messages->askOkCancel(kAsk40))
            m_thickness = kMaxThicknessCm;
        else
            effectiveAllowed = false;
    }
    m_surfaceDose->setText(" Surface Dose = " + QString::fromStdString(formatKeepingDigits(m_handOff->surfaceDoseMgy, "##0.000")) + " mGy ");
    try {
        m_table = computeDepthDose(*m_handOff, m_thickness, readDepthDoseData(m_folder));
        writeTextLines(findFileIgnoringCase(m_folder, kTableFile), depthDoseFileLines(m_table));
    } catch (const std::exception& e) {
        m_messages->warn(kFailed, QString::fromStdString(japaneseOf(e)));
        m_graph->setTable(m_table, m_thickness);
        return false;
    }
    m_graph->setTable(m_table, m_thickness);
    m_effectiveButton->setEnabled(effectiveAllowed);
    m_effective->setCase(m_table, m_handOff->bodyPart, m_thickness, m_handOff->surfaceDoseMgy);
    m_effective->loadDefaults();
    return true;
}

void DepthDoseWindow::showReadOut(int k, bool byKey)
{
    const DepthDosePoint& d = m_table[static_cast<std::size_t>(k - 1)];
    const char* pattern = byKey ? "##0.0cm" : "##0.0";
    const double dose = m_handOff ? m_handOff->surfaceDoseMgy * d.totalPercent / 100 : 0;
    m_readOut->setText(QString("Depth = %1 ～ %2    Depth Dose = %3 mGy\nTotal %4    Primary %5    Scatter %6")
                           .arg(QString::fromStdString(formatNumber(0.5 * (k - 1), pattern)),
                                QString::fromStdString(formatNumber(0.5 * k, pattern)),
                                QString::fromStdString(formatNumber(dose, "##0.###")),
                                QString::fromStdString(formatNumber(d.totalPercent, "##0.00") + "%"),
                                QString::fromStdString(formatNumber(d.primaryPercent, "##0.00") + "%"),
                                QString::fromStdString(formatNumber(d.scatterPercent, "##0.00") + "%")));
}

void DepthDoseWindow::savePdd()
{
    // The box's name is the suggestion; the user chooses the folder.
    const QString typed = m_saveName->text().trimmed();
    const std::filesystem::path typedPath = typed.toStdString();
    const std::filesystem::path suggested = typedPath.is_absolute() ? typedPath : m_folder / typedPath;
    const QString chosen = m_chooseSavePath(QString::fromStdString(suggested.string()));
    if (chosen.isEmpty())
        return; // cancelled
    const std::filesystem::path path = chosen.toStdString();
    try {
        if (const std::optional<Reason> fault = plainFileNameFault(path.filename().string()))
            throw WordedError(*fault);
        const std::string text = readTextFile(findFileIgnoringCase(m_folder, kTableFile));
        writeTextLines(path, splitLines(text));
    } catch (const std::exception& e) {
        m_messages->warn(kNotSaved, QString::fromStdString(japaneseOf(e)));
        return;
    }
    m_messages->inform(kSaved);
}

void DepthDoseWindow::bye()
{
    removeFileQuietly(m_folder, kTableFile);
    QApplication::quit();
}

} // namespace velnor::pdd
