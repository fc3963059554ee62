#pragma once

#include "montecarlo/Interactions.h"
#include "montecarlo/JobFile.h"
#include "montecarlo/SpectrumWeights.h"
#include "montecarlo/Surfaces.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

// The engine shared by the three surfaces: the source, the transport of one
// photon and the loop over the histories, each a template on the surface
// (Surfaces.h), so every surface runs the same arithmetic, generator and
// physics, and the cylinder's inner loop stays as fast as before.
namespace velnor::mc {

inline constexpr float kScoringRadiusSquared = 0.25f; // the 0.5 cm disc at the apex
inline constexpr float kEnergyCutoffKev = 5.0f;
inline constexpr int kFirstBin = 10; // 5.0 keV
inline constexpr int kLastBin = kSpectrumBins;
// A draw of 0 happens once in 16384, so a history that needs this many source
// attempts has a geometry the job checks exclude; it counts as a miss.
inline constexpr int kMaxSourceAttempts = 1000;

// Scores of the media air, soft tissue, skin (in this order).
struct Tallies {
    std::array<float, 3> primary{};
    std::array<float, 3> backscatter{};
    // Per-history sums for the statistical uncertainty only (double; they do
    // not enter the factors).
    std::array<double, 3> sumP{}, sumPP{}, sumS{}, sumSS{}, sumSP{};
    double histories = 0;
    long long scoringHistories = 0; // histories whose primary photon crossed the scoring disc
};

// Below this many primary photons through the scoring disc a factor and its
// standard deviation mean nothing (with 1 000 histories on a racetrack a
// handful cross it and the factor reads 1.0000 +- 0.0000).
inline constexpr long long kMinScoringHistories = 100;

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

// Histories of bin k: the 32-bit product w_k N, truncated towards zero.
inline long long binHistories(const CylinderJob& job, const SpectrumWeights& weights, int k)
{
    const float product = weights[static_cast<std::size_t>(k)] * static_cast<float>(job.histories);
    return static_cast<long long>(product);
}

// The number of histories the job will run (after truncation per bin).
long long plannedHistories(const CylinderJob& job, const SpectrumWeights& weights);

// Samples one history's field point (two draws per attempt, until X0 Y0 > 0;
// only the quadrant x > 0, y > 0, as phantom, field and disc are symmetric)
// and enters the phantom there.
template <class Surface>
bool sampleSourceOn(const Surface& g, LaggedGenerator& random, float energyKev, PhotonState& p, float& x0, float& y0)
{
    int attempts = 0;
    do {
        if (++attempts > kMaxSourceAttempts)
            return false;
        const float r1 = random.next();
        const float r2 = random.next();
        x0 = r1 * g.halfFieldX;
        y0 = r2 * g.halfFieldY;
    } while (!(x0 * y0 > 0.0f));
    return g.enter(x0, y0, energyKev, p);
}

// Follows one photon from its entry point until it is absorbed, falls below
// 5 keV or leaves; a photon leaving through the front towards the focus whose
// line crosses the tangent plane inside the disc adds its score to `score`
// (mu_en E W / |cos theta| per medium).
template <class Surface>
void transportIn(PhotonState p, const Surface& g, const Interactions& interactions, LaggedGenerator& random,
               CoefficientCache& cache, std::array<float, 3>& score)
{
    for (;;) {
        if (p.energyKev < kEnergyCutoffKev)
            return;
        const Interactions::Coefficients& mu = cache.at(interactions, p.energyKev);
        std::int32_t v1, v2;
        do {
            v1 = random.nextInteger();
            v2 = random.nextInteger();
        } while (v1 == 0); // r1 = v1 / 16384.1 is positive exactly when v1 is
        const float r2 = LaggedGenerator::toReal(v2);
        const float s = interactions.negativeLog(v1) / mu.total;
        const float x1 = p.x + s * p.sinTheta * p.cosPhi;
        const float y1 = p.y + s * p.sinTheta * p.sinPhi;
        const float z1 = p.z + s * p.cosTheta;
        if (g.outside(x1, y1, z1))
            return;
        if (g.inFront(x1, z1)) {
            // Left through the curved front during this flight.
            if (p.cosTheta >= 0.0f)
                return;
            const float t = -p.z / p.cosTheta;
            const float xp = p.x + t * p.cosPhi * p.sinTheta;
            const float yp = p.y + t * p.sinPhi * p.sinTheta;
            if (xp * xp + yp * yp <= kScoringRadiusSquared) {
                const std::array<float, 3> muen = interactions.absorption(p.energyKev);
                for (std::size_t m = 0; m < 3; ++m)
                    score[m] -= muen[m] * p.energyKev / p.cosTheta * p.weight;
            }
            return;
        }
        p.x = x1;
        p.y = y1;
        p.z = z1;
        if (r2 < mu.photoelectricShare)
            return;
        float cosAngle, sinAngle;
        if (r2 < mu.photoOrCoherentShare)
            interactions.coherent(p.energyKev, random, cosAngle, sinAngle);
        else
            p.energyKev = interactions.incoherent(p.energyKev, random, cosAngle, sinAngle);
        if (p.energyKev < kEnergyCutoffKev)
            return;
        const std::int32_t v = random.nextInteger();
        turn(p, cosAngle, sinAngle, interactions.cos2Pi(v), interactions.sin2Pi(v));
    }
}

// Runs the histories [first, last) of the job's sequence (bins 10..300 in
// order, trunc(w_k N) histories each) with `random`, adding into `t`.
// `progress` (may be empty) is told the share of all histories done, every
// 65536 histories.
template <class Surface>
void runRangeOn(const Surface& g, const CylinderJob& job, const SpectrumWeights& weights, const Interactions& interactions,
                LaggedGenerator& random, long long first, long long last, Tallies& t,
                const std::function<void(double)>& progress = {})
{
    const double planned = static_cast<double>(std::max(1LL, plannedHistories(job, weights)));
    CoefficientCache cache;
    long long done = first;
    long long binStart = 0;
    for (int k = kFirstBin; k <= kLastBin && binStart < last; ++k) {
        const long long n = binHistories(job, weights, k);
        if (n <= 0)
            continue;
        const long long from = std::max(first, binStart), to = std::min(last, binStart + n);
        binStart += n;
        if (from >= to)
            continue;
        const float e0 = 0.5f * static_cast<float>(k);
        const std::array<float, 3> muen0 = interactions.absorption(e0);
        cache.setStartEnergy(interactions, e0);
        for (long long h = from; h < to; ++h) {
            if (progress && ((++done) & 0xFFFF) == 0)
                progress(static_cast<double>(done) / planned);
            PhotonState p;
            float x0, y0;
            if (!sampleSourceOn(g, random, e0, p, x0, y0))
                continue;
            std::array<double, 3> primary{};
            if (x0 * x0 + y0 * y0 <= kScoringRadiusSquared) {
                ++t.scoringHistories;
                for (std::size_t m = 0; m < 3; ++m) {
                    t.primary[m] += muen0[m] * e0;
                    primary[m] = muen0[m] * e0;
                }
            }
            std::array<float, 3> score = t.backscatter;
            transportIn(p, g, interactions, random, cache, score);
            t.histories += 1;
            // Most histories score nothing; adding their zeros changes no sum.
            if (score == t.backscatter && primary[0] == 0.0)
                continue;
            for (std::size_t m = 0; m < 3; ++m) {
                const double s = static_cast<double>(score[m]) - static_cast<double>(t.backscatter[m]);
                t.backscatter[m] = score[m];
                t.sumP[m] += primary[m];
                t.sumPP[m] += primary[m] * primary[m];
                t.sumS[m] += s;
                t.sumSS[m] += s * s;
                t.sumSP[m] += s * primary[m];
            }
        }
    }
}

// Runs every history of the job with one generator: the single stream the
// engine was specified with (the reference for other implementations).
template <class Surface>
Tallies runHistoriesOn(const Surface& g, const CylinderJob& job, const SpectrumWeights& weights, const Interactions& interactions,
                       LaggedGenerator& random, const std::function<void(double)>& progress = {})
{
    Tallies t;
    runRangeOn(g, job, weights, interactions, random, 0, plannedHistories(job, weights), t, progress);
    return t;
}

} // namespace velnor::mc
