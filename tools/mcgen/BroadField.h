#pragma once

#include "tools/mcgen/Simulations.h"

namespace velnor::mcgen {

// Direct simulations of a broad field, for checking the tables made by
// reciprocity: a square field of side `fieldCm` at the phantom surface, from a
// point focus at `fsdCm` in front of it, or parallel when fsdCm is infinite.

// Backscatter factor at the field centre: backscattered kerma in the scoring
// medium through a disc of radius `discCm` at the centre of the surface,
// divided by the primary kerma there. The primary fluence falls off from the
// centre as from a point source.
Estimate simulateCentralBackscatter(const Medium& phantom, const Box& box, const EnergyAbsorption& kerma, double energyKev,
                                    double fsdCm, double fieldCm, double discCm, const RunSettings& run);

// Scatter kerma on the central axis per unit primary fluence at the surface
// [keV cm^2/g], in cylinders of radius `discCm` for the 0.5 cm depth slabs
// `slabs` (from 0), by a collision estimator. The primary fluence is even over
// the field at the surface, as the depth-dose program assumes.
std::vector<Estimate> simulateCentralScatterKerma(const Medium& phantom, const Cylinder& cylinder, const EnergyAbsorption& kerma,
                                                  double energyKev, double fsdCm, double fieldCm, double discCm,
                                                  const std::vector<int>& slabs, const RunSettings& run);

} // namespace velnor::mcgen
