#include "main/window/SurfaceShapeDialog.h"

#include "common/NumberReading.h"
#include "main/records/ExposureConditions.h"

#include "main/window/Canvas.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace velnor {
namespace {

const char* const kDialogTitle = "  入射表面の形状";
const char* const kPreviewTitle = "Phantom model";
const char* const kInitialTexts[7] = {"", "20", "30", "20", "20", "20", "80"};
const char* const kHistoryChoices[6] = {"10000000", "30000000", "50000000", "100000000", "300000000", "500000000"};
const char* const kInitialHistories = "50000000";

double numberOf(const QLineEdit* edit) { return readLeadingNumber(edit->text().toStdString()); }

// Adds to `path` the arc of the ellipse with centre (cx, cy) and semi-axes
// (rx, ry) from angle a0 to a1 (radians, counter-clockwise, y upwards).
void arc(QPainterPath& path, double cx, double cy, double rx, double ry, double a0, double a1)
{
    const int steps = 90;
    for (int i = 0; i <= steps; ++i) {
        const double a = a0 + (a1 - a0) * i / steps;
        path.lineTo(cx + rx * std::cos(a), cy + ry * std::sin(a));
    }
}

// The drawing of Form14's picture, in 0.1 cm units: x -400..400, y 200 (top)
// .. -600 (bottom), y upwards.
class PreviewPicture : public QWidget {
public:
    explicit PreviewPicture(QWidget* parent) : QWidget(parent)
    {
        setObjectName("Picture1");
        setMinimumSize(400, 400);
        paintWhite(this);
    }
    ShapePreview::Scene scene;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipRect(rect());
        const double s = std::min(width(), height()) / 800.0;
        painter.translate((width() - 800 * s) / 2, (height() - 800 * s) / 2);
        painter.scale(s, -s);           // y upwards
        painter.translate(400, -200);   // logical (0, 0) at the apex
        const double px = 1.0 / s;      // one pixel in logical units
        painter.setPen(QPen(QColor(128, 128, 128), px));
        for (int x = -350; x <= 350; x += 50)
            painter.drawLine(QPointF(x, -600), QPointF(x, 200));
        for (int y = -550; y <= 150; y += 50)
            painter.drawLine(QPointF(-400, y), QPointF(400, y));
        const double ds = scene.focusSurfaceCm, dr = scene.focusReceptorCm;
        painter.setPen(QPen(Qt::black, 2 * px));
        painter.drawLine(QPointF(-400, 0), QPointF(400, 0));
        painter.drawLine(QPointF(-400, -10 * (dr - ds)), QPointF(400, -10 * (dr - ds)));
        painter.drawLine(QPointF(0, -600), QPointF(0, 200));
        painter.drawLine(QPointF(-25, 40), QPointF(0, 0));
        painter.drawLine(QPointF(0, 0), QPointF(25, 40));

        painter.setPen(QPen(QColor(0, 0, 255), 3 * px));
        painter.setBrush(Qt::NoBrush);
        QPainterPath surface;
        if (scene.model == SurfaceCode::EllipticCylinder) {
            const double h = 10 * scene.dims[0], v = 10 * scene.dims[1];
            surface.moveTo(h, -500);
            arc(surface, 0, -v, h, v, 0, M_PI);
            surface.lineTo(-h, -500);
        } else if (scene.model == SurfaceCode::Racetrack) {
            const double a = 10 * scene.dims[0], b = 10 * scene.dims[1];
            surface.moveTo((a + b) / 2, -500);
            arc(surface, a / 2, -b / 2, b / 2, b / 2, 0, M_PI / 2);
            surface.lineTo(-a / 2, 0);
            arc(surface, -a / 2, -b / 2, b / 2, b / 2, M_PI / 2, M_PI);
            surface.lineTo(-(a + b) / 2, -500);
        } else {
            const double r = 10 * scene.dims[0];
            surface.moveTo(r, -500);
            arc(surface, 0, -r, r, r, 0, M_PI);
            surface.lineTo(-r, -500);
        }
        painter.drawPath(surface);
        painter.drawLine(QPointF(-350, -10 * scene.thicknessCm), QPointF(350, -10 * scene.thicknessCm));

        painter.setPen(QPen(QColor(255, 0, 0), 2 * px));
        const QPointF focus(0, 10 * ds);
        painter.drawLine(focus, QPointF(5 * scene.fieldShortCm, -10 * (dr - ds)));
        painter.drawLine(focus, QPointF(-5 * scene.fieldShortCm, -10 * (dr - ds)));

        // Texts upright: undo the flip for each.
        painter.setPen(Qt::black);
        QFont font("Liberation Serif");
        font.setPixelSize(22);
        painter.setFont(font);
        auto text = [&](double x, double y, const QString& t) {
            painter.save();
            painter.translate(x, y);
            painter.scale(1, -1);
            painter.drawText(QRectF(0, 0, 200, 40), Qt::AlignLeft | Qt::AlignTop, t);
            painter.restore();
        };
        text(-320, -550, "-30");
        text(-220, -550, "-20");
        text(-120, -550, "-10");
        text(-15, -550, "0");
        text(80, -550, "10");
        text(180, -550, "20");
        text(280, -550, "30 cm");
        text(-380, 25, "0");
        text(-390, -75, "10");
        text(-390, -175, "20");
        text(-390, -275, "30");
        text(-390, -375, "40");
        text(-385, -400, "cm");
        text(5, 100, "X-ray");
    }
};

} // namespace

ShapePreview::ShapePreview(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("Form14");
    setWindowTitle(kPreviewTitle);
    m_picture = new PreviewPicture(this);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("Command1");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_picture, 1);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(560, 600);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void ShapePreview::setScene(const Scene& scene)
{
    static_cast<PreviewPicture*>(m_picture)->scene = scene;
    m_picture->update();
}

