#include "main/dose/EntranceSurfaceDose.h"

#include "common/DisplayFormat.h"
#include "main/records/CalculationError.h"

#include <cmath>

namespace velnor {

double entranceSurfaceDoseMgy(double bsf, double cf, double exposureAt1m, double fsdCm)
{
    if (!(fsdCm > 0))
        throw CalculationError(Reason{ReasonCode::NotPositive, "focusSurfaceDistanceCm", fsdCm, 0, 0, "cm"});
    const double dose = 1000 * bsf * cf * (10000 / (fsdCm * fsdCm)) * exposureAt1m;
    if (!std::isfinite(dose))
        throw CalculationError(Reason{ReasonCode::EsdNotFinite});
    return dose;
}

} // namespace velnor
