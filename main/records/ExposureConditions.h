#pragma once

#include "main/records/EnergyGrid.h"

#include <optional>
#include <string>

namespace velnor {

// High-voltage waveform of the generator.
enum Rectification : int {
    kConstantPotential = 1, // constant potential or inverter
    kThreePhase12Peak = 2,
    kSinglePhaseFullWave = 3,
};

// Surface codes: which phantom layer or curved-surface program is used.
enum SurfaceCode : int {
    kSurfaceFlatBody = 0,
    kSurfaceCylinder = 1,
    kSurfaceEllipticCylinder = 2,
    kSurfaceFlatHead = 3,
    kSurfaceRacetrack = 4,
};

enum ExposureSource : int { kExposureMeasured = 1, kExposureFromOutputTable = 2 };
enum IncidenceMode : int { kIncidencePlanar = 1, kIncidenceNonPlanar = 2 };
enum FieldShape : int { kFieldRectangular = 1, kFieldCircular = 2 };

// Every input of one X-ray exposure, as the main window holds it. Lengths are
// in cm, also where the window shows mm (filtrations). The initial values are
// those a user sees at start-up.
struct ExposureConditions {
    double targetAngleDeg = 12;
    double inherentFiltrationCm = 0.25; // aluminium equivalent
    double addedAlCm = 0.1;
    double addedCuCm = 0;

    std::string otherFilterName;     // empty: no other-material filter
    double otherFilterCm = 0;
    bool otherFilterActive = false;  // set once a material has been chosen
    BinArray otherFilterMu{};        // 1/cm per bin; only read while otherFilterActive

    double tubeVoltageKv = 75;
    double tubeCurrentMa = 200;
    double exposureTimeS = 0.05;
    double focusReceptorDistanceCm = 100;
    double bodyThicknessCm = 20;
    double focusSurfaceDistanceCm = 80;

    std::string fieldPresetName = "半切サイズ 縦";
    int fieldShape = kFieldRectangular;
    // Field size at the image receptor. Empty stands for "-": the "その他"
    // preset was chosen and no size has been read from the fields yet. For a
    // circular field fieldLongCm is the diameter and fieldShortCm is 0.
    std::optional<double> fieldLongCm = 43.2;
    std::optional<double> fieldShortCm = 35.6;

    int rectification = kConstantPotential;
    int exposureSource = kExposureFromOutputTable;
    double exposureAt1m = 0; // C/kg; measured, or computed from the tube output table
    bool exposureAt1mSet = false;

    int incidenceMode = kIncidencePlanar;
    int surfaceCode = kSurfaceFlatBody;
    int headPhantom = 0; // 0 body, 1 head; planar incidence only

    // Curved-surface dimensions, cm, and the Monte Carlo history count; set by
    // the surface-shape dialog.
    double cylinderRadiusCm = 0;
    double ellipseHorizontalCm = 0;
    double ellipseVerticalCm = 0;
    double racetrackACm = 0;
    double racetrackBCm = 0;
    double racetrackLengthCm = 0;
    double mcHistories = 0;

    std::string bodyPart = "腹部正面";
};

} // namespace velnor
