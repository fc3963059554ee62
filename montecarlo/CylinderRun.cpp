#include "montecarlo/CylinderRun.h"

#include <cmath>

namespace velnor::mc {

CylinderGeometry geometryOf(const CylinderJob& job)
{
    CylinderGeometry g;
    g.radiusCm = job.radiusCm;
    g.thicknessCm = job.thicknessCm;
    g.focusSurfaceCm = job.focusSurfaceCm;
    g.halfFieldX = job.fieldAcrossCm * job.focusSurfaceCm * 0.5f / job.focusReceptorCm;
    if (g.halfFieldX > g.radiusCm)
        g.halfFieldX = g.radiusCm;
    g.halfFieldY = job.fieldAlongCm * job.focusSurfaceCm * 0.5f / job.focusReceptorCm;
    return g;
}

bool sampleSource(const CylinderGeometry& g, LaggedGenerator& random, float energyKev, PhotonState& p, float& x0, float& y0)
{
    return sampleSourceOn(g, random, energyKev, p, x0, y0);
}

bool enterPhantom(const CylinderGeometry& g, float x0, float y0, float energyKev, PhotonState& p) { return g.enter(x0, y0, energyKev, p); }

void transport(PhotonState p, const CylinderGeometry& g, const Interactions& interactions, LaggedGenerator& random,
               CoefficientCache& cache, std::array<float, 3>& score)
{
    transportIn(p, g, interactions, random, cache, score);
}

std::string tableCoverageFault(const CylinderJob& job, const SpectrumWeights& weights, const TissueData& tissue,
                               const AbsorptionTable& absorption)
{
    float top = 0;
    for (int k = kFirstBin; k <= kLastBin; ++k)
        if (binHistories(job, weights, k) > 0)
            top = 0.5f * static_cast<float>(k);
    if (top == 0)
        return {};
    const std::string energy = std::to_string(static_cast<int>(top)) + (top != std::floor(top) ? ".5" : "") + " keV";
    if (!(tissue.energyKev.back() > top))
        return "ICRUSoft.dat ends below " + energy + ", the highest energy of the spectrum";
    if (!(absorption.energyKev.back() > top))
        return "Att_Coeff2020.dat ends below " + energy + ", the highest energy of the spectrum";
    return {};
}

long long plannedHistories(const CylinderJob& job, const SpectrumWeights& weights)
{
    long long total = 0;
    for (int k = kFirstBin; k <= kLastBin; ++k)
        total += std::max(0LL, binHistories(job, weights, k));
    return total;
}

Tallies runHistories(const CylinderJob& job, const SpectrumWeights& weights, const Interactions& interactions,
                     LaggedGenerator& random, const std::function<void(double)>& progress)
{
    return runHistoriesOn(geometryOf(job), job, weights, interactions, random, progress);
}

std::optional<std::array<Factor, 3>> backscatterFactors(const Tallies& t)
{
    if (t.scoringHistories < kMinScoringHistories)
        return std::nullopt;
    std::array<Factor, 3> f;
    for (std::size_t m = 0; m < 3; ++m) {
        if (!(t.primary[m] > 0.0f))
            return std::nullopt;
        f[m].value = (t.backscatter[m] + t.primary[m]) / t.primary[m];
        // Ratio of two means over the same histories (delta method).
        const double n = t.histories;
        const double s = t.sumS[m] / n, p = t.sumP[m] / n;
        const double vs = t.sumSS[m] / n - s * s, vp = t.sumPP[m] / n - p * p, c = t.sumSP[m] / n - s * p;
        const double ratio = s / p;
        const double variance = ratio * ratio * (vs / (s * s) + vp / (p * p) - 2 * c / (s * p)) / n;
        f[m].sigma = s > 0 ? std::sqrt(std::max(0.0, variance)) : 0.0;
    }
    return f;
}

} // namespace velnor::mc
