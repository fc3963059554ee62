#pragma once

#include "montecarlo/Engine.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace velnor::mc {

// The cylinder run: the phantom |x| <= R, |y| <= 40, z < T, in front bounded
// by the cylinder surface (Surfaces.h). Half fields at the entrance plane:
// a = F1 d_s / 2 d_r, at most R; b = F2 d_s / 2 d_r.
CylinderGeometry geometryOf(const CylinderJob& job);

// The entry point, direction and weight of the ray from the focus through the
// field point (x0, y0, 0). False when the ray misses the cylinder (or
// rounding would put the entry point outside it).
bool enterPhantom(const CylinderGeometry& g, float x0, float y0, float energyKev, PhotonState& photon);

bool sampleSource(const CylinderGeometry& g, LaggedGenerator& random, float energyKev, PhotonState& photon, float& x0,
                  float& y0);

void transport(PhotonState photon, const CylinderGeometry& g, const Interactions& interactions, LaggedGenerator& random,
               CoefficientCache& cache, std::array<float, 3>& score);

Tallies runHistories(const CylinderJob& job, const SpectrumWeights& weights, const Interactions& interactions,
                     LaggedGenerator& random, const std::function<void(double)>& progress = {});

// Why the tables cannot serve the job, or empty: every energy from 5 keV up to
// the highest bin that runs histories needs a table row above it.
std::string tableCoverageFault(const CylinderJob& job, const SpectrumWeights& weights, const TissueData& tissue,
                               const AbsorptionTable& absorption);

struct Factor {
    float value = 0;     // (S + P) / P
    double sigma = 0;    // one standard deviation, from the per-history sums
};
// Backscatter factors of air, soft tissue and skin; empty when fewer than
// kMinScoringHistories primary photons reached the scoring disc (too few to
// give a factor and its uncertainty).
std::optional<std::array<Factor, 3>> backscatterFactors(const Tallies& tallies);

} // namespace velnor::mc
