#pragma once

#include "main/form/ExposureForm.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace velnor {

// "Phantom model" (Form14): a scale drawing, in 0.1 cm units, of the chosen
// surface in the beam, through the central ray across the cylinder axis.
class ShapePreview : public QWidget {
    Q_OBJECT
public:
    explicit ShapePreview(QWidget* parent = nullptr);

    struct Scene {
        SurfaceCode model = SurfaceCode::Cylinder;
        double dims[3] = {};    // cm: radius; horizontal, vertical; a, b
        double focusSurfaceCm = 80, focusReceptorCm = 100, thicknessCm = 20, fieldShortCm = 35.6;
    };
    void setScene(const Scene& scene);
    QWidget* picture() const { return m_picture; }

private:
    QWidget* m_picture; // Picture1
};

// "  入射表面の形状" (Form13): the surface model of a curved entrance surface,
// its dimensions and the Monte Carlo history count.
class SurfaceShapeDialog : public QWidget {
    Q_OBJECT
public:
    explicit SurfaceShapeDialog(QWidget* parent = nullptr);

    // Resets every box to its initial value and shows the dialog.
    void open();
    // The chosen model's entries as numbers, and the description of the
    // surface for the main window's non-planar option.
    form::SurfaceChoice choice() const;
    // Letters typed where a number belongs, or nothing.
    form::Check typedFault() const;
    QString description() const;
    // The drawing of the current entries, for the preview.
    ShapePreview::Scene scene(const ExposureConditions& conditions) const;

    ShapePreview* preview() const { return m_preview; }

signals:
    void accepted();
    void cancelled();
    void shapeCheckRequested();

private:
    QRadioButton* m_cylinder;
    QRadioButton* m_ellipse;
    QRadioButton* m_racetrack;
    QLineEdit* m_text[7] = {}; // Text1..Text6 (index 0 unused)
    QComboBox* m_histories;
    ShapePreview* m_preview;
};

} // namespace velnor
