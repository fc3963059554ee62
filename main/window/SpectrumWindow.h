#pragma once

#include "main/dose/CalculationState.h"

#include <QColor>
#include <QPolygonF>
#include <QWidget>

#include <vector>

class QLineEdit;
class QRadioButton;
class QPushButton;

namespace velnor {

// The drawing surface of the spectrum window, in logical coordinates
// (x 0..5700, y 0..2450 downward), scaled to the widget.
class SpectrumPicture : public QWidget {
    Q_OBJECT
public:
    explicit SpectrumPicture(QWidget* parent = nullptr);

    struct Curve {
        QColor colour;
        QPolygonF points;
    };
    void clearCurves();
    void addCurve(const Curve& curve);
    const std::vector<Curve>& curves() const { return m_curves; }

    // Cursor lines: Line6 vertical at x, Line7 horizontal at y.
    void setCursor(bool visible, double x = 0, double y = 0);
    void setCursorColour(const QColor& colour) { m_cursorColour = colour; update(); }
    bool cursorVisible() const { return m_cursorVisible; }
    QPointF cursorPosition() const { return {m_cursorX, m_cursorY}; }

    QPointF toLogical(const QPointF& widgetPoint) const;
    QPointF toWidget(const QPointF& logicalPoint) const;

signals:
    void logicalMouseMoved(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::vector<Curve> m_curves;
    bool m_cursorVisible = false;
    double m_cursorX = 0, m_cursorY = 0;
    QColor m_cursorColour = Qt::red;
};

// "   X-ray Spectrum" (Form6): the photon spectrum of the last calculation,
// overlays in other colours, and a read-out of energy and relative photon
// number under the mouse.
class SpectrumWindow : public QWidget {
    Q_OBJECT
public:
    explicit SpectrumWindow(const CalculationState& state, QWidget* parent = nullptr);

    // Axes, the current spectrum in red, then shows the window.
    void showSpectrum();
    // Overlays the current spectrum in the chosen colour.
    void redraw();
    // Erases every curve and draws the empty axes.
    void clear();
    // The read-out for a logical point of the drawing surface.
    void readOut(double x, double y);

    SpectrumPicture* picture() const { return m_picture; }

private:
    void drawCurve(const QColor& colour);

    const CalculationState& m_state;
    SpectrumPicture* m_picture;
    QLineEdit* m_energy;   // Text6
    QLineEdit* m_relative; // Text7
    std::vector<QRadioButton*> m_colours;
    QPushButton* m_redraw;
    double m_spectrumMax = 0;
    bool m_spectrumShown = false;
};

} // namespace velnor
