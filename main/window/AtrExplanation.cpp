#include "main/window/AtrExplanation.h"

#include "main/window/Canvas.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace velnor {
namespace {

const char* const kTitle = "ATR Index とは";
const char* const kLead = "半価層 (HVL) より容易に実測が可能な ATR Index は次式で定義される";
const char* const kFormula = "ATR (Acrylic Transmittance) Index =";
const char* const kX0 = "：Ｘ線焦点から 100 cm の距離の自由空間における照射線量または空気カーマ";
const char* const kX0Note = "（一次線のみによる線量）";
const char* const kX1 = "：上図の位置に厚さ 2 cm のアクリル板を置いた場合の照射線量 (空気カーマ)";
const char* const kX1Note = "（透過一次線およびアクリル板からの散乱線による線量）";
const char* const kWarning = "撮影台、床面などからの後方散乱線が混入しないように注意する";

// The geometry: the focus, the beam to the chamber 100 cm below it, the
// 2-cm acrylic plate just above the chamber.
class GeometryPicture : public QWidget {
public:
    explicit GeometryPicture(QWidget* parent) : QWidget(parent)
    {
        setObjectName("Picture1");
        setMinimumSize(520, 300);
        paintWhite(this);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = std::min(width() / 520.0, height() / 300.0);
        p.translate((width() - 520 * s) / 2, 0);
        p.scale(s, s);
        const QPointF focus(200, 30), chamber(200, 250);
        // X-ray tube and focus.
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(QColor(220, 220, 220));
        p.drawRoundedRect(QRectF(150, 6, 100, 20), 6, 6);
        p.setBrush(Qt::red);
        p.drawEllipse(focus, 4, 4);
        p.setPen(Qt::black);
        p.drawText(QPointF(260, 22), "Ｘ線焦点");
        // The beam.
        p.setPen(QPen(QColor(200, 0, 0), 1.2, Qt::DashLine));
        p.drawLine(focus, QPointF(160, 270));
        p.drawLine(focus, QPointF(240, 270));
        // Acrylic plate, 2 cm, just above the chamber.
        p.setPen(QPen(QColor(0, 90, 160), 1.5));
        p.setBrush(QColor(170, 210, 240));
        p.drawRect(QRectF(135, 212, 130, 14));
        p.setPen(Qt::black);
        p.drawText(QPointF(275, 224), "アクリル板 (厚さ 2 cm)");
        // Chamber.
        p.setBrush(QColor(90, 90, 90));
        p.drawEllipse(chamber, 9, 6);
        p.drawLine(QPointF(209, 250), QPointF(240, 280));
        p.drawText(QPointF(250, 262), "線量計 (電離箱)  X0, X1");
        // 100 cm.
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(100, 30), QPointF(100, 250));
        p.drawLine(QPointF(94, 30), QPointF(106, 30));
        p.drawLine(QPointF(94, 250), QPointF(106, 250));
        QPainterPath arrows;
        arrows.moveTo(96, 40);
        arrows.lineTo(100, 30);
        arrows.lineTo(104, 40);
        arrows.moveTo(96, 240);
        arrows.lineTo(100, 250);
        arrows.lineTo(104, 240);
        p.drawPath(arrows);
        p.drawText(QPointF(40, 145), "100 cm");
    }
};

QLabel* text(const QString& t, QWidget* parent, int sizeDelta = 0, bool bold = false)
{
    auto* l = new QLabel(t, parent);
    l->setWordWrap(true);
    QFont f = l->font();
    f.setPointSize(f.pointSize() + sizeDelta);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

} // namespace

AtrExplanation::AtrExplanation(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("Form16");
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new GeometryPicture(this), 1);
    layout->addWidget(text(kLead, this, 1, true));
    layout->addWidget(text(QString(kFormula) + "  X1 / X0", this, 2, true));
    layout->addWidget(text(QString("X0 ") + kX0 + "\n     " + kX0Note, this));
    layout->addWidget(text(QString("X1 ") + kX1 + "\n     " + kX1Note, this));
    auto* warning = text(kWarning, this, 0, true);
    warning->setStyleSheet("color: #b00000;");
    layout->addWidget(warning);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("Command1");
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(620, 560);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

} // namespace velnor
