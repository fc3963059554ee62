#include "main/dose/CalculationState.h"

#include "common/DisplayFormat.h"
#include "common/TextFile.h"
#include "main/dose/EntranceSurfaceDose.h"
#include "main/dose/ExposureAt1m.h"
#include "main/records/CalculationError.h"
#include "main/records/ReferenceLoader.h"
#include "tests/support/SyntheticReferenceSet.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor {
namespace {

class CalculationStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::writeSyntheticReferenceSet(m_folder.path());
        const StartupData data = loadStartupData(m_folder.path());
        state.tables = data.tables;
        state.outputData = data.outputData;
        state.exchangeFolder = m_folder.path();
    }
    testing::TempFolder m_folder;
    CalculationState state;
};

TEST_F(CalculationStateTest, StartUpCaseFillsEveryResultInItsPattern)
{
    state.calculate();
    const CalculationState& s = state;
    EXPECT_GT(s.beamQuality.hvl1Cm, 0);
    EXPECT_EQ(s.labels.label65, formatNumber(10 * s.beamQuality.hvl1Cm, "#0.000"));
    EXPECT_EQ(s.labels.label66, formatNumber(s.beamQuality.effectiveEnergyKev, "#00.00"));
    EXPECT_EQ(s.labels.label67, formatNumber(s.beamQuality.atrIndex, "0.000"));
    EXPECT_EQ(s.labels.label78, formatNumber(s.conditions.exposureAt1m, "0.00E+0"));
    EXPECT_EQ(s.labels.label71, formatNumber(s.dose.cfSoftTissue, "#00.00"));
    EXPECT_EQ(s.labels.label68, formatNumber(s.dose.bsfSoftTissue, "#0.000"));
    EXPECT_EQ(s.labels.label75, formatNumber(s.dose.esdAir, "#0.00"));
    // Dose step: 1000 x B x f x (100 / FSD)^2 x X.
    const double x = s.conditions.exposureAt1m;
    EXPECT_NEAR(s.dose.esdSoftTissue, 1000 * s.dose.bsfSoftTissue * s.dose.cfSoftTissue * 10000 / (80.0 * 80.0) * x,
                1e-12 * s.dose.esdSoftTissue);
    // Air kerma per exposure is W/e times the share of air kerma above 2.5 keV.
    EXPECT_LE(s.dose.cfAir, 33.97);
    EXPECT_GT(s.dose.cfAir, 0.99 * 33.97);
    EXPECT_EQ(readTextLines(m_folder / "X_SPCTL.dat").size(), 300u);
}

TEST_F(CalculationStateTest, FiftyCentimetresGiveFourTimesTheDoseOfOneMetre)
{
    EXPECT_NEAR(entranceSurfaceDoseMgy(1.3, 35, 1e-6, 50), 4 * entranceSurfaceDoseMgy(1.3, 35, 1e-6, 100), 1e-15);
    EXPECT_NEAR(entranceSurfaceDoseMgy(1.3, 35, 1e-6, 100), 1000 * 1.3 * 35 * 1e-6, 1e-15);
}

TEST_F(CalculationStateTest, OutputTableLookup)
{
    const OutputDataTable& t = state.outputData; // synthetic: code 1 is 1e-6 x row
    EXPECT_DOUBLE_EQ(exposurePerMasAt1m(t, Rectification::ConstantPotential, 80), 5e-6); // a grid voltage uses its row exactly
    EXPECT_NEAR(exposurePerMasAt1m(t, Rectification::ConstantPotential, 85), 5.5e-6, 1e-18);
    EXPECT_NEAR(exposurePerMasAt1m(t, Rectification::ConstantPotential, 35), 0.5e-6, 1e-18); // extrapolated from rows 1 and 2
    EXPECT_THROW(exposurePerMasAt1m(t, Rectification::ConstantPotential, 30), CalculationError); // extrapolates to zero
    EXPECT_THROW(exposurePerMasAt1m(t, Rectification::ConstantPotential, 150.5), CalculationError);
    EXPECT_NEAR(computeExposureAt1m(t, Rectification::SinglePhaseFullWave, 80, 0.5, 200, 0.05), 3.5e-6 * 0.5 * 10, 1e-18);
}

TEST_F(CalculationStateTest, MeasuredExposureIsKept)
{
    state.conditions.exposureSource = velnor::ExposureSource::Measured;
    state.conditions.exposureAt1m = 2.58e-4;
    state.conditions.exposureAt1mSet = true;
    state.calculate();
    EXPECT_EQ(state.conditions.exposureAt1m, 2.58e-4);
    EXPECT_EQ(state.labels.label78, "");
}

