#pragma once

#include "main/records/DoseResults.h"

#include "main/records/EnergyGrid.h"
#include "main/records/ExposureConditions.h"

#include <optional>
#include "main/records/ReferenceTables.h"

#include <array>

namespace velnor {

struct BackscatterFactors {
    double softTissue = 0;
    double skin = 0;
    double air = 0;
    // One standard deviation of each, when a Monte Carlo engine gave them.
    std::optional<double> softTissueSd, skinSd, airSd;
    // The histories the engine ran (its per-energy share rounds the count asked for).
    std::optional<long long> histories;
};

// Whether the three factors (and their deviations) are physical, as
// backscatterFactorFault says of each.
std::optional<RecordFault> backscatterFactorsFault(const BackscatterFactors& factors);

// The field at the entrance surface, cut into rings of 0.1 cm around the beam
// axis: how many rings each sum of the planar method covers.
struct SurfaceField {
    bool circular = false;
    int rings = 0;          // circle: rings 1..n inside the diameter
    double halfLongCm = 0;  // rectangle: a
    double halfShortCm = 0; // rectangle: b
    int ringsShort = 0;     // n_b: whole rings inside the short half-side
    int ringsLong = 0;      // n_a: rings up to the long half-side
    int ringsCorner = 0;    // n_c: rings up to the corner
};

// The receptor-plane field scaled to the surface by FSD / FFD; sides limited
// to 1..40 cm, a circle's diameter to 40 cm. Throws CalculationError when FFD
// is not positive.
SurfaceField surfaceField(const ExposureConditions& conditions);

// Backscatter factor per energy node of one medium's table, nodes 1..lastNode:
// 1 + the sum over the rings inside the field of the tabulated differential
// factor, weighted by the primary's inverse-square fall-off
// FSD^2 / (FSD^2 + r^2) and by the fraction of the ring inside the field.
std::array<double, kBsfEnergyColumns + 1> backscatterByEnergy(const DifferentialBsfTable& table, int phantom,
                                                              const SurfaceField& field, double fsdCm, int lastNode);

// Backscatter factors of soft tissue, skin and air kerma for a flat surface:
// per-node factors averaged over the spectrum weighted by photon number x
// energy x the medium's muen. Throws CalculationError for a tube voltage
// above 150 kV, a spectrum bin at 150 keV or above with weight, or an FFD
// that is not positive.
BackscatterFactors planarBackscatter(const ExposureConditions& conditions, const ReferenceTables& tables,
                                     const BinArray& photonSpectrum);

inline constexpr double kQuarterTurn = 1.570795; // as the tables were made
inline constexpr double kMaxSurfaceFieldCm = 40;

} // namespace velnor