SurfaceShapeDialog::SurfaceShapeDialog(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("Form13");
    setWindowTitle(kDialogTitle);
    auto* frame = new QGroupBox(" Select surface type ", this);
    frame->setObjectName("Frame1");
    m_cylinder = new QRadioButton("Clyndrical type", frame);
    m_cylinder->setObjectName("Option1");
    m_ellipse = new QRadioButton("Elliptic cylinder type", frame);
    m_ellipse->setObjectName("Option2");
    m_racetrack = new QRadioButton("Racetrack type", frame);
    m_racetrack->setObjectName("Option3");

    auto* grid = new QGridLayout(frame);
    auto addRow = [&](int row, int column, int index, const char* caption) {
        auto* label = new QLabel(caption, frame);
        m_text[index] = new QLineEdit(frame);
        m_text[index]->setObjectName(QString("Text%1").arg(index));
        m_text[index]->setMaximumWidth(80);
        grid->addWidget(label, row, column);
        grid->addWidget(m_text[index], row, column + 1);
        grid->addWidget(new QLabel("cm", frame), row, column + 2);
    };
    grid->addWidget(m_cylinder, 0, 0, 1, 4);
    addRow(1, 1, 1, "Curvature radius");
    grid->addWidget(m_ellipse, 2, 0, 1, 4);
    addRow(3, 1, 2, "Horizontal axis");
    addRow(4, 1, 3, "Vertical axis");
    grid->addWidget(m_racetrack, 5, 0, 1, 4);
    addRow(6, 1, 4, "a =");
    addRow(7, 1, 5, "b =");
    addRow(8, 1, 6, "Length =");
    grid->setColumnMinimumWidth(0, 20);

    m_histories = new QComboBox(this);
    m_histories->setObjectName("Combo1");
    m_histories->setEditable(true);
    m_histories->setCompleter(nullptr); // typing 1000000 must not become 10000000 from the list
    for (const char* choice : kHistoryChoices)
        m_histories->addItem(choice);
    auto* shapeCheck = new QPushButton("Shape Check ", this);
    shapeCheck->setObjectName("Command6");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Command1");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Command2");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    auto* historyRow = new QHBoxLayout;
    historyRow->addWidget(new QLabel("Photon history of MC calculation =", this));
    historyRow->addWidget(m_histories);
    layout->addLayout(historyRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(shapeCheck);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    m_preview = new ShapePreview(this);
    connect(ok, &QPushButton::clicked, this, &SurfaceShapeDialog::accepted);
    connect(cancel, &QPushButton::clicked, this, &SurfaceShapeDialog::cancelled);
    connect(shapeCheck, &QPushButton::clicked, this, &SurfaceShapeDialog::shapeCheckRequested);
}

void SurfaceShapeDialog::open()
{
    m_cylinder->setChecked(true);
    for (int i = 1; i <= 6; ++i)
        m_text[i]->setText(kInitialTexts[i]);
    m_histories->setCurrentText(kInitialHistories);
    show();
    raise();
}

form::Check SurfaceShapeDialog::typedFault() const
{
    std::vector<std::pair<const char*, const QLineEdit*>> boxes;
    if (m_ellipse->isChecked())
        boxes = {{"ellipseHorizontalCm", m_text[2]}, {"ellipseVerticalCm", m_text[3]}};
    else if (m_racetrack->isChecked())
        boxes = {{"racetrackACm", m_text[4]}, {"racetrackBCm", m_text[5]}, {"racetrackLengthCm", m_text[6]}};
    else
        boxes = {{"cylinderRadiusCm", m_text[1]}};
    for (const auto& [field, box] : boxes)
        if (form::Check fault = form::typedNumberFault(field, box->text().toStdString()))
            return fault;
    return form::typedNumberFault("mcHistories", m_histories->currentText().toStdString());
}

form::SurfaceChoice SurfaceShapeDialog::choice() const
{
    form::SurfaceChoice s;
    s.histories = readLeadingNumber(m_histories->currentText().toStdString());
    if (m_ellipse->isChecked()) {
        s.surface = SurfaceCode::EllipticCylinder;
        s.dimensionsCm = {numberOf(m_text[2]), numberOf(m_text[3]), 0};
    } else if (m_racetrack->isChecked()) {
        s.surface = SurfaceCode::Racetrack;
        s.dimensionsCm = {numberOf(m_text[4]), numberOf(m_text[5]), numberOf(m_text[6])};
    } else {
        s.surface = SurfaceCode::Cylinder;
        s.dimensionsCm = {numberOf(m_text[1]), 0, 0};
    }
    return s;
}

QString SurfaceShapeDialog::description() const
{
    if (m_ellipse->isChecked())
        return m_text[2]->text() + ":" + m_text[3]->text() + "cmの楕円柱表面";
    if (m_racetrack->isChecked())
        return "レーストラック型モデルの表面";
    return "半径" + m_text[1]->text() + "cm の円柱表面";
}

ShapePreview::Scene SurfaceShapeDialog::scene(const ExposureConditions& c) const
{
    ShapePreview::Scene s;
    const form::SurfaceChoice chosen = choice();
    s.model = chosen.surface;
    s.dims[0] = chosen.dimensionsCm[0];
    s.dims[1] = chosen.dimensionsCm[1];
    s.focusSurfaceCm = c.focusSurfaceDistanceCm;
    s.focusReceptorCm = c.focusReceptorDistanceCm;
    s.thicknessCm = c.bodyThicknessCm;
    s.fieldShortCm = c.fieldShortCm.value_or(0.0);
    return s;
}

} // namespace velnor
