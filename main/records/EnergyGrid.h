#pragma once

#include <array>

namespace velnor {

// Every spectrum and coefficient array is indexed by bin j = 1..300, bin j
// standing for the photon energy 0.5 x j keV (0.5 to 150 keV). Index 0 is
// never used, so loops read like the physics: for (int j = 2; j <= jMax; ++j).
inline constexpr int kBinCount = 300;
inline constexpr double kBinWidthKev = 0.5;

using BinArray = std::array<double, kBinCount + 1>;

// Photon energy of bin j, keV.
constexpr double binEnergyKev(int j) { return kBinWidthKev * j; }

} // namespace velnor
