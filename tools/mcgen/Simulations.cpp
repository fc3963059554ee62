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
            track(p, phantom, box, random, ignoreCollision, [&](const Photon& out) {
                if (!leavingThroughFront(out))
                    return;
                const double r = std::hypot(out.position.x, out.position.y);
                const int ring = static_cast<int>(r / kRingWidthCm) + 1;
                const double obliquity = exitObliquity(-out.direction.z);
                for (int x = 0; x < kScoringMedia; ++x) {
                    const double score = out.energyKev * (*kerma[x])(out.energyKev) * obliquity / normalisation[x];
                    if (ring <= kRingCount)
                        tally.rings[x][ring] += score;
                    history[x] += score;
                }
            });
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
            track(p, plate, box, random, [&](const Photon& at, const Medium::Coefficients& mu) {
                // Expected kerma at the detector from scattering here straight towards it.
                const Vec3 v{detector.x - at.position.x, detector.y - at.position.y, detector.z - at.position.z};
                const double r2 = v.x * v.x + v.y * v.y + v.z * v.z;
                const double r = std::sqrt(r2);
                const Vec3 w{v.x / r, v.y / r, v.z / r};
                const double cosine = at.direction.x * w.x + at.direction.y * w.y + at.direction.z * w.z;
                const double inPlate = (g.plateThicknessCm - at.position.z) / w.z;
                const double e = at.energyKev;
                const double compton = e / (1.0 + e / kElectronRestKev * (1.0 - cosine));
                const double viaCoherent = mu.coherent / mu.total() * plate.coherentDensity(e, cosine)
                    * std::exp(-mu.total() * inPlate) * e * air(e);
                const double viaIncoherent = compton < kCutoffKev ? 0.0
                    : mu.incoherent / mu.total() * plate.incoherentDensity(e, cosine)
                        * std::exp(-plate.coefficients(compton).total() * inPlate) * compton * air(compton);
                history += (viaCoherent + viaIncoherent) / r2;
            }, ignoreExit);
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
            track(p, phantom, cylinder, random, [&](const Photon& at, const Medium::Coefficients& mu) {
                if (at.scatterings == 0)
                    return;
                // Collision estimator: fluence x volume = 1 / mu per collision;
                // kerma x ring area = that x E muen/rho / slab thickness.
                const int m = static_cast<int>(at.position.z / kKernelStepCm);
                const int j = static_cast<int>(std::hypot(at.position.x, at.position.y) / kKernelStepCm);
                if (m < kKernelSize && j < kKernelSize) {
                    const std::size_t i = static_cast<std::size_t>(m * kKernelSize + j);
                    tally.values[i] += at.energyKev * kerma(at.energyKev) / mu.total() / kKernelStepCm;
                    ++tally.collisions[i];
                }
            }, ignoreExit);
        }
    };
    const KernelTally total = runBlocks<KernelTally>(run.histories, run.blockSize, run.seed, run.threads, simulate);
    KernelResult result{total.values, total.collisions};
    for (double& v : result.values)
        v /= static_cast<double>(run.histories);
    return result;
}

} // namespace velnor::mcgen
