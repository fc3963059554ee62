#pragma once

#include "main/records/BeamQuality.h"
#include "main/records/DoseResults.h"
#include "main/records/ExposureConditions.h"

#include <array>
#include <optional>
#include <vector>

namespace velnor {

// One calculated case as the results table keeps it: the conditions as they
// were when the results were computed, and those results. Only the surface
// values of the row's own surface are kept; the others are 0.
struct ResultRow {
    ExposureConditions conditions;
    BeamQuality beamQuality;
    DoseResults dose;
    std::optional<double> effectiveDoseMsv; // from the depth-dose program
    bool fromFile = false; // read from a results file: drawn with "―" when it has no effective dose
    // The photon spectrum of a case computed in this run, for the depth-dose
    // hand-off of the row; a results file keeps none.
    std::optional<BinArray> photonSpectrum;
};

inline constexpr int kMaxResultRows = 15;

// Whether a row holds a case that could have been computed: its conditions,
// beam quality and results pass their records' checks, and an effective dose
// is finite and not negative. A row keeps no history count and its exposure
// at 1 m stands for itself, so those are taken as given.
std::optional<RecordFault> resultRowFault(const ResultRow& row);

// Up to fifteen rows of results; rows 1 .. nextFreeRow - 1 are filled.
class ResultsTable {
public:
    int nextFreeRow() const { return m_nextFreeRow; }
    bool empty() const { return m_nextFreeRow == 1; }
    bool full() const { return m_nextFreeRow > kMaxResultRows; }
    const ResultRow& row(int k) const { return m_rows[static_cast<std::size_t>(k)]; }

    // Stores one computed case in the next free row and returns its number
    // (0 when the table is full). An empty body part is kept as one
    // ideographic space.
    int addRow(const ExposureConditions& conditions, const BeamQuality& beamQuality, const DoseResults& dose,
               const std::optional<BinArray>& photonSpectrum = std::nullopt);
    void setEffectiveDoseOfLastRow(double msv);
    // Row k (1 .. nextFreeRow - 1) takes its effective dose; false for a row
    // the table does not hold.
    bool setEffectiveDoseOfRow(int k, double msv);
    // The rows of a results file, as they were stored (at most fifteen).
    void replaceRows(const std::vector<ResultRow>& rows);
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
