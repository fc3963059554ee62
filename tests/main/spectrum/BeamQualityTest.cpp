#include "main/spectrum/BeamQualityIndices.h"

#include "main/records/CalculationError.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor {
namespace {

// mu such that one 0.1-mm step transmits exactly one half in floating point.
double halvingMu()
{
    const double mu = 100 * std::log(2.0);
    EXPECT_EQ(std::exp(-0.01 * mu), 0.5);
    return mu;
}

TEST(HalfValueLayer, ExactlyFiftyPercentDoesNotEndTheSearch)
{
    // Bin 10 passes unattenuated (a third of the kerma), bin 20 halves per step:
    // transmissions 66.7 %, exactly 50 %, then 41.7 %.
    BinArray kerma{}, mu{};
    kerma[10] = 0.25;
    kerma[20] = 0.5;
    mu[20] = halvingMu();
    EXPECT_DOUBLE_EQ(computeHvl1Cm(kerma, 20, mu), 0.02);
}

TEST(HalfValueLayer, BeamHalvedByTheFirstStepInterpolatesFromNoAluminium)
{
    BinArray kerma{}, mu{};
    kerma[10] = 1;
    mu[10] = 4 * halvingMu(); // 6.25 % after 0.1 mm
    // Log interpolation of a pure exponential is exact: 0.1 mm / 4.
    EXPECT_NEAR(computeHvl1Cm(kerma, 10, mu), 0.0025, 1e-12);

    // A soft component that the first 0.1 mm removes, over a hard one: the
    // transmission falls from 100 % to 39.8 %, then only slowly. The slope of
    // the first two steps would put 50 % at a negative thickness.
    kerma = {};
    kerma[10] = 0.6;
    mu[10] = 1e4;
    kerma[200] = 0.4;
    mu[200] = 0.5;
    const double t1 = 40 * std::exp(-0.005);
    const double expected = 0.01 * (std::log(50.0) - std::log(100.0)) / (std::log(t1) - std::log(100.0));
    const double hvl = computeHvl1Cm(kerma, 200, mu);
    EXPECT_GT(hvl, 0);
    EXPECT_NEAR(hvl, expected, 1e-9);
}

TEST(HalfValueLayer, BeyondThirtyMillimetresIsRefused)
{
    BinArray kerma{}, mu{};
    kerma[100] = 1;
    mu[100] = 0.2; // HVL 3.5 cm
    EXPECT_THROW(computeHvl1Cm(kerma, 100, mu), CalculationError);
}

TEST(EffectiveEnergy, LogLogBetweenBinsAndRefusalBeyondTheLast)
{
    BinArray mu{};
    for (int j = 1; j <= 300; ++j)
        mu[j] = 1000 * std::pow(0.5 * j, -2.0); // a pure power law is interpolated exactly
    const double e = 33.3;
    const double hvl = kLn2 / (1000 * std::pow(e, -2.0));
    EXPECT_NEAR(computeEffectiveEnergyKev(hvl, mu), e, 1e-9);
    EXPECT_THROW(computeEffectiveEnergyKev(kLn2 / (0.99 * mu[300]), mu), CalculationError);
}

TEST(AtrIndex, DependsOnlyOnTheShapeOfTheSpectrum)
{
    AtrTable atr;
    BinArray photons{};
    for (int j = 1; j <= 300; ++j) {
        atr.x0[j] = 1;
        atr.x1[j] = j / 300.0;
        photons[j] = 1.0 / j;
    }
    const double index = computeAtrIndex(photons, 160, atr);
    for (double& p : photons)
        p *= 7;
    EXPECT_NEAR(computeAtrIndex(photons, 160, atr), index, 1e-14);
    // Bins above the tube voltage do not count.
    photons[200] = 1e6;
    EXPECT_NEAR(computeAtrIndex(photons, 160, atr), index, 1e-14);
}

} // namespace
} // namespace velnor
