#pragma once

#include "tools/mcgen/Medium.h"
#include "tools/mcgen/Transport.h"

#include <array>
#include <cstdint>
#include <vector>

namespace velnor::mcgen {

struct RunSettings {
    long long histories = 0;
    long long blockSize = 10000;
    std::uint64_t seed = 20261206;
    unsigned threads = 1;
};

// Mean and one standard deviation of a per-history score.
struct Estimate {
    double mean = 0;
    double sigma = 0;
};

// The estimate of `n` histories from the sums of their scores and squared
// scores, both scaled by `scale`.
Estimate estimateFromSums(double sum, double sumSquares, long long n, double scale = 1.0);

inline constexpr int kRingCount = 300;      // rings of 0.1 cm around the pencil beam
inline constexpr double kRingWidthCm = 0.1;
inline constexpr int kScoringMedia = 3;     // the kerma media of one run

// Differential backscatter factors by reciprocity. A pencil beam of energy E0
// enters the block at the centre of its front face (z = 0) along +z. Each
// photon that leaves through the front face scores E (muen/rho)_x(E) / |cos|
// in the ring of its exit radius, per kerma medium x; the sums are divided by
// N E0 (muen/rho)_x(E0). The sum over all rings, with its uncertainty, is the
// backscatter of a field as large as the face.
struct RingResult {
    std::array<std::vector<double>, kScoringMedia> rings; // [medium][ring 1..300]
    std::array<Estimate, kScoringMedia> faceTotal;
};
RingResult simulateBackscatterRings(const Medium& phantom, const Box& box, double energyKev,
                                    const std::array<const EnergyAbsorption*, kScoringMedia>& kerma, const RunSettings& run);

// Scatter from the 2 cm acrylic plate of the ATR measurement, relative to the
// free-in-air air kerma at the detector point: a point focus 50 cm in front of
// the plate, the beam 10 x 10 cm at its front face, a 30 x 30 cm plate, the
// detector point on the axis 100 cm from the focus. Next-event (point
// detector) estimator at every collision in the plate.
struct AtrGeometry {
    double focusToPlateCm = 50;
    double plateThicknessCm = 2;
    double plateHalfWidthCm = 15;
    double fieldAtPlateCm = 10;
    double focusToDetectorCm = 100;
};
Estimate simulateAtrScatter(const Medium& plate, const EnergyAbsorption& air, double energyKev, const AtrGeometry& geometry,
                            const RunSettings& run);

// Scatter kernel of a pencil beam: for depth slabs m and rings j of 0.5 cm
// (80 x 80), the scatter kerma per incident photon in each annular voxel times
// the ring's area [keV cm^2/g], from a collision estimator of the fluence of
// photons that have scattered at least once.
inline constexpr int kKernelSize = 80;
inline constexpr double kKernelStepCm = 0.5;
struct KernelResult {
    std::vector<double> values; // [m * 80 + j], m, j from 0
    std::vector<long long> collisions;
};
KernelResult simulateScatterKernel(const Medium& phantom, const Cylinder& cylinder, const EnergyAbsorption& kerma,
                                   double energyKev, const RunSettings& run);

// Fluence through a surface counts each crossing with 1/|cos|, whose variance
// is infinite for grazing crossings. Below |cos| = 0.1 the crossing counts
// 20, the mean of 1/|cos| there for a radiance that is even near grazing (the
// convention of MCNP's surface-flux tally), which keeps the mean and bounds
// the variance.
inline constexpr double kGrazingCosine = 0.1;
inline double exitObliquity(double absCosine) { return absCosine < kGrazingCosine ? 2.0 / kGrazingCosine : 1.0 / absCosine; }

} // namespace velnor::mcgen
