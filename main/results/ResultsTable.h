#pragma once

#include "main/dose/CalculationState.h"

#include <array>
#include <optional>
#include <string>

namespace velnor {

// One calculated case as the results table keeps it.
struct ResultRow {
    std::string bodyPart;
    int surfaceCode = 0;
    double cylinderRadiusCm = 0;
    double ellipseHorizontalCm = 0;
    double ellipseVerticalCm = 0;
    double racetrackACm = 0;
    double racetrackBCm = 0;
    double racetrackLengthCm = 0;
    int rectification = 1;
    double exposureAt1m = 0; // C/kg
    double tubeVoltageKv = 0;
    double tubeCurrentMa = 0;
    double exposureTimeS = 0;
    double targetAngleDeg = 0;
    double inherentFiltrationCm = 0;
    double addedAlCm = 0;
    double addedCuCm = 0;
    std::string otherFilterName;
    double otherFilterCm = 0;
    double focusReceptorDistanceCm = 0;
    double focusSurfaceDistanceCm = 0;
    double bodyThicknessCm = 0;
    std::string fieldPresetName;
    double fieldLongCm = 0;
    double fieldShortCm = 0;
    double hvl1Cm = 0;
    std::optional<double> hvl2Cm;
    double effectiveEnergyKev = 0;
    std::optional<double> qualityIndex;
    double bsfSoftTissue = 0, bsfSkin = 0, bsfAir = 0;
    double cfSoftTissue = 0, cfSkin = 0;
    double esdSoftTissue = 0, esdSkin = 0, esdAir = 0; // mGy
    std::optional<double> effectiveDoseMsv;
};

inline constexpr int kMaxResultRows = 15;

// Up to fifteen rows of results; rows 1 .. nextFreeRow - 1 are filled.
class ResultsTable {
public:
    int nextFreeRow() const { return m_nextFreeRow; }
    bool empty() const { return m_nextFreeRow == 1; }
    bool full() const { return m_nextFreeRow > kMaxResultRows; }
    const ResultRow& row(int k) const { return m_rows[static_cast<std::size_t>(k)]; }

    // Stores the current case in the next free row and returns its number.
    // A racetrack row keeps the three shape values the row held before.
    int addRow(const CalculationState& state);
    void setEffectiveDoseOfLastRow(double msv);
    void clear();

    struct Totals {
        double esdSoftTissue = 0, esdSkin = 0, esdAir = 0, effectiveDoseMsv = 0;
    };
    Totals totals() const;

private:
    std::array<ResultRow, kMaxResultRows + 1> m_rows{}; // row 0 unused
    int m_nextFreeRow = 1;
};

} // namespace velnor
