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
    // Only the quadrant x > 0, y > 0: phantom, field and disc are symmetric.
    int attempts = 0;
    do {
        if (++attempts > kMaxSourceAttempts)
            return false;
        const float r1 = random.next();
        const float r2 = random.next();
        x0 = r1 * g.halfFieldX;
        y0 = r2 * g.halfFieldY;
    } while (!(x0 * y0 > 0.0f));
    return enterPhantom(g, x0, y0, energyKev, p);
}

bool enterPhantom(const CylinderGeometry& g, float x0, float y0, float energyKev, PhotonState& p)
{
    const float ds = g.focusSurfaceCm;
    const float r = g.radiusCm;
    p.weight = ds * ds / (ds * ds + x0 * x0 + y0 * y0);
    // The ray from the focus through (x0, y0, 0) meets the cylinder (x^2 + (z - R)^2 = R^2).
    const float ratio = ds / x0;
    const float a = ratio * ratio + 1.0f;
    const float b = -(ds + r) * ds * 2.0f / x0;
    const float c = (ds + r) * (ds + r) - r * r;
    const float d = b * b - 4.0f * a * c;
    if (!(d > 0.0f))
        return false;
    const float xs = (-b - std::sqrt(d)) / (2.0f * a);
    const float inside = r * r - xs * xs;
    if (inside < 0.0f)
        return false;
    const float zs = r - std::sqrt(inside);
    p.x = xs;
    p.z = zs;
    p.y = (zs + ds) * y0 / ds;
    const float rho = std::sqrt(y0 * y0 + x0 * x0);
    p.cosPhi = x0 / rho;
    p.sinPhi = y0 / rho;
    const float l = std::sqrt(rho * rho + ds * ds);
    p.cosTheta = ds / l;
    p.sinTheta = rho / l;
    p.energyKev = energyKev;
    return true;
}

void transport(PhotonState p, const CylinderGeometry& g, const Interactions& interactions, LaggedGenerator& random,
               CoefficientCache& cache, std::array<float, 3>& score)
{
    const float r = g.radiusCm;
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
        if (std::fabs(x1) > r || std::fabs(y1) > kHalfLengthCm || z1 >= g.thicknessCm)
            return;
        if (r - std::sqrt(r * r - x1 * x1) > z1) {
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

namespace {

// Histories of bin k: the 32-bit product w_k N, truncated towards zero.
long long binHistories(const CylinderJob& job, const SpectrumWeights& weights, int k)
{
    const float product = weights[static_cast<std::size_t>(k)] * static_cast<float>(job.histories);
    return static_cast<long long>(product);
}

constexpr int kFirstBin = 10; // 5.0 keV
constexpr int kLastBin = kSpectrumBins;

} // namespace

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
    const CylinderGeometry g = geometryOf(job);
    const double planned = static_cast<double>(std::max(1LL, plannedHistories(job, weights)));
    Tallies t;
    CoefficientCache cache;
    long long done = 0;
    for (int k = kFirstBin; k <= kLastBin; ++k) {
        const long long n = binHistories(job, weights, k);
        if (n <= 0)
            continue;
        const float e0 = 0.5f * static_cast<float>(k);
        const std::array<float, 3> muen0 = interactions.absorption(e0);
        cache.setStartEnergy(interactions, e0);
        for (long long h = 0; h < n; ++h) {
            if (progress && ((++done) & 0xFFFF) == 0)
                progress(static_cast<double>(done) / planned);
            PhotonState p;
            float x0, y0;
            if (!sampleSource(g, random, e0, p, x0, y0))
                continue;
            std::array<double, 3> primary{};
            if (x0 * x0 + y0 * y0 <= kScoringRadiusSquared)
                for (std::size_t m = 0; m < 3; ++m) {
                    t.primary[m] += muen0[m] * e0;
                    primary[m] = muen0[m] * e0;
                }
            std::array<float, 3> score = t.backscatter;
            transport(p, g, interactions, random, cache, score);
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
    return t;
}

std::optional<std::array<Factor, 3>> backscatterFactors(const Tallies& t)
{
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
