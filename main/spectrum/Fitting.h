#pragma once

#include "main/records/BeamQuality.h"
#include "main/records/ExposureConditions.h"
#include "main/records/OutputDataTable.h"
#include "main/records/ReferenceTables.h"

#include <optional>
#include <string>

// Fitting the spectrum to a measured first half-value layer or ATR index, by
// the inherent filtration or by the tube voltage in 0.2-kV steps. Every trial
// is computed on copies: a fit changes nothing and writes no file; its result
// is the value to apply (the caller recomputes the chain with it).
namespace velnor {

enum class FitFailure {
    None,
    VoltageAboveMaximum,  // beyond 150 kV
    VoltageAboveLimit,    // beyond 1.1 x the starting voltage
    VoltageBelowMinimum,  // below 30 kV
    VoltageBelowLimit,    // below 0.9 x the starting voltage
    AtrOutOfRange,        // measured ATR index outside 0.1 .. 0.74 (filtration fit)
    BelowNoFiltration,    // the measurement needs a negative inherent filtration
    NotReached,           // no filtration up to 10 cm Al reaches the measurement
    CalculationFailed,    // a trial could not be computed
};

struct FitOutcome {
    std::optional<double> value; // the fitted inherentFiltrationCm or tubeVoltageKv
    FitFailure failure = FitFailure::None;
    std::string reason;          // what went wrong, in words (English), for velnor-calc
    std::string reasonJa;        // the same in Japanese, for the window's details
    Wording wording() const { return {reason, reasonJa}; }
    explicit operator bool() const { return value.has_value(); }
};

// What every fit starts from: the conditions of the last calculation, the
// tables, and the indices of the last spectrum (hvl1Cm, atrIndex).
struct FitStart {
    const ExposureConditions& conditions;
    const ReferenceTables& tables;
    const OutputDataTable& outputData;
    const BeamQuality& beamQuality;
};

inline constexpr double kFitVoltageStepKv = 0.2;
inline constexpr double kFitMaxVoltageKv = 150;
inline constexpr double kFitMinVoltageKv = 30;
inline constexpr double kFitVoltageRange = 0.1;  // +-10 % of the starting voltage
inline constexpr double kFitMinAtr = 0.1;
inline constexpr double kFitMaxAtr = 0.74;
inline constexpr double kFitMaxFiltrationCm = 10; // aluminium: beyond it no beam is diagnostic

// The inherent filtration (cm Al) whose beam has the measured first HVL (cm Al):
// 0.01-cm steps towards the measurement, then linear interpolation.
FitOutcome fitInherentFiltrationToHvl(const FitStart& start, double measuredHvlCm);
// The tube voltage (0.2-kV grid) whose HVL is nearest the measurement; hands
// over to lowerVoltageToHvl when the beam is already harder than measured.
FitOutcome raiseVoltageToHvl(const FitStart& start, double measuredHvlCm);
FitOutcome lowerVoltageToHvl(const FitStart& start, double measuredHvlCm);
// The inherent filtration whose beam has the measured ATR index: four stages
// of finer steps (0.01 .. 0.00001 cm), then linear interpolation.
FitOutcome fitInherentFiltrationToAtr(const FitStart& start, double measuredAtr);
FitOutcome raiseVoltageToAtr(const FitStart& start, double measuredAtr);
FitOutcome lowerVoltageToAtr(const FitStart& start, double measuredAtr);

} // namespace velnor
