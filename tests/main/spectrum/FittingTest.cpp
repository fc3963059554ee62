// Fitting the beam to a measured HVL or ATR index, on the shipped data.
#include "main/spectrum/Fitting.h"

#include "common/DisplayFormat.h"

#include "main/records/ReferenceLoader.h"
#include "main/spectrum/BeamQualityIndices.h"
#include "main/spectrum/SpectrumModel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace velnor {
namespace {

class Fitting : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_data = loadStartupData(VELNOR_DATA_DIR); }
    static inline StartupData s_data;

    // The beam quality of the conditions, as the last calculation left it.
    BeamQuality qualityOf(const ExposureConditions& c) const
    {
        const SpectrumResult r = computeSpectrum(c, s_data.tables.attenuation, s_data.outputData);
        BeamQuality q;
        q.hvl1Cm = computeHvl1Cm(r.airKermaSpectrum, r.topBin, s_data.tables.attenuation.muAluminium);
        q.atrIndex = computeAtrIndex(r.photonSpectrum, r.topBin, s_data.tables.atr);
        return q;
    }
    FitOutcome fit(FitOutcome (*f)(const FitStart&, double), const ExposureConditions& c, double measured) const
    {
        const BeamQuality q = qualityOf(c);
        return f(FitStart{c, s_data.tables, s_data.outputData, q}, measured);
    }
};

TEST_F(Fitting, FiltrationFitGivesTheMeasuredHvl)
{
    ExposureConditions c; // 75 kV, 2.5 mm Al inherent
    for (double measuredMm : {2.6, 3.5, 4.2}) {
        const FitOutcome f = fit(fitInherentFiltrationToHvl, c, 0.1 * measuredMm);
        ASSERT_TRUE(f) << f.reason;
        ExposureConditions fitted = c;
        fitted.inherentFiltrationCm = *f.value;
        // Linear interpolation over 0.1 mm steps of a smooth curve: 0.5 %.
        EXPECT_NEAR(qualityOf(fitted).hvl1Cm, 0.1 * measuredMm, 0.005 * 0.1 * measuredMm) << measuredMm;
    }
}

TEST_F(Fitting, ATooSoftMeasurementIsNotANegativeFiltration)
{
    ExposureConditions c;
    const FitOutcome f = fit(fitInherentFiltrationToHvl, c, 0.05); // 0.5 mm Al at 75 kV
    EXPECT_FALSE(f);
    EXPECT_EQ(f.failure, FitFailure::BelowNoFiltration);
    const FitOutcome atr = fit(fitInherentFiltrationToAtr, c, 0.1);
    EXPECT_FALSE(atr);
    EXPECT_EQ(atr.failure, FitFailure::BelowNoFiltration);
}

TEST_F(Fitting, UnreachableTargetsEndAsFailuresInBoundedTime)
{
    ExposureConditions c;
    const auto start = std::chrono::steady_clock::now();
    const FitOutcome f = fit(fitInherentFiltrationToHvl, c, 5.0); // 50 mm Al
    EXPECT_FALSE(f);
    EXPECT_NE(f.failure, FitFailure::None);
    const FitOutcome a = fit(fitInherentFiltrationToAtr, c, 0.74); // harder than any filtration up to 10 cm gives
    EXPECT_EQ(a.failure, FitFailure::NotReached) << a.reason;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(Fitting, VoltageFitLandsOnTheGridAndTakesTheNearerVoltage)
{
    ExposureConditions c;
    c.tubeVoltageKv = 100;
    const double measured = 1.02 * qualityOf(c).hvl1Cm;
    const FitOutcome f = fit(raiseVoltageToHvl, c, measured);
    ASSERT_TRUE(f) << f.reason;
    const double steps = (*f.value - 100) / 0.2;
    EXPECT_NEAR(steps, std::round(steps), 1e-6); // 0.2-kV grid
    // On it as it would be typed, without the drift of repeated additions ("78.80000000000005").
    const std::string text = formatAsIs(*f.value);
    EXPECT_LE(text.size() - std::min(text.size(), text.find('.')), 2u) << text;
    ExposureConditions at = c, below = c, above = c;
    at.tubeVoltageKv = *f.value;
    below.tubeVoltageKv = *f.value - 0.2;
    above.tubeVoltageKv = *f.value + 0.2;
    const double d = std::fabs(qualityOf(at).hvl1Cm - measured);
    EXPECT_LE(d, std::fabs(qualityOf(below).hvl1Cm - measured));
    EXPECT_LE(d, std::fabs(qualityOf(above).hvl1Cm - measured));
    // A softer measurement lowers the voltage.
    const FitOutcome down = fit(raiseVoltageToHvl, c, 0.97 * qualityOf(c).hvl1Cm);
    ASSERT_TRUE(down) << down.reason;
    EXPECT_LT(*down.value, 100);
}

TEST_F(Fitting, VoltageLimits)
{
    ExposureConditions c;
    c.tubeVoltageKv = 150;
    EXPECT_EQ(fit(raiseVoltageToHvl, c, 1.5 * qualityOf(c).hvl1Cm).failure, FitFailure::VoltageAboveMaximum);
    c.tubeVoltageKv = 140; // +10 % is 154 kV: 150 kV is met first
    EXPECT_EQ(fit(raiseVoltageToHvl, c, 1.5 * qualityOf(c).hvl1Cm).failure, FitFailure::VoltageAboveMaximum);
    c.tubeVoltageKv = 100; // +10 % is 110 kV
    EXPECT_EQ(fit(raiseVoltageToHvl, c, 1.5 * qualityOf(c).hvl1Cm).failure, FitFailure::VoltageAboveLimit);
    c.tubeVoltageKv = 32; // -10 % is 28.8 kV: 30 kV is met first
    EXPECT_EQ(fit(raiseVoltageToHvl, c, 0.5 * qualityOf(c).hvl1Cm).failure, FitFailure::VoltageBelowMinimum);
    c.tubeVoltageKv = 60; // -10 % is 54 kV
    EXPECT_EQ(fit(raiseVoltageToHvl, c, 0.5 * qualityOf(c).hvl1Cm).failure, FitFailure::VoltageBelowLimit);
    EXPECT_EQ(fit(raiseVoltageToAtr, c, 0.5 * qualityOf(c).atrIndex).failure, FitFailure::VoltageBelowLimit);
}

TEST_F(Fitting, AtrRangeAndFiltrationFit)
{
    ExposureConditions c;
    EXPECT_EQ(fit(fitInherentFiltrationToAtr, c, 0.741).failure, FitFailure::AtrOutOfRange);
    EXPECT_EQ(fit(fitInherentFiltrationToAtr, c, 0.099).failure, FitFailure::AtrOutOfRange);
    EXPECT_NE(fit(fitInherentFiltrationToAtr, c, 0.74).failure, FitFailure::AtrOutOfRange);
    const double measured = qualityOf(c).atrIndex + 0.02;
    const FitOutcome f = fit(fitInherentFiltrationToAtr, c, measured);
    ASSERT_TRUE(f) << f.reason;
    ExposureConditions fitted = c;
    fitted.inherentFiltrationCm = *f.value;
    EXPECT_NEAR(qualityOf(fitted).atrIndex, measured, 1e-4); // 0.00001-cm steps, then interpolation
    EXPECT_GT(*f.value, c.inherentFiltrationCm);
}

} // namespace
} // namespace velnor
