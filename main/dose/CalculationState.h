#pragma once

#include "main/dose/PlanarBackscatter.h"
#include "main/records/BeamQuality.h"
#include "main/records/DoseResults.h"
#include "main/records/EnergyGrid.h"
#include "main/records/ExposureConditions.h"
#include "main/records/OutputDataTable.h"
#include "main/records/ReferenceTables.h"
#include "main/records/ResultLabels.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace velnor {

// Backscatter factors of a curved surface, from a Monte Carlo program. It gets
// the conditions and the spectrum and returns the three factors, or throws.
using NonPlanarBackscatter = std::function<BackscatterFactors(const ExposureConditions&, const BinArray& photonSpectrum)>;

// The main program's shared records and the procedures that work on them. The
// window, the fits and velnor-calc all calculate through this object, so they
// share one path. Each procedure updates the records and the result texts in
// the order the window shows them; calculate() and recalculateWith() are all
// or nothing: when a step fails every record and text is as it was before.
struct CalculationState {
    // One calculation that succeeded, as it was: the conditions it was
    // computed for and its results. A results row records this, not the
    // conditions of the form, which the user may have edited since.
    struct ComputedCase {
        ExposureConditions conditions;
        BeamQuality beamQuality;
        DoseResults dose;
        BinArray photonSpectrum{}; // for the depth-dose hand-off
    };

    ExposureConditions conditions;
    ReferenceTables tables;
    OutputDataTable outputData;

    int topBin = 0;
    BinArray photonSpectrum{};
    BinArray airKermaSpectrum{};
    double kermaRatio = 0;
    BeamQuality beamQuality;
    DoseResults dose;
    ResultLabels labels;
    std::optional<ComputedCase> lastCase; // set by calculate() when every step succeeded

    // Folder the spectrum file is written to; empty: no file.
    std::optional<std::filesystem::path> exchangeFolder;
    // Used when incidenceMode is not planar; unset: curved surfaces fail.
    NonPlanarBackscatter nonPlanarBackscatter;

    // Spectrum, ATR index, spectrum file, kerma ratio, half-value layer,
    // effective energy; then Label65..Label67.
    void computeSpectrum();
    // From the tube output table when exposureSource is 2; then Label78.
    void computeExposureAt1m();
    // Conversion factors (Label71, Label72), backscatter factors (Label68..70)
    // and entrance surface doses (Label73..75).
    void computeBackscatterAndDose();
    // Throws InputRefused when the conditions fail their check
    // (exposureConditionsFault); every calculation and fit asks it first.
    void checkConditions() const;
    // The check, then the three above in order: one calculation of the
    // current conditions; on success it becomes lastCase. When a step fails,
    // every record, text and the spectrum file are as they were, and the
    // failure is thrown on.
    void calculate();
    // Changes the conditions and calculates, all or nothing: when any step
    // fails, every record, text and the spectrum file are as they were, and
    // the failure is thrown on.
    void recalculateWith(const std::function<void(ExposureConditions&)>& change);

private:
    // What a calculation changes (the tables and the output data it only
    // reads are not copied): taken before it, put back when it fails.
    struct Results {
        ExposureConditions conditions;
        int topBin = 0;
        BinArray photonSpectrum{}, airKermaSpectrum{};
        double kermaRatio = 0;
        BeamQuality beamQuality;
        DoseResults dose;
        ResultLabels labels;
        std::optional<ComputedCase> lastCase;
    };
    Results results() const;
    // Back to earlier results, the spectrum file included.
    void restore(const Results& before);
};

} // namespace velnor
