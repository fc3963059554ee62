#pragma once

#include "montecarlo/Interactions.h"
#include "montecarlo/JobFile.h"
#include "montecarlo/SpectrumWeights.h"

#include <array>
#include <functional>
#include <optional>

namespace velnor::mc {

// The phantom and field of a cylinder run, in the engine's coordinates: the
// origin at the apex of the curved surface, z along the central ray into the
// phantom, x across the cylinder (axis at x = 0, z = R), y along it; the
// focus at z = -d_s. The phantom is |x| <= R, |y| <= 40, z < T, in front
// bounded by the cylinder surface.
struct CylinderGeometry {
    float radiusCm = 0;
    float thicknessCm = 0;
    float focusSurfaceCm = 0;
    float halfFieldX = 0; // a: across the axis at the entrance plane, at most R
    float halfFieldY = 0; // b: along the axis
};
CylinderGeometry geometryOf(const CylinderJob& job);

inline constexpr float kHalfLengthCm = 40.0f;
inline constexpr float kScoringRadiusSquared = 0.25f; // the 0.5 cm disc at the apex
inline constexpr float kEnergyCutoffKev = 5.0f;

// The entry point, direction and weight of the ray from the focus through the
// field point (x0, y0, 0). False when the ray misses the cylinder (or
// rounding would put the entry point outside it).
bool enterPhantom(const CylinderGeometry& g, float x0, float y0, float energyKev, PhotonState& photon);

// Samples one history's field point (two draws per attempt, until X0 Y0 > 0)
// and enters the phantom there. A draw of 0 happens once in 16384, so a
// history that needs kMaxSourceAttempts attempts has a geometry the job
// checks exclude; it is counted as a miss rather than looping for ever.
inline constexpr int kMaxSourceAttempts = 1000;
bool sampleSource(const CylinderGeometry& g, LaggedGenerator& random, float energyKev, PhotonState& photon, float& x0,
                  float& y0);

// Scores of the media air, soft tissue, skin (in this order).
struct Tallies {
    std::array<float, 3> primary{};
    std::array<float, 3> backscatter{};
    // Per-history sums for the statistical uncertainty only (double; they do
    // not enter the factors).
    std::array<double, 3> sumP{}, sumPP{}, sumS{}, sumSS{}, sumSP{};
    double histories = 0;
};

// Coefficients kept while the energy does not change: those of the bin's
// starting energy, which every history of the bin begins with, and those last
// computed, since coherent scattering keeps the energy.
struct CoefficientCache {
    struct Entry {
        float energyKev = -1.0f;
        Interactions::Coefficients mu;
    };
    Entry start, last;
    void setStartEnergy(const Interactions& interactions, float e) { start = {e, interactions.coefficients(e)}; }
    const Interactions::Coefficients& at(const Interactions& interactions, float e)
    {
        if (e == start.energyKev)
            return start.mu;
        if (e != last.energyKev)
            last = {e, interactions.coefficients(e)};
        return last.mu;
    }
};

// Follows one photon from its entry point until it is absorbed, falls below
// 5 keV or leaves; a photon leaving through the front towards the focus whose
// line crosses the tangent plane inside the disc adds its score to `score`
// (mu_en E W / |cos theta| per medium).
void transport(PhotonState photon, const CylinderGeometry& g, const Interactions& interactions, LaggedGenerator& random,
               CoefficientCache& cache, std::array<float, 3>& score);

// Runs every history of the job: bins 10..300 in order, trunc(w_k N) histories
// each. `progress` (may be empty) is told the share of histories done.
Tallies runHistories(const CylinderJob& job, const SpectrumWeights& weights, const Interactions& interactions,
                     LaggedGenerator& random, const std::function<void(double)>& progress = {});

// Why the tables cannot serve the job, or empty: every energy from 5 keV up to
// the highest bin that runs histories needs a table row above it.
std::string tableCoverageFault(const CylinderJob& job, const SpectrumWeights& weights, const TissueData& tissue,
                               const AbsorptionTable& absorption);

// The number of histories the job will run (after truncation per bin).
long long plannedHistories(const CylinderJob& job, const SpectrumWeights& weights);

struct Factor {
    float value = 0;     // (S + P) / P
    double sigma = 0;    // one standard deviation, from the per-history sums
};
// Backscatter factors of air, soft tissue and skin; empty when a primary
// tally is zero (no history reached the scoring disc).
std::optional<std::array<Factor, 3>> backscatterFactors(const Tallies& tallies);

} // namespace velnor::mc
