#pragma once

#include "main/records/RecordFault.h"

#include <optional>

namespace velnor {

// Beam-quality indices of the last successful spectrum.
struct BeamQuality {
    double hvl1Cm = 0;                 // first half-value layer of air kerma, cm Al
    std::optional<double> hvl2Cm;      // second HVL, cm Al; only from stored results files
    double effectiveEnergyKev = 0;     // monoenergetic beam with the same first HVL in Al
    std::optional<double> qualityIndex; // only from stored results files
    double atrIndex = 0;               // acrylic transmittance index X1 / X0
};

// Whether the indices are physical: a positive finite first HVL and
// effective energy, a second HVL and quality index positive when present, an
// ATR index from 0 to 1 (a transmitted share).
std::optional<RecordFault> beamQualityFault(const BeamQuality& beamQuality);

} // namespace velnor
