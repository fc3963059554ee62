#pragma once

namespace velnor {

// Entrance surface dose [mGy] of one medium: backscatter factor x conversion
// factor [Gy/(C/kg)] x exposure at 1 m [C/kg], corrected by the inverse square
// from 100 cm to the surface (FSD in cm), in mGy. Throws CalculationError when
// FSD is not positive.
double entranceSurfaceDoseMgy(double backscatterFactor, double conversionFactor, double exposureAt1m, double fsdCm);

} // namespace velnor
