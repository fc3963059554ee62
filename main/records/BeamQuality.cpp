#include "main/records/BeamQuality.h"

#include "common/Reasons.h"

#include <cmath>

namespace velnor {

std::optional<RecordFault> beamQualityFault(const BeamQuality& b)
{
    auto fault = [](Reason r) { return RecordFault{RecordFault::Kind::NotPhysical, r.field, inEnglish(r), inJapanese(r)}; };
    auto notPositive = [](double v) { return !std::isfinite(v) || !(v > 0); };
    if (notPositive(b.hvl1Cm))
        return fault({ReasonCode::NotPositive, "hvl1Cm", 10 * b.hvl1Cm, 0, 0, "mm Al", {}});
    if (b.hvl2Cm && notPositive(*b.hvl2Cm))
        return fault({ReasonCode::NotPositive, "hvl2Cm", 10 * *b.hvl2Cm, 0, 0, "mm Al", {}});
    if (notPositive(b.effectiveEnergyKev))
        return fault({ReasonCode::NotPositive, "effectiveEnergyKev", b.effectiveEnergyKev, 0, 0, "keV", {}});
    if (b.qualityIndex && notPositive(*b.qualityIndex))
        return fault({ReasonCode::NotPositive, "qualityIndex", *b.qualityIndex, 0, 0, {}, {}});
    if (!std::isfinite(b.atrIndex) || b.atrIndex < 0 || b.atrIndex > 1)
        return fault({ReasonCode::OutOfRange, "atrIndex", b.atrIndex, 0, 1, {}, {}});
    return std::nullopt;
}

} // namespace velnor
