#pragma once

#include "main/records/EnergyGrid.h"
#include "main/records/RecordFault.h"

#include <array>
#include <optional>
#include <string>

namespace velnor {

// High-voltage waveform of the generator.
enum class Rectification {
    ConstantPotential = 1, // constant potential or inverter
    ThreePhase12Peak = 2,
    SinglePhaseFullWave = 3,
};

// Which phantom layer (flat) or curved-surface program gives the backscatter.
enum class SurfaceCode {
    FlatBody = 0,
    Cylinder = 1,
    EllipticCylinder = 2,
    FlatHead = 3,
    Racetrack = 4,
};

enum class ExposureSource { Measured = 1, OutputTable = 2 };
enum class IncidenceMode { Planar = 1, NonPlanar = 2 };
enum class FieldShape { Rectangular = 1, Circular = 2 };

// The code values stored in files, the JSON of velnor-calc and the results
// table. Inside the program only the enumerations are used.
template <class Code>
constexpr int codeOf(Code c)
{
    return static_cast<int>(c);
}
std::optional<Rectification> rectificationFromCode(long long code);
std::optional<SurfaceCode> surfaceFromCode(long long code);
std::optional<ExposureSource> exposureSourceFromCode(long long code);
std::optional<IncidenceMode> incidenceFromCode(long long code);
std::optional<FieldShape> fieldShapeFromCode(long long code);

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
    FieldShape fieldShape = FieldShape::Rectangular;
    // Field size at the image receptor. Empty stands for "-": the "その他"
    // preset was chosen and no size has been read from the fields yet. For a
    // circular field fieldLongCm is the diameter and fieldShortCm is 0.
    std::optional<double> fieldLongCm = 43.2;
    std::optional<double> fieldShortCm = 35.6;

    Rectification rectification = Rectification::ConstantPotential;
    ExposureSource exposureSource = ExposureSource::OutputTable;
    double exposureAt1m = 0; // C/kg; measured, or computed from the tube output table
    bool exposureAt1mSet = false;

    IncidenceMode incidenceMode = IncidenceMode::Planar;
    SurfaceCode surfaceCode = SurfaceCode::FlatBody;
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

// The physical ranges of the conditions. They are wide enough for every
// diagnostic examination and exclude what only a typing slip gives (a
// distance of 1e-10 cm gives an entrance dose of 1e23 mGy).
namespace limits {
inline constexpr double kMinDistanceCm = 1, kMaxDistanceCm = 1000;     // FFD, FSD
inline constexpr double kMinThicknessCm = 0.1, kMaxThicknessCm = 100;
inline constexpr double kMinFieldCm = 0.1, kMaxFieldCm = 200;          // at the receptor
inline constexpr double kMinCurrentMa = 0.001, kMaxCurrentMa = 10000;
inline constexpr double kMinTimeS = 0.0001, kMaxTimeS = 3600;
inline constexpr double kMinVoltageKv = 1, kMaxVoltageKv = 150;        // the tables end at 150 keV
inline constexpr double kMaxFiltrationCm = 10;                         // of any one filter
inline constexpr double kMaxExposureCkg = 1;                           // at 1 m; about 34 Gy air kerma
inline constexpr double kMaxEngineLengthCm = 1000;   // dimensions of a curved surface
inline constexpr double kMinEngineLengthCm = 0.1;    // the job file's "000.0"
inline constexpr double kMaxHistories = 2147483647;  // a 32-bit counter
// The fewest histories that give a factor and its uncertainty: about 200
// primary photons cross the 0.5-cm scoring disc of a 25-cm field (the
// engines need at least 100); fewer give 1.0000 +- 0.0000.
inline constexpr double kMinHistories = 100000;
} // namespace limits

// Whether a curved surface's dimensions (cylinder: radius; ellipse:
// horizontal and vertical semi-axes; racetrack: flat top a, height b,
// length) and history count make a job its Monte Carlo program can run.
// Only the dimensions of `surface` are looked at.
std::optional<RecordFault> curvedSurfaceFault(SurfaceCode surface, const std::array<double, 3>& dimensionsCm,
                                              double histories);

// The fewest histories with which the engine of a curved surface reaches
// the primary photons it needs through its scoring disc, for this field and
// these distances, with a margin for chance (150 expected for the 100
// needed: fewer than 100 then happen about once in 10^5 runs), rounded up to
// 100 000. The engines sample the entry points uniformly over the field at
// the surface (its half-width across limited by the surface's own), and the
// disc of 0.5 cm radius lies at its centre.
double minimumMcHistories(const ExposureConditions& conditions);

// Whether the conditions can be calculated: every number finite and within
// its physical range, the body between the entrance surface and the
// receptor, the texts one line each, and for a curved surface a job that its
// Monte Carlo program can run, with at least minimumMcHistories(). Empty when
// they can.
std::optional<RecordFault> exposureConditionsFault(const ExposureConditions& conditions);

} // namespace velnor
