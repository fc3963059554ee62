#include "main/window/SpectrumWindow.h"

#include "common/DisplayFormat.h"

#include "main/window/Canvas.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace velnor {
namespace {

// Texts and the palette of this window.
const char* const kTitle = "   X-ray Spectrum";
const char* const kModelNote = "Ｘ線スペクトルの計算には Tucker 式を使用しています";
const char* const kHints[3] = {"グラフ上でマウスカーソルを動かすと", "マウス位置の光子エネルギーと", "相対光子数が表示されます。"};
const QColor kGrey(128, 128, 128);
struct ColourOption {
    const char* caption;
    QColor colour;
};
const ColourOption kColourOptions[6] = {{"RED", QColor(255, 0, 0)},       {"BLUE", QColor(0, 0, 255)},
                                        {"GREEN", QColor(0, 255, 0)},     {"MAGENTA", QColor(255, 0, 255)},
                                        {"CYAN", QColor(0, 255, 255)},    {"BLACK", QColor(0, 0, 0)}};

constexpr double kLogicalWidth = 5700;
constexpr double kLogicalHeight = 2450;
constexpr double kLeft = 1000, kRight = 5500, kTop = 100, kBottom = 2100;

} // namespace

SpectrumPicture::SpectrumPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName("Picture3");
    setMouseTracking(true);
    setMinimumSize(570, 245);
    paintWhite(this);
}

void SpectrumPicture::clearCurves()
{
    m_curves.clear();
    update();
}

void SpectrumPicture::addCurve(const Curve& curve)
{
    m_curves.push_back(curve);
    update();
}

void SpectrumPicture::setCursor(bool visible, double x, double y)
{
    m_cursorVisible = visible;
    m_cursorX = x;
    m_cursorY = y;
    update();
}

QPointF SpectrumPicture::toWidget(const QPointF& p) const
{
    return {p.x() * width() / kLogicalWidth, p.y() * height() / kLogicalHeight};
}

QPointF SpectrumPicture::toLogical(const QPointF& p) const
{
    return {p.x() * kLogicalWidth / width(), p.y() * kLogicalHeight / height()};
}

void SpectrumPicture::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = toLogical(event->position());
    emit logicalMouseMoved(p.x(), p.y());
}

void SpectrumPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(width() / kLogicalWidth, height() / kLogicalHeight);
    painter.setPen(QPen(kGrey, 0));
    for (double x = 1300; x <= 5200; x += 300)
        painter.drawLine(QPointF(x, kTop), QPointF(x, kBottom));
    for (double y = 300; y <= 1900; y += 200)
        painter.drawLine(QPointF(kLeft, y), QPointF(kRight, y));
    QFont font("Liberation Serif");
    font.setPixelSize(90);
    painter.setFont(font);
    painter.setPen(Qt::black);
    auto text = [&](double x, double y, const QString& s) {
        painter.drawText(QRectF(x, y, 2000, 150), Qt::AlignLeft | Qt::AlignTop, s);
    };
    text(1000, 2120, "0");
    text(2450, 2120, "50");
    text(3900, 2120, "100");
    text(5400, 2120, "150");
    text(3500, 2250, "Photon energy in keV");
    text(200, 500, "Relative");
    text(230, 700, "Photon");
    text(260, 900, "Fluence");
    for (const Curve& c : m_curves) {
        painter.setPen(QPen(c.colour, 14));
        painter.drawPolyline(c.points);
    }
    painter.setPen(QPen(Qt::black, 14));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(kLeft, kTop, kRight - kLeft, kBottom - kTop));
    if (m_cursorVisible) {
        painter.setPen(QPen(m_cursorColour, 0));
        painter.drawLine(QPointF(m_cursorX, kTop), QPointF(m_cursorX, kBottom));
        painter.drawLine(QPointF(kLeft, m_cursorY), QPointF(kRight, m_cursorY));
    }
}

