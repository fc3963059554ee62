#include "main/records/BeamQuality.h"

#include "common/DisplayFormat.h"

#include <cmath>

namespace velnor {

std::optional<RecordFault> beamQualityFault(const BeamQuality& b)
{
    auto notPositive = [](double v) { return !std::isfinite(v) || !(v > 0); };
    if (notPositive(b.hvl1Cm))
        return RecordFault{RecordFault::Kind::NotPhysical, "hvl1Cm", "first half-value layer " + formatAsIs(10 * b.hvl1Cm) + " mm Al: it must be positive"};
    if (b.hvl2Cm && notPositive(*b.hvl2Cm))
        return RecordFault{RecordFault::Kind::NotPhysical, "hvl2Cm", "second half-value layer " + formatAsIs(10 * *b.hvl2Cm) + " mm Al: it must be positive"};
    if (notPositive(b.effectiveEnergyKev))
        return RecordFault{RecordFault::Kind::NotPhysical, "effectiveEnergyKev", "effective energy " + formatAsIs(b.effectiveEnergyKev) + " keV: it must be positive"};
    if (b.qualityIndex && notPositive(*b.qualityIndex))
        return RecordFault{RecordFault::Kind::NotPhysical, "qualityIndex", "quality index " + formatAsIs(*b.qualityIndex) + ": it must be positive"};
    if (!std::isfinite(b.atrIndex) || b.atrIndex < 0 || b.atrIndex > 1)
        return RecordFault{RecordFault::Kind::NotPhysical, "atrIndex", "ATR index " + formatAsIs(b.atrIndex) + ": it must lie between 0 and 1"};
    return std::nullopt;
}

} // namespace velnor
