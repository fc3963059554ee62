#pragma once

namespace velnor::patterns {

// How the main window shows its results; velnor-calc reproduces the same texts.
inline constexpr const char* kHvlMm = "#0.000";              // Label65, first HVL in mm Al
inline constexpr const char* kEffectiveEnergyKev = "#00.00"; // Label66
inline constexpr const char* kAtrIndex = "0.000";            // Label67
inline constexpr const char* kBackscatterFactor = "#0.000";  // Label68..Label70
inline constexpr const char* kConversionFactor = "#00.00";   // Label71, Label72
inline constexpr const char* kSurfaceDoseMgy = "#0.00";      // Label73..Label75
inline constexpr const char* kExposureAt1m = "0.00E+0";      // Label78, C/kg

} // namespace velnor::patterns
