// Histories in blocks of their own streams: the same factors on any number of
// threads, agreement with the single stream, independent neighbouring
// streams, and a stop at a block boundary.
#include "montecarlo/EngineRun.h"
#include "tests/montecarlo/ShippedTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <chrono>
#include <thread>
#include <vector>

namespace velnor::mc {
namespace {

class BlockedRun : public testing::ShippedTables {
protected:
    static void SetUpTestSuite()
    {
        ShippedTables::SetUpTestSuite();
        s_weights = testing::spectrumWeightsAt(80);
    }
    static EngineJob job(SurfaceKind kind, std::array<float, 3> shape, long long histories)
    {
        EngineJob j;
        j.kind = kind;
        j.shapeCm = shape;
        j.common = CylinderJob{shape[0], 20, 80, 100, 25, 25, histories};
        return j;
    }
    static inline SpectrumWeights s_weights;
};

TEST_F(BlockedRun, TheFactorsDoNotDependOnTheNumberOfThreads)
{
    const Interactions interactions(s_tissue, s_absorption);
    const EngineJob cylinder = job(SurfaceKind::Cylinder, {15, 0, 0}, 700000);
    BlockedRunOptions one, two, three;
    two.threads = 2;
    three.threads = 3;
    const Tallies a = runEngineJobBlocked(cylinder, s_weights, interactions, one).tallies;
    const Tallies b = runEngineJobBlocked(cylinder, s_weights, interactions, two).tallies;
    const Tallies c = runEngineJobBlocked(cylinder, s_weights, interactions, three).tallies;
    for (const Tallies* t : {&b, &c}) {
        EXPECT_EQ(t->primary, a.primary); // bit for bit: blocks are added in their order
        EXPECT_EQ(t->backscatter, a.backscatter);
        EXPECT_EQ(t->sumSS, a.sumSS);
        EXPECT_EQ(t->histories, a.histories);
    }
    EXPECT_EQ(a.histories, static_cast<double>(plannedHistories(cylinder.common, s_weights)));
}

// Blocked and single-stream runs are two samples of the same quantity: their
// soft-tissue factors agree within four combined standard deviations (the
// per-history scores are heavy-tailed, so the estimated deviation is itself
// uncertain; both runs are deterministic, so this is no flaky test).
TEST_F(BlockedRun, BlockedAndExactAgreeWithinTheirUncertainties)
{
    const Interactions interactions(s_tissue, s_absorption);
    for (const EngineJob& j : {job(SurfaceKind::Cylinder, {15, 0, 0}, 1500000), job(SurfaceKind::Ellipse, {15, 10, 0}, 1500000),
                               job(SurfaceKind::Racetrack, {10, 20, 80}, 1500000)}) {
        LaggedGenerator random;
        const auto exact = backscatterFactors(runEngineJob(j, s_weights, interactions, random));
        BlockedRunOptions options;
        options.threads = 2;
        const auto blocked = backscatterFactors(runEngineJobBlocked(j, s_weights, interactions, options).tallies);
        ASSERT_TRUE(exact && blocked);
        const Factor& e = (*exact)[1];
        const Factor& b = (*blocked)[1];
        const double sigma = std::sqrt(e.sigma * e.sigma + b.sigma * b.sigma);
        EXPECT_NEAR(e.value, b.value, 4 * sigma) << "surface " << static_cast<int>(j.kind) << ": exact " << e.value << ", blocked "
                                                 << b.value;
    }
}

// Pearson correlation of the draws of neighbouring block streams (and of each
// stream with the single stream): below four standard errors, 4 / sqrt(n).
TEST_F(BlockedRun, NeighbouringStreamsAreUncorrelated)
{
    constexpr int n = 100000;
    auto draws = [](LaggedGenerator g) {
        std::vector<double> v(n);
        for (double& x : v)
            x = g.next();
        return v;
    };
    auto correlation = [](const std::vector<double>& x, const std::vector<double>& y) {
        double mx = 0, my = 0;
        for (int i = 0; i < n; ++i)
            mx += x[i], my += y[i];
        mx /= n, my /= n;
        double sxy = 0, sxx = 0, syy = 0;
        for (int i = 0; i < n; ++i) {
            sxy += (x[i] - mx) * (y[i] - my);
            sxx += (x[i] - mx) * (x[i] - mx);
            syy += (y[i] - my) * (y[i] - my);
        }
        return sxy / std::sqrt(sxx * syy);
    };
    const std::vector<double> single = draws(LaggedGenerator());
    std::vector<double> previous = draws(LaggedGenerator::forStream(0));
    for (std::uint64_t b = 1; b <= 8; ++b) {
        const std::vector<double> current = draws(LaggedGenerator::forStream(b));
        EXPECT_LT(std::fabs(correlation(previous, current)), 4 / std::sqrt(n)) << "blocks " << b - 1 << " and " << b;
        EXPECT_LT(std::fabs(correlation(single, current)), 4 / std::sqrt(n)) << "block " << b;
        previous = current;
    }
    // The same block gives the same stream.
    EXPECT_EQ(draws(LaggedGenerator::forStream(5)), draws(LaggedGenerator::forStream(5)));
}

TEST_F(BlockedRun, AStopEndsAtABlockBoundaryWithoutFactorsAndProgressIsTold)
{
    std::atomic<bool> stop{false};
    std::vector<long long> told;
    BlockedRunOptions options;
    options.threads = 2;
    options.stop = &stop;
    options.progressSeconds = 0.01;
    options.progress = [&](long long done) { told.push_back(done); };
    int blocksRun = 0;
    const BlockedRunResult r = runBlocked(5000000, [&](long long first, long long last, LaggedGenerator&, Tallies& t) {
        t.histories = static_cast<double>(last - first);
        if (++blocksRun == 3)
            stop = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }, options);
    EXPECT_TRUE(r.stopped);
    EXPECT_LT(r.tallies.histories, 5000000);
    EXPECT_EQ(static_cast<long long>(r.tallies.histories) % kBlockHistories, 0); // whole blocks only
    EXPECT_FALSE(told.empty());
}

} // namespace
} // namespace velnor::mc
