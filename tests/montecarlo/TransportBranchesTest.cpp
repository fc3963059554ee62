// The branches of one photon's transport and how many random numbers each
// consumes. The engine's results depend on the exact sequence of draws, so a
// branch that draws once more or once less changes every later history: each
// test follows a reference written from the algorithm, draw by draw.
#include "montecarlo/CylinderRun.h"
#include "tests/montecarlo/ShippedTables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor::mc {
namespace {

// Whether two generators will give the same draws from here on.
bool sameState(LaggedGenerator a, LaggedGenerator b)
{
    for (int n = 0; n < 110; ++n)
        if (a.nextInteger() != b.nextInteger())
            return false;
    return true;
}

void skip(LaggedGenerator& g, int draws)
{
    for (int n = 0; n < draws; ++n)
        g.next();
}

class TransportBranches : public testing::ShippedTables {
protected:
    CylinderGeometry geometry(float r, float t) const
    {
        CylinderGeometry g;
        g.radiusCm = r;
        g.thicknessCm = t;
        g.focusSurfaceCm = 80;
        g.halfFieldX = std::min(r, 10.0f);
        g.halfFieldY = 10;
        return g;
    }
    // One flight from `p`: the score and the draws it consumed.
    std::array<float, 3> fly(const PhotonState& p, const CylinderGeometry& g, LaggedGenerator& random) const
    {
        const Interactions interactions(s_tissue, s_absorption);
        CoefficientCache cache;
        std::array<float, 3> score{};
        transport(p, g, interactions, random, cache, score);
        return score;
    }
};

TEST_F(TransportBranches, SideExitComesBeforeTheFrontExit)
{
    // Just under the apex of a thin cylinder, heading back towards the focus
    // but mostly sideways: the first flight (1.85 cm with the first draw)
    // ends beyond the side |x| > R and in front of the surface. Its line
    // crosses the tangent plane inside the scoring disc, yet it leaves
    // through the side: no score, and only the flight's two draws used.
    PhotonState p;
    p.x = 0.1f;
    p.z = 0.01f;
    p.sinTheta = std::sqrt(1 - 0.05f * 0.05f);
    p.cosTheta = -0.05f;
    p.energyKev = 60;
    LaggedGenerator random, reference;
    const std::array<float, 3> score = fly(p, geometry(0.5f, 20), random);
    EXPECT_EQ(score, (std::array<float, 3>{}));
    skip(reference, 2);
    EXPECT_TRUE(sameState(random, reference));
}

TEST_F(TransportBranches, BackPlaneEndsTheHistoryWithoutInteraction)
{
    PhotonState p; // heading straight in, 0.001 cm before the back plane
    p.z = 4.999f;
    p.energyKev = 60;
    LaggedGenerator random, reference;
    EXPECT_EQ(fly(p, geometry(20, 5), random), (std::array<float, 3>{}));
    skip(reference, 2); // r1 and r2 of the flight; no interaction, no azimuth
    EXPECT_TRUE(sameState(random, reference));
}

TEST_F(TransportBranches, FrontExitAwayFromTheFocusIsLost)
{
    // Far from the apex the surface slopes: a photon can leave through the
    // front while still moving deeper. It is lost without a score.
    PhotonState p;
    p.x = 9.9f;
    p.z = 20 - std::sqrt(400 - 9.9f * 9.9f) + 0.001f;
    p.sinTheta = 1;
    p.cosTheta = 0.0f; // along +x: the surface bends away in front of it
    p.energyKev = 60;
    LaggedGenerator random, reference;
    EXPECT_EQ(fly(p, geometry(20, 20), random), (std::array<float, 3>{}));
    skip(reference, 2);
    EXPECT_TRUE(sameState(random, reference));
}

// Coherent scattering written out from the algorithm: a form-factor draw that
// gives sin(Theta/2) > 1 is drawn again (one draw); a Thomson rejection
// costs two.
TEST_F(TransportBranches, CoherentRedrawsConsumeTheirDraws)
{
    const Interactions interactions(s_tissue, s_absorption);
    const auto& x = s_tissue.x;
    const auto& c = s_tissue.cumulativeCoherent;
    const float cMax = s_tissue.cumulativeCoherentMax();
    LaggedGenerator random, reference;
    int redrawsForSinAboveOne = 0;
    for (int n = 0; n < 20000; ++n) {
        const float e = n % 2 ? 5.5f : 20.0f; // at 5.5 keV only x up to 0.44 per angstrom is possible
        float cosAngle, sinAngle;
        interactions.coherent(e, random, cosAngle, sinAngle);
        for (;;) {
            const float u = reference.next() * cMax;
            std::size_t k = 1;
            while (k + 1 < x.size() && !(c[k] > u))
                ++k;
            const float momentum = x[k - 1] + (x[k] - x[k - 1]) * (u - c[k - 1]) / (c[k] - c[k - 1]);
            const float s = momentum * 12.4f / e;
            if (s > 1.0f) {
                ++redrawsForSinAboveOne;
                continue;
            }
            const float cosine = 1.0f - 2.0f * s * s;
            if (2.0f * reference.next() > 1.0f + cosine * cosine)
                continue;
            ASSERT_EQ(cosAngle, cosine) << "sample " << n;
            break;
        }
        ASSERT_TRUE(sameState(random, reference)) << "sample " << n;
    }
    EXPECT_GT(redrawsForSinAboveOne, 100); // the branch was exercised
}

// Incoherent scattering written out: above 124 keV a large angle gives a
// momentum transfer of 10 per angstrom or more, accepted without S(x) and
// without its draw.
TEST_F(TransportBranches, IncoherentAboveTheMomentumLimitDrawsNoCheck)
{
    const Interactions interactions(s_tissue, s_absorption);
    LaggedGenerator random, reference;
    int acceptedWithoutCheck = 0;
    const float e = 150;
    for (int n = 0; n < 20000; ++n) {
        float cosAngle, sinAngle;
        const float scattered = interactions.incoherent(e, random, cosAngle, sinAngle);
        const float kappa = 511.0f / e;
        const float q = (kappa + 2.0f) / (9.0f * kappa + 2.0f);
        for (;;) {
            const float r1 = reference.next(), r2 = reference.next(), r3 = reference.next();
            float eta;
            bool accepted;
            if (r1 <= q) {
                eta = 1.0f + 2.0f * r2 / kappa;
                accepted = 4.0f * (1.0f / eta - 1.0f / (eta * eta)) > r3;
            } else {
                eta = (kappa + 2.0f) / (kappa + 2.0f * (1.0f - r2));
                const float t = 1.0f - kappa * (eta - 1.0f);
                accepted = 0.5f * (t * t + 1.0f / eta) > r3;
            }
            if (!accepted)
                continue;
            const float cosTheta = std::clamp(1.0f - (eta - 1.0f) * kappa, -1.0f, 1.0f);
            float theta = cosTheta == 0.0f ? kPi / 2 : std::atan(std::sqrt(1.0f - cosTheta * cosTheta) / cosTheta);
            if (theta < 0.0f)
                theta += kPi;
            const float momentum = std::sin(theta / 2.0f) * e / 12.4f;
            if (momentum >= 10.0f) {
                ++acceptedWithoutCheck;
                break;
            }
            const auto& xs = s_tissue.x;
            const auto& sf = s_tissue.incoherentFunction;
            std::size_t k = 1;
            while (!(xs[k] > momentum))
                ++k;
            const float sx = sf[k - 1] + (sf[k] - sf[k - 1]) * (momentum - xs[k - 1]) / (xs[k] - xs[k - 1]);
            if (sx / s_tissue.incoherentFunctionMax() < reference.next())
                continue;
            break;
        }
        ASSERT_TRUE(sameState(random, reference)) << "sample " << n;
        ASSERT_GE(scattered, comptonEnergy(e, -1.0f) - 1e-3f);
    }
    EXPECT_GT(acceptedWithoutCheck, 100);
}

// The source: two draws per attempt; a draw of 0 (X0 Y0 = 0) costs a new
// pair; a ray that misses the cylinder costs nothing more.
TEST_F(TransportBranches, SourceMissesAndRedrawsConsumeTwoDrawsPerAttempt)
{
    CylinderGeometry g = geometry(20, 20);
    g.halfFieldX = 200; // wider than the cylinder: most rays miss
    LaggedGenerator random, reference;
    int misses = 0, redraws = 0;
    for (int n = 0; n < 60000; ++n) {
        PhotonState p;
        float x0, y0;
        if (!sampleSource(g, random, 60, p, x0, y0))
            ++misses;
        for (;;) {
            const float r1 = reference.next(), r2 = reference.next();
            if (r1 * g.halfFieldX * (r2 * g.halfFieldY) > 0.0f)
                break;
            ++redraws;
        }
        ASSERT_TRUE(sameState(random, reference)) << "sample " << n;
    }
    EXPECT_GT(misses, 30000);
    EXPECT_GT(redraws, 0); // 1 draw in 16384 is 0: a handful in 120000 draws
}

} // namespace
} // namespace velnor::mc