SpectrumWindow::SpectrumWindow(const CalculationState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state)
{
    setObjectName("Form6");
    setWindowTitle(kTitle);
    m_picture = new SpectrumPicture(this);
    m_energy = new QLineEdit(this);
    m_energy->setObjectName("Text6");
    m_energy->setReadOnly(true);
    m_relative = new QLineEdit(this);
    m_relative->setObjectName("Text7");
    m_relative->setReadOnly(true);

    auto* colours = new QGroupBox("Draw Color", this);
    colours->setObjectName("Frame1");
    auto* colourLayout = new QVBoxLayout(colours);
    for (int i = 0; i < 6; ++i) {
        auto* option = new QRadioButton(kColourOptions[i].caption, colours);
        option->setObjectName(QString("Option%1").arg(i + 1));
        colourLayout->addWidget(option);
        m_colours.push_back(option);
    }
    m_colours[0]->setChecked(true);
    m_redraw = new QPushButton("Redraw", this);
    m_redraw->setObjectName("Command1");
    auto* clearButton = new QPushButton("Clear", this);
    clearButton->setObjectName("Command3");
    auto* hideButton = new QPushButton("閉じる", this);
    hideButton->setObjectName("Command4");

    auto* side = new QVBoxLayout;
    auto* energyRow = new QHBoxLayout;
    energyRow->addWidget(m_energy);
    auto* keV = new QLabel("keV", this);
    keV->setObjectName("Label13");
    energyRow->addWidget(keV);
    side->addLayout(energyRow);
    auto* relativeRow = new QHBoxLayout;
    relativeRow->addWidget(m_relative);
    auto* relativeLabel = new QLabel("相対光子数", this);
    relativeLabel->setObjectName("Label11");
    relativeRow->addWidget(relativeLabel);
    side->addLayout(relativeRow);
    for (int i = 0; i < 3; ++i) {
        auto* hint = new QLabel(kHints[i], this);
        hint->setObjectName(QString("Label%1").arg(i + 1));
        side->addWidget(hint);
    }
    side->addWidget(colours);
    side->addWidget(m_redraw);
    side->addWidget(clearButton);
    side->addStretch();
    side->addWidget(hideButton);

    auto* main = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(m_picture, 1);
    auto* note = new QLabel(kModelNote, this);
    note->setObjectName("Label60");
    left->addWidget(note);
    main->addLayout(left, 1);
    main->addLayout(side);
    setLayout(main);
    resize(1000, 520);

    connect(m_redraw, &QPushButton::clicked, this, &SpectrumWindow::redraw);
    connect(clearButton, &QPushButton::clicked, this, &SpectrumWindow::clear);
    connect(hideButton, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_picture, &SpectrumPicture::logicalMouseMoved, this, &SpectrumWindow::readOut);
}

void SpectrumWindow::clear()
{
    m_picture->clearCurves();
    m_picture->setCursor(false);
    m_spectrumShown = false;
}

void SpectrumWindow::drawCurve(const QColor& colour)
{
    m_picture->setCursor(false);
    m_energy->clear();
    m_relative->clear();
    const int top = static_cast<int>(std::floor(2 * m_state.conditions.tubeVoltageKv));
    m_spectrumMax = 0;
    for (int j = 2; j <= std::min(top, kBinCount); ++j)
        m_spectrumMax = std::max(m_spectrumMax, m_state.photonSpectrum[static_cast<std::size_t>(j)]);
    SpectrumPicture::Curve curve{colour, {}};
    curve.points << QPointF(kLeft, kBottom);
    for (int j = 2; j <= kBinCount; ++j) {
        const double value = m_spectrumMax > 0 ? m_state.photonSpectrum[static_cast<std::size_t>(j)] / m_spectrumMax : 0.0;
        curve.points << QPointF(kLeft + 15.0 * j, kBottom - 2000.0 * value);
    }
    m_picture->addCurve(curve);
    m_picture->setCursorColour(colour);
    m_spectrumShown = true;
}

void SpectrumWindow::showSpectrum()
{
    clear();
    m_colours[0]->setChecked(true);
    drawCurve(kColourOptions[0].colour);
    show();
    raise();
    m_redraw->setFocus();
}

void SpectrumWindow::redraw()
{
    QColor colour = kColourOptions[5].colour;
    for (int i = 0; i < 6; ++i)
        if (m_colours[static_cast<std::size_t>(i)]->isChecked())
            colour = kColourOptions[i].colour;
    drawCurve(colour);
}

void SpectrumWindow::readOut(double x, double y)
{
    if (m_spectrumMax == 0 || !m_spectrumShown)
        return;
    if (x < kLeft || x >= kRight || y < kTop || y >= kBottom) {
        m_picture->setCursor(false);
        m_energy->clear();
        m_relative->clear();
        return;
    }
    const int k = std::max(1, static_cast<int>(std::ceil((x - kLeft) / 15.0)));
    const double value = m_state.photonSpectrum[static_cast<std::size_t>(std::min(k, kBinCount))] / m_spectrumMax;
    m_picture->setCursor(true, kLeft + 15.0 * k, kBottom - 2000.0 * value);
    m_energy->setText(QString::fromStdString(formatNumber(0.5 * k, "###.0")));
    m_relative->setText(QString::fromStdString(formatNumber(100 * value, "###.000")));
}

} // namespace velnor