// A failed calculation leaves the state it found: a conversion factor of 0
// left behind by a failed step was saved into a results file as "00.00".
TEST_F(CalculationStateTest, AFailedCalculationLeavesTheStateItFound)
{
    state.calculate();
    const CalculationState before = state;
    const std::string spectrumFile = readFileBytes(m_folder / "X_SPCTL.dat");
    auto unchanged = [&](const char* what) {
        EXPECT_EQ(state.photonSpectrum, before.photonSpectrum) << what;
        EXPECT_EQ(state.beamQuality.atrIndex, before.beamQuality.atrIndex) << what;
        EXPECT_EQ(state.dose.cfAir, before.dose.cfAir) << what;
        EXPECT_EQ(state.dose.esdSoftTissue, before.dose.esdSoftTissue) << what;
        for (const auto& [now, then] : {std::pair{&state.labels.label65, &before.labels.label65},
                                        std::pair{&state.labels.label71, &before.labels.label71},
                                        std::pair{&state.labels.label78, &before.labels.label78}})
            EXPECT_EQ(*now, *then) << what;
        EXPECT_EQ(readFileBytes(m_folder / "X_SPCTL.dat"), spectrumFile) << what;
    };

    // Failing at the conversion factors, after spectrum and exposure: 2 kV, no filtration, a typed exposure.
    ExposureConditions& c = state.conditions;
    c.tubeVoltageKv = 2;
    c.inherentFiltrationCm = c.addedAlCm = c.addedCuCm = 0;
    c.exposureSource = ExposureSource::Measured;
    c.exposureAt1m = 1e-4;
    c.exposureAt1mSet = true;
    EXPECT_THROW(state.calculate(), CalculationError);
    unchanged("conversion factors");

    // Failing at the exposure: above the table's last grid voltage.
    state = before;
    state.outputData.kvGrid[12] = 140;
    state.conditions.tubeVoltageKv = 145;
    EXPECT_THROW(state.calculate(), CalculationError);
    state.outputData = before.outputData;
    unchanged("exposure at 1 m");

    // Failing at the half-value layer (beyond 30 mm).
    state = before;
    for (double& mu : state.tables.attenuation.muAluminium)
        mu = 0.01;
    state.conditions.tubeVoltageKv = 90;
    EXPECT_THROW(state.calculate(), CalculationError);
    state.tables = before.tables;
    unchanged("half-value layer");

    // Refused before any step.
    state = before;
    state.conditions.focusSurfaceDistanceCm = 0;
    state.conditions.bodyThicknessCm = 0;
    EXPECT_THROW(state.calculate(), InputRefused);
    state.conditions = before.conditions;
    unchanged("refused");

    // Doses beyond 100 Gy are no diagnostic exposure: refused as a result.
    state = before;
    state.conditions.tubeCurrentMa = 10000;
    state.conditions.exposureTimeS = 3600;
    EXPECT_THROW(state.calculate(), CalculationError);
}

TEST_F(CalculationStateTest, NoResultIsEverNotANumber)
{
    for (double kv : {0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 40.0, 150.0, 151.0}) {
        for (double fsd : {0.0, 80.0}) {
            CalculationState s = state;
            s.conditions.tubeVoltageKv = kv;
            s.conditions.focusSurfaceDistanceCm = fsd;
            try {
                s.calculate();
            } catch (const CalculationError&) {
            }
            for (double v : {s.kermaRatio, s.beamQuality.hvl1Cm, s.beamQuality.effectiveEnergyKev, s.beamQuality.atrIndex,
                             s.conditions.exposureAt1m, s.dose.cfSoftTissue, s.dose.bsfAir, s.dose.esdSkin})
                EXPECT_TRUE(std::isfinite(v)) << kv << " kV, FSD " << fsd;
        }
    }
}

TEST_F(CalculationStateTest, CurvedSurfaceNeedsItsProgram)
{
    state.conditions.incidenceMode = velnor::IncidenceMode::NonPlanar;
    state.conditions.surfaceCode = SurfaceCode::Cylinder;
    state.conditions.cylinderRadiusCm = 15;
    state.conditions.mcHistories = 1e6;
    EXPECT_THROW(state.calculate(), CalculationError);
    state.nonPlanarBackscatter = [](const ExposureConditions&, const BinArray&) { return BackscatterFactors{1.3, 1.31, 1.32, {}, {}, {}, {}}; };
    state.calculate();
    EXPECT_EQ(state.labels.label70, "1.320");
}

} // namespace
} // namespace velnor
