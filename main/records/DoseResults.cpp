#include "main/records/DoseResults.h"

#include "common/DisplayFormat.h"
#include "common/Reasons.h"

#include <cmath>

namespace velnor {
namespace {

RecordFault fault(Reason r) { return {RecordFault::Kind::NotPhysical, r.field, inEnglish(r), inJapanese(r)}; }

} // namespace

std::optional<RecordFault> backscatterFactorFault(double factor, const std::optional<double>& sd, const char* field)
{
    // A field too small to scatter gives 1 up to the rounding of its sums.
    constexpr double kRounding = 1e-6;
    if (!std::isfinite(factor) || factor < kMinBackscatterFactor - kRounding || factor >= kMaxBackscatterFactor)
        return fault({ReasonCode::BackscatterFactor, field, factor, kMinBackscatterFactor, kMaxBackscatterFactor, {}, {}});
    if (sd && (!std::isfinite(*sd) || *sd < 0))
        return fault({ReasonCode::StandardDeviation, field, *sd, 0, 0, {}, {}});
    return std::nullopt;
}

std::optional<RecordFault> doseResultsFault(const DoseResults& d)
{
    const std::pair<double, const char*> factors[] = {
        {d.cfSoftTissue, "cfSoftTissue"}, {d.cfSkin, "cfSkin"}, {d.cfAir, "cfAir"}};
    for (const auto& [value, field] : factors)
        if (!std::isfinite(value) || !(value > 0))
            return fault({ReasonCode::NotPositive, field, value, 0, 0, {}, {}});
    if (auto f = backscatterFactorFault(d.bsfSoftTissue, d.bsfSoftTissueSd, "bsfSoftTissue"))
        return f;
    if (auto f = backscatterFactorFault(d.bsfSkin, d.bsfSkinSd, "bsfSkin"))
        return f;
    if (auto f = backscatterFactorFault(d.bsfAir, d.bsfAirSd, "bsfAir"))
        return f;
    const std::pair<double, const char*> doses[] = {
        {d.esdSoftTissue, "esdSoftTissue"}, {d.esdSkin, "esdSkin"}, {d.esdAir, "esdAir"}};
    for (const auto& [value, field] : doses)
        if (!std::isfinite(value) || value < 0)
            return fault({ReasonCode::NotFiniteOrNegative, field, value, 0, 0, "mGy", {}});
        else if (value > kMaxEntranceDoseMgy)
            return fault({ReasonCode::AtMost, field, value, 0, kMaxEntranceDoseMgy, "mGy", {}});
    return std::nullopt;
}

} // namespace velnor
