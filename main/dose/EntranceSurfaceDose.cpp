#include "main/dose/EntranceSurfaceDose.h"

#include "common/DisplayFormat.h"
#include "main/records/CalculationError.h"

#include <cmath>

namespace velnor {

double entranceSurfaceDoseMgy(double bsf, double cf, double exposureAt1m, double fsdCm)
{
    if (!(fsdCm > 0))
        throw CalculationError("focus-surface distance " + formatAsIs(fsdCm) + " cm: it must be positive",
                               "焦点-入射表面間距離が " + formatAsIs(fsdCm) + " cm です。0 より大きくして下さい");
    const double dose = 1000 * bsf * cf * (10000 / (fsdCm * fsdCm)) * exposureAt1m;
    if (!std::isfinite(dose))
        throw CalculationError("the entrance surface dose is not a finite number", "入射表面線量が数値として扱えない値になりました");
    return dose;
}

} // namespace velnor
