#include "tools/mcgen/Simulations.h"

#include "tools/mcgen/Parallel.h"

#include <algorithm>
#include <cmath>

namespace velnor::mcgen {
namespace {

struct RingTally {
    std::array<std::vector<double>, kScoringMedia> rings;
    std::array<double, kScoringMedia> sum{}, sumSquares{};
    RingTally()
    {
        for (auto& r : rings)
            r.assign(kRingCount + 1, 0.0);
    }
    void add(const RingTally& o)
    {
        for (int x = 0; x < kScoringMedia; ++x) {
            for (int i = 0; i <= kRingCount; ++i)
                rings[x][i] += o.rings[x][i];
            sum[x] += o.sum[x];
            sumSquares[x] += o.sumSquares[x];
        }
    }
};

} // namespace

Estimate estimateFromSums(double sum, double sumSquares, long long n, double scale)
{
    const double count = static_cast<double>(n);
    const double mean = sum / count;
    const double variance = std::max(0.0, sumSquares / count - mean * mean);
    return {mean * scale, std::sqrt(variance / count) * scale};
}

RingResult simulateBackscatterRings(const Medium& phantom, const Box& box, double e0,
                                    const std::array<const EnergyAbsorption*, kScoringMedia>& kerma, const RunSettings& run)
{
    std::array<double, kScoringMedia> normalisation{};
    for (int x = 0; x < kScoringMedia; ++x)
        normalisation[x] = e0 * (*kerma[x])(e0);

    auto simulate = [&](Random& random, long long count, RingTally& tally) {
        for (long long h = 0; h < count; ++h) {
            std::array<double, kScoringMedia> history{};
            Photon p;
            p.direction = {0, 0, 1};
            p.energyKev = e0;
            for (;;) {
                const Medium::Coefficients mu = phantom.coefficients(p.energyKev);
                const double path = sampleFreePath(mu.total(), random);
                const double toSurface = box.distanceToSurface(p.position, p.direction);
                if (path >= toSurface) {
                    move(p, toSurface);
                    if (p.direction.z < 0 && p.position.z <= 1e-9) {
                        const double r = std::hypot(p.position.x, p.position.y);
                        const int ring = static_cast<int>(r / kRingWidthCm) + 1;
                        const double obliquity = exitObliquity(-p.direction.z);
                        for (int x = 0; x < kScoringMedia; ++x) {
                            const double score = p.energyKev * (*kerma[x])(p.energyKev) * obliquity / normalisation[x];
                            if (ring <= kRingCount)
                                tally.rings[x][ring] += score;
                            history[x] += score;
                        }
                    }
                    break;
                }
                move(p, path);
                if (!interact(p, phantom, mu, random) || p.energyKev < kCutoffKev)
                    break;
            }
            for (int x = 0; x < kScoringMedia; ++x) {
                tally.sum[x] += history[x];
                tally.sumSquares[x] += history[x] * history[x];
            }
        }
    };
    const RingTally total = runBlocks<RingTally>(run.histories, run.blockSize, run.seed, run.threads, simulate);
    RingResult result;
    for (int x = 0; x < kScoringMedia; ++x) {
        result.rings[x] = total.rings[x];
        for (double& v : result.rings[x])
            v /= static_cast<double>(run.histories);
        result.faceTotal[x] = estimateFromSums(total.sum[x], total.sumSquares[x], run.histories);
    }
    return result;
}

namespace {

struct ScalarTally {
    double sum = 0, sumSquares = 0;
    void add(const ScalarTally& o)
    {
        sum += o.sum;
        sumSquares += o.sumSquares;
    }
};

} // namespace

Estimate simulateAtrScatter(const Medium& plate, const EnergyAbsorption& air, double e0, const AtrGeometry& g,
                            const RunSettings& run)
{
    // Plate coordinates: front face z = 0, focus at z = -focusToPlate, detector on the axis.
    const Box box{g.plateHalfWidthCm, g.plateHalfWidthCm, g.plateThicknessCm};
    const Vec3 detector{0, 0, g.focusToDetectorCm - g.focusToPlateCm};
    // Free-in-air kerma at the detector per source photon: the photons cover
    // the field at the plate evenly, and their fluence falls with the square
    // of the distance from the focus.
    const double fieldArea = g.fieldAtPlateCm * g.fieldAtPlateCm;
    const double primaryFluence = 1.0 / fieldArea * std::pow(g.focusToPlateCm / g.focusToDetectorCm, 2);
    const double freeKerma = e0 * air(e0) * primaryFluence;

    auto simulate = [&](Random& random, long long count, ScalarTally& tally) {
        for (long long h = 0; h < count; ++h) {
            Photon p;
            p.position = {(random.uniform() - 0.5) * g.fieldAtPlateCm, (random.uniform() - 0.5) * g.fieldAtPlateCm, 0};
            const double norm = std::sqrt(p.position.x * p.position.x + p.position.y * p.position.y + g.focusToPlateCm * g.focusToPlateCm);
            p.direction = {p.position.x / norm, p.position.y / norm, g.focusToPlateCm / norm};
            p.energyKev = e0;
            double history = 0;
            for (;;) {
                const Medium::Coefficients mu = plate.coefficients(p.energyKev);
                const double path = sampleFreePath(mu.total(), random);
                if (path >= box.distanceToSurface(p.position, p.direction))
                    break;
                move(p, path);
                // Expected kerma at the detector from scattering here straight towards it.
                const Vec3 v{detector.x - p.position.x, detector.y - p.position.y, detector.z - p.position.z};
                const double r2 = v.x * v.x + v.y * v.y + v.z * v.z;
                const double r = std::sqrt(r2);
                const Vec3 w{v.x / r, v.y / r, v.z / r};
                const double cosine = p.direction.x * w.x + p.direction.y * w.y + p.direction.z * w.z;
                const double inPlate = (g.plateThicknessCm - p.position.z) / w.z;
                const double compton = p.energyKev / (1.0 + p.energyKev / kElectronRestKev * (1.0 - cosine));
                const double viaCoherent = mu.coherent / mu.total() * plate.coherentDensity(p.energyKev, cosine)
                    * std::exp(-mu.total() * inPlate) * p.energyKev * air(p.energyKev);
                const double viaIncoherent = compton < kCutoffKev ? 0.0
                    : mu.incoherent / mu.total() * plate.incoherentDensity(p.energyKev, cosine)
                        * std::exp(-plate.coefficients(compton).total() * inPlate) * compton * air(compton);
                history += (viaCoherent + viaIncoherent) / r2;
                if (!interact(p, plate, mu, random) || p.energyKev < kCutoffKev)
                    break;
            }
            history /= freeKerma;
            tally.sum += history;
            tally.sumSquares += history * history;
        }
    };
    const ScalarTally total = runBlocks<ScalarTally>(run.histories, run.blockSize, run.seed, run.threads, simulate);
    return estimateFromSums(total.sum, total.sumSquares, run.histories);
}

namespace {

struct KernelTally {
    std::vector<double> values = std::vector<double>(kKernelSize * kKernelSize, 0.0);
    std::vector<long long> collisions = std::vector<long long>(kKernelSize * kKernelSize, 0);
    void add(const KernelTally& o)
    {
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] += o.values[i];
            collisions[i] += o.collisions[i];
        }
    }
};

} // namespace

