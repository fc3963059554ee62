#pragma once

#include "main/records/EnergyGrid.h"
#include "main/records/ReferenceTables.h"

namespace velnor {

// ATR index: sum of X1 x photons over sum of X0 x photons, bins 2..topBin.
// Throws CalculationError when the X0 sum is zero.
double computeAtrIndex(const BinArray& photonSpectrum, int topBin, const AtrTable& atr);

// First half-value layer of air kerma [cm Al]: the air-kerma spectrum is
// filtered by further 0.1-mm steps of aluminium until the transmission falls
// strictly below 50 %, then interpolated logarithmically between the last two
// steps (from no aluminium, 100 %, when the first step is already below 50 %).
// Throws CalculationError when 300 steps (30 mm) are not enough.
double computeHvl1Cm(const BinArray& airKermaSpectrum, int topBin, const BinArray& muAluminium);

// Effective energy [keV]: the energy at which aluminium's attenuation
// coefficient equals ln 2 / HVL, interpolated log-log between bins. Throws
// CalculationError when it lies beyond the last bin.
double computeEffectiveEnergyKev(double hvl1Cm, const BinArray& muAluminium);

inline constexpr double kLn2 = 0.693147; // six decimals, as the index is defined

} // namespace velnor
