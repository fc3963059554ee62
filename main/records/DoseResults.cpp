#include "main/records/DoseResults.h"

#include "common/DisplayFormat.h"

#include <cmath>

namespace velnor {

std::optional<RecordFault> backscatterFactorFault(double factor, const std::optional<double>& sd, const char* field)
{
    // A field too small to scatter gives 1 up to the rounding of its sums.
    constexpr double kRounding = 1e-6;
    if (!std::isfinite(factor) || factor < kMinBackscatterFactor - kRounding || factor >= kMaxBackscatterFactor)
        return RecordFault{RecordFault::Kind::NotPhysical, field,
                           std::string("backscatter factor ") + field + " " + formatAsIs(factor) + ": it must be at least "
                               + formatAsIs(kMinBackscatterFactor) + " and below " + formatAsIs(kMaxBackscatterFactor)};
    if (sd && (!std::isfinite(*sd) || *sd < 0))
        return RecordFault{RecordFault::Kind::NotPhysical, field,
                           std::string("standard deviation of ") + field + " " + formatAsIs(*sd) + ": it must be a finite number of 0 or more"};
    return std::nullopt;
}

std::optional<RecordFault> doseResultsFault(const DoseResults& d)
{
    const std::pair<double, const char*> factors[] = {
        {d.cfSoftTissue, "cfSoftTissue"}, {d.cfSkin, "cfSkin"}, {d.cfAir, "cfAir"}};
    for (const auto& [value, field] : factors)
        if (!std::isfinite(value) || !(value > 0))
            return RecordFault{RecordFault::Kind::NotPhysical, field,
                               std::string("conversion factor ") + field + " " + formatAsIs(value) + ": it must be positive"};
    if (auto fault = backscatterFactorFault(d.bsfSoftTissue, d.bsfSoftTissueSd, "bsfSoftTissue"))
        return fault;
    if (auto fault = backscatterFactorFault(d.bsfSkin, d.bsfSkinSd, "bsfSkin"))
        return fault;
    if (auto fault = backscatterFactorFault(d.bsfAir, d.bsfAirSd, "bsfAir"))
        return fault;
    const std::pair<double, const char*> doses[] = {
        {d.esdSoftTissue, "esdSoftTissue"}, {d.esdSkin, "esdSkin"}, {d.esdAir, "esdAir"}};
    for (const auto& [value, field] : doses)
        if (!std::isfinite(value) || value < 0)
            return RecordFault{RecordFault::Kind::NotPhysical, field,
                               std::string("entrance surface dose ") + field + " " + formatAsIs(value)
                                   + " mGy: it must be a finite number of 0 or more"};
    return std::nullopt;
}

} // namespace velnor