KernelResult simulateScatterKernel(const Medium& phantom, const Cylinder& cylinder, const EnergyAbsorption& kerma,
                                   double e0, const RunSettings& run)
{
    auto simulate = [&](Random& random, long long count, KernelTally& tally) {
        for (long long h = 0; h < count; ++h) {
            Photon p;
            p.direction = {0, 0, 1};
            p.energyKev = e0;
            for (;;) {
                const Medium::Coefficients mu = phantom.coefficients(p.energyKev);
                const double path = sampleFreePath(mu.total(), random);
                if (path >= cylinder.distanceToSurface(p.position, p.direction))
                    break;
                move(p, path);
                if (p.scatterings > 0) {
                    // Collision estimator: fluence x volume = 1 / mu per collision;
                    // kerma x ring area = that x E muen/rho / slab thickness.
                    const int m = static_cast<int>(p.position.z / kKernelStepCm);
                    const int j = static_cast<int>(std::hypot(p.position.x, p.position.y) / kKernelStepCm);
                    if (m < kKernelSize && j < kKernelSize) {
                        const std::size_t i = static_cast<std::size_t>(m * kKernelSize + j);
                        tally.values[i] += p.energyKev * kerma(p.energyKev) / mu.total() / kKernelStepCm;
                        ++tally.collisions[i];
                    }
                }
                if (!interact(p, phantom, mu, random) || p.energyKev < kCutoffKev)
                    break;
            }
        }
    };
    const KernelTally total = runBlocks<KernelTally>(run.histories, run.blockSize, run.seed, run.threads, simulate);
    KernelResult result{total.values, total.collisions};
    for (double& v : result.values)
        v /= static_cast<double>(run.histories);
    return result;
}

} // namespace velnor::mcgen
