#include "tools/mcgen/BroadField.h"

#include "tools/mcgen/Parallel.h"

#include <cmath>

namespace velnor::mcgen {
namespace {

struct SumTally {
    std::vector<double> sum, sumSquares;
    explicit SumTally(std::size_t n = 1) : sum(n, 0.0), sumSquares(n, 0.0) {}
    void add(const SumTally& o)
    {
        for (std::size_t i = 0; i < sum.size(); ++i) {
            sum[i] += o.sum[i];
            sumSquares[i] += o.sumSquares[i];
        }
    }
};

// A photon entering the surface z = 0 at a point spread evenly over the field,
// travelling away from the focus (along +z for a parallel beam, fsd infinite).
// `cosine` is the cosine of its angle to the axis.
Photon entering(double e0, double fsdCm, double fieldCm, Random& random, double& cosine)
{
    Photon p;
    p.position = {(random.uniform() - 0.5) * fieldCm, (random.uniform() - 0.5) * fieldCm, 0};
    p.energyKev = e0;
    if (!std::isfinite(fsdCm)) {
        p.direction = {0, 0, 1};
        cosine = 1;
        return p;
    }
    const double norm = std::sqrt(p.position.x * p.position.x + p.position.y * p.position.y + fsdCm * fsdCm);
    p.direction = {p.position.x / norm, p.position.y / norm, fsdCm / norm};
    cosine = fsdCm / norm;
    return p;
}

} // namespace

Estimate simulateCentralBackscatter(const Medium& phantom, const Box& box, const EnergyAbsorption& kerma, double e0,
                                    double fsdCm, double fieldCm, double discCm, const RunSettings& run)
{
    auto simulate = [&](Random& random, long long count, SumTally& tally) {
        for (long long h = 0; h < count; ++h) {
            double cosine;
            Photon p = entering(e0, fsdCm, fieldCm, random, cosine);
            // A point source's photons cross the surface with a density
            // falling as cos^3 (inverse square and obliquity).
            const double weight = cosine * cosine * cosine;
            double score = 0;
            track(p, phantom, box, random, ignoreCollision, [&](const Photon& out) {
                if (leavingThroughFront(out) && std::hypot(out.position.x, out.position.y) <= discCm)
                    score = weight * out.energyKev * kerma(out.energyKev) * exitObliquity(-out.direction.z);
            });
            tally.sum[0] += score;
            tally.sumSquares[0] += score * score;
        }
    };
    const SumTally t = runBlocks<SumTally>(run.histories, run.blockSize, run.seed, run.threads, simulate);
    // Primary kerma at the centre per photon: fluence 1 / field area there.
    const double primary = e0 * kerma(e0) / (fieldCm * fieldCm);
    Estimate backscatter = estimateFromSums(t.sum[0], t.sumSquares[0], run.histories, 1.0 / (M_PI * discCm * discCm) / primary);
    backscatter.mean += 1.0;
    return backscatter;
}

std::vector<Estimate> simulateCentralScatterKerma(const Medium& phantom, const Cylinder& cylinder, const EnergyAbsorption& kerma,
                                                  double e0, double fsdCm, double fieldCm, double discCm,
                                                  const std::vector<int>& slabs, const RunSettings& run)
{
    const std::size_t n = slabs.size();
    auto simulate = [&](Random& random, long long count, SumTally& tally) {
        std::vector<double> history(n);
        for (long long h = 0; h < count; ++h) {
            std::fill(history.begin(), history.end(), 0.0);
            double cosine;
            Photon p = entering(e0, fsdCm, fieldCm, random, cosine);
            track(p, phantom, cylinder, random, [&](const Photon& at, const Medium::Coefficients& mu) {
                if (at.scatterings == 0 || std::hypot(at.position.x, at.position.y) > discCm)
                    return;
                const int slab = static_cast<int>(at.position.z / kKernelStepCm);
                for (std::size_t s = 0; s < n; ++s)
                    if (slabs[s] == slab)
                        history[s] += at.energyKev * kerma(at.energyKev) / mu.total();
            }, ignoreExit);
            for (std::size_t s = 0; s < n; ++s) {
                tally.sum[s] += history[s];
                tally.sumSquares[s] += history[s] * history[s];
            }
        }
    };
    const SumTally t = runBlocks<SumTally>(run.histories, run.blockSize, run.seed, run.threads, simulate, SumTally(n));
    // Kerma = collision-estimated fluence (sum of 1/mu over the voxel volume) x E muen/rho,
    // per unit surface fluence (1 / field area per photon).
    const double volume = M_PI * discCm * discCm * kKernelStepCm;
    std::vector<Estimate> result;
    for (std::size_t s = 0; s < n; ++s)
        result.push_back(estimateFromSums(t.sum[s], t.sumSquares[s], run.histories, fieldCm * fieldCm / volume));
    return result;
}

} // namespace velnor::mcgen
