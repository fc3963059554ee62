// The cylinder engine: its generator, geometry, physics, files and refusals,
// and a near-flat run against the flat-surface method on the shipped data.
#include "common/DataFileError.h"
#include "common/TextFile.h"
#include "main/dose/PlanarBackscatter.h"
#include "montecarlo/CylinderRun.h"
#include "montecarlo/ResultFile.h"
#include "tests/TempFolder.h"
#include "tests/montecarlo/ShippedTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velnor::mc {
namespace {

TEST(LaggedGenerator, SeedingAndFirstDraws)
{
    const auto seeded = LaggedGenerator::seedTable();
    EXPECT_EQ((std::vector<int>{seeded[1], seeded[2], seeded[3], seeded[4]}), (std::vector<int>{3783, 7568, 15139, 13898}));
    EXPECT_EQ((std::vector<int>{seeded[53], seeded[54], seeded[55]}), (std::vector<int>{16329, 16328, 16327}));
    LaggedGenerator random; // after the 1000 discarded draws
    const int values[6] = {11314, 1077, 7144, 4623, 8326, 12357};
    const float reals[6] = {0.6905476f, 0.0657345f, 0.4360325f, 0.2821638f, 0.5081756f, 0.7542068f};
    for (int n = 0; n < 6; ++n) {
        const int v = random.nextInteger();
        EXPECT_EQ(v, values[n]);
        EXPECT_NEAR(LaggedGenerator::toReal(v), reals[n], 1e-7f); // seven decimals given
    }
}

CylinderGeometry cylinder(float r = 20, float t = 20, float ds = 80)
{
    CylinderGeometry g;
    g.radiusCm = r;
    g.thicknessCm = t;
    g.focusSurfaceCm = ds;
    g.halfFieldX = r;
    g.halfFieldY = 10;
    return g;
}

TEST(CylinderGeometry, EntryPointAndDirectionOfARay)
{
    // The ray from (0, 0, -80) through (5, 3, 0) meets x^2 + (z - 20)^2 = 400:
    // x = 5 t, z = 80 (t - 1), nearer root in double precision.
    const double a = 25 + 6400, b = -2 * 80 * 100, c = 100.0 * 100 - 400;
    const double t = (-b - std::sqrt(b * b - 4 * a * c)) / (2 * a) * 5; // x of the nearer root
    PhotonState p;
    ASSERT_TRUE(enterPhantom(cylinder(), 5, 3, 60, p));
    EXPECT_NEAR(p.x, t, 1e-4);
    EXPECT_NEAR(p.z, 20 - std::sqrt(400 - t * t), 1e-4);
    EXPECT_NEAR(p.y, (p.z + 80) * 3 / 80, 1e-5);
    const double l = std::sqrt(25 + 9 + 6400.0);
    EXPECT_NEAR(p.cosTheta, 80 / l, 1e-6);
    EXPECT_NEAR(p.sinTheta, std::sqrt(34.0) / l, 1e-6);
    EXPECT_NEAR(p.cosPhi, 5 / std::sqrt(34.0), 1e-6);
    EXPECT_NEAR(p.weight, 6400 / (6400 + 34.0), 1e-6);
    // Tangent from the focus: x = 80 tan(asin(20/100)) = 16.33 at the field plane.
    EXPECT_TRUE(enterPhantom(cylinder(), 16.2f, 1, 60, p));
    EXPECT_FALSE(enterPhantom(cylinder(), 16.5f, 1, 60, p));
}

TEST(CylinderGeometry, HalfFieldIsLimitedToTheRadiusAcrossOnly)
{
    const CylinderGeometry g = geometryOf({10, 20, 80, 100, 60, 60, 1000});
    EXPECT_FLOAT_EQ(g.halfFieldX, 10.0f); // 60 x 0.8 / 2 = 24, limited to R
    EXPECT_FLOAT_EQ(g.halfFieldY, 24.0f);
}

TEST(Interactions, ComptonAndTurning)
{
    EXPECT_NEAR(comptonEnergy(150, -1), 94.5, 0.05); // 150 / (1 + 2 x 150/511)
    PhotonState p; // along the z axis
    p.sinTheta = 0;
    p.cosTheta = 1;
    const float psi = 0.7f;
    turn(p, 0.5f, std::sqrt(0.75f), std::cos(psi), std::sin(psi));
    // The new azimuth is pi - psi.
    EXPECT_FLOAT_EQ(p.sinPhi, std::sin(psi));
    EXPECT_FLOAT_EQ(p.cosPhi, -std::cos(psi));
    EXPECT_FLOAT_EQ(p.cosTheta, 0.5f);
}

using TransportOnShippedData = testing::ShippedTables;
using testing::kData;

TEST_F(TransportOnShippedData, TablesMustReachAboveTheTopOfTheSpectrum)
{
    SpectrumWeights weights{};
    weights[200] = 1; // 100 keV
    const CylinderJob job{20, 20, 80, 100, 35.6f, 43.2f, 1000};
    EXPECT_EQ(tableCoverageFault(job, weights, s_tissue, s_absorption), "");
    TissueData shortTissue = s_tissue;
    while (shortTissue.energyKev.back() > 100.0f)
        shortTissue.energyKev.pop_back();
    EXPECT_NE(tableCoverageFault(job, weights, shortTissue, s_absorption).find("ICRUSoft.dat"), std::string::npos);
    AbsorptionTable shortAbsorption = s_absorption;
    shortAbsorption.energyKev[299] = 99.0f;
    EXPECT_NE(tableCoverageFault(job, weights, s_tissue, shortAbsorption).find("Att_Coeff2020.dat"), std::string::npos);
    weights[200] = 0.0001f; // no history at 100 keV when only 1000 are run
    weights[100] = 1;
    EXPECT_EQ(tableCoverageFault(job, weights, shortTissue, shortAbsorption), "");
}

TEST_F(TransportOnShippedData, ScoringDiscIncludesItsEdge)
{
    const Interactions interactions(s_tissue, s_absorption);
    auto scoreAt = [&](float x) {
        PhotonState p; // just inside the surface, heading straight back to the focus
        p.x = x;
        p.z = 0.01f;
        p.sinTheta = 0;
        p.cosTheta = -1;
        p.energyKev = 60;
        p.weight = 1;
        LaggedGenerator random;
        CoefficientCache cache;
        std::array<float, 3> score{};
        transport(p, cylinder(), interactions, random, cache, score);
        return score[1];
    };
    EXPECT_GT(scoreAt(0.5f), 0.0f); // x^2 + y^2 = 0.25 exactly
    EXPECT_EQ(scoreAt(0.51f), 0.0f);
}

TEST_F(TransportOnShippedData, SameJobSameFactors)
{
    const Interactions interactions(s_tissue, s_absorption);
    const SpectrumWeights w = testing::spectrumWeightsAt(80);
    const CylinderJob job{15, 20, 100, 120, 30, 40, 20000};
    LaggedGenerator first, second;
    const Tallies a = runHistories(job, w, interactions, first);
    const Tallies b = runHistories(job, w, interactions, second);
    EXPECT_EQ(a.primary, b.primary);
    EXPECT_EQ(a.backscatter, b.backscatter);
    EXPECT_LE(a.histories, 20000); // truncation per bin runs a few less than N
    EXPECT_GT(a.histories, 19800);
}

TEST_F(TransportOnShippedData, NearFlatCylinderAgreesWithTheFlatSurfaceMethod)
{
    // R = 1000 cm is flat over the field; 10 x 10 cm at the surface (FSD = FFD).
    const Interactions interactions(s_tissue, s_absorption);
    const SpectrumWeights w = testing::spectrumWeightsAt(80);
    const CylinderJob job{1000, 15, 100, 100, 10, 10, 4'000'000};
    LaggedGenerator random;
    const auto factors = backscatterFactors(runHistories(job, w, interactions, random));
    ASSERT_TRUE(factors);

    const ReferenceTables tables = loadReferenceTables(kData);
    ExposureConditions c;
    c.tubeVoltageKv = 80;
    c.focusSurfaceDistanceCm = c.focusReceptorDistanceCm = 100;
    c.fieldLongCm = c.fieldShortCm = 10;
    const SpectrumResult s = computeSpectrum(c, tables.attenuation, loadOutputDataTable(kData / "default-output.op"));
    const BackscatterFactors planar = planarBackscatter(c, tables, s.photonSpectrum);
    const Factor& soft = (*factors)[1];
    std::printf("near-flat cylinder: Monte Carlo %.4f +- %.4f, planar %.4f\n", soft.value, soft.sigma, planar.softTissue);
    EXPECT_NEAR(soft.value, planar.softTissue, 3 * soft.sigma + 0.03 * planar.softTissue)
        << "Monte Carlo " << soft.value << " +- " << soft.sigma << ", planar " << planar.softTissue;
    EXPECT_NEAR((*factors)[0].value, planar.air, 3 * (*factors)[0].sigma + 0.03 * planar.air);
}

TEST(JobFile, PaddedAndPlainValuesReadTheSame)
{
    testing::TempFolder folder;
    writeTextLines(folder / "joken.txt", {"015.0", "020.5", "100.0", "120.0", "030.0", "040.0", "00001000000"});
    const CylinderJob padded = readJobFile(folder / "joken.txt");
    writeTextLines(folder / "joken.txt", {"15", "20.5 cm", "1e2", "120", "30", "40", "1000000"});
    const CylinderJob plain = readJobFile(folder / "joken.txt");
    EXPECT_EQ(padded.radiusCm, 15.0f);
    EXPECT_EQ(plain.radiusCm, padded.radiusCm);
    EXPECT_EQ(plain.thicknessCm, padded.thicknessCm);
    EXPECT_EQ(plain.focusSurfaceCm, 100.0f);
    EXPECT_EQ(plain.histories, 1000000);
    EXPECT_EQ(padded.histories, 1000000);
    // The echo shows the field along the axis (line 6) before the one across (line 5).
    const std::vector<std::string> echo = jobEchoLines(padded);
    EXPECT_EQ(echo[4], " Field size = 40.0 ×30.0 [cm2]");
    EXPECT_EQ(echo[0], " Curvature radius =   15.0 [cm]");
    EXPECT_EQ(echo[5], " History number =    1000000");
    // The largest values a job may hold widen their fields instead of showing "*****".
    CylinderJob wide = padded;
    wide.radiusCm = 1000;
    wide.focusSurfaceCm = 900;
    wide.focusReceptorCm = 1000;
    wide.fieldAlongCm = 200;
    const std::vector<std::string> wideEcho = jobEchoLines(wide);
    EXPECT_EQ(wideEcho[0], " Curvature radius = 1000.0 [cm]");
    EXPECT_EQ(wideEcho[3], " Focus - FPD distance   = 1000.0 [cm]");
    EXPECT_EQ(wideEcho[4], " Field size = 200.0 ×30.0 [cm2]");
}

TEST(JobFile, FaultsAreRefusedBeforeTheSimulation)
{
    testing::TempFolder folder;
    try {
        readJobFile(folder / "joken.txt");
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot be opened"), std::string::npos) << e.what();
    }
    writeTextLines(folder / "joken.txt", {"15", "20", "abc", "120", "30", "40", "1000"});
    try {
        readJobFile(folder / "joken.txt");
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.lineNumber(), 3);
    }
    EXPECT_FALSE(backscatterFactors(Tallies{})); // no primary: no factors
}

// Jobs the engine would accept and then never finish (the source's half
// field becomes 0, infinite or NaN in 32 bits) or that describe no phantom.
TEST(JobFile, UnphysicalAndUnrepresentableJobsAreRefused)
{
    const CylinderJob good{20, 20, 80, 100, 35.6f, 43.2f, 1000};
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        CylinderJob job;
        const char* reason;
    } cases[] = {
        {"thickness 0", {20, 0, 80, 100, 35.6f, 43.2f, 1000}, "thickness"},
        {"no histories", {20, 20, 80, 100, 35.6f, 43.2f, 0}, "history count"},
        {"FFD 1e30", {20, 20, 80, 1e30f, 35.6f, 43.2f, 1000}, "focus-receptor"},
        {"FSD = FFD = 1e39", {20, 20, inf, inf, 35.6f, 43.2f, 1000}, "focus-surface"},
        {"tiny fields", {20, 20, 80, 100, 1e-25f, 1e-25f, 1000}, "field size"},
        {"FSD beyond FFD", {20, 20, 100, 80, 35.6f, 43.2f, 1000}, "shorter"},
        {"radius NaN", {std::nanf(""), 20, 80, 100, 35.6f, 43.2f, 1000}, "radius"},
        {"field 300 cm", {20, 20, 80, 100, 300, 43.2f, 1000}, "field size"},
        {"radius 0", {0, 20, 80, 100, 35.6f, 43.2f, 1000}, "radius"},
        {"no field", {20, 20, 80, 100, 0, 43.2f, 1000}, "field size"},
        {"FFD 0", {20, 20, 80, 0, 35.6f, 43.2f, 1000}, "focus-receptor"},
        {"2^31 histories", {20, 20, 80, 100, 35.6f, 43.2f, 2147483648LL}, "history count"},
    };
    EXPECT_EQ(jobFault(good), "");
    for (const Case& c : cases)
        EXPECT_NE(jobFault(c.job).find(c.reason), std::string::npos) << c.what << ": " << jobFault(c.job);
}

TEST(SourceSampling, ALoopThatCannotSucceedEnds)
{
    // Half fields so small that every product X0 Y0 is 0 in 32 bits.
    CylinderGeometry g = cylinder();
    g.halfFieldX = g.halfFieldY = 1e-30f;
    LaggedGenerator random, reference;
    PhotonState p;
    float x0 = 0, y0 = 0;
    EXPECT_FALSE(sampleSource(g, random, 60, p, x0, y0));
    for (int n = 0; n < 2 * kMaxSourceAttempts; ++n)
        reference.next();
    EXPECT_EQ(random.nextInteger(), reference.nextInteger()); // two draws per attempt, then it gave up
}

TEST(ResultFile, ThreeLinesReplaceALongerFile)
{
    testing::TempFolder folder;
    writeTextLines(folder / "resultBSF.txt", {"old", "old", "old", "old", "old"});
    writeResultFile(folder.path(), 1.3562f, 1.35f, 12.0f);
    EXPECT_EQ(readTextLines(folder / "resultBSF.txt"), (std::vector<std::string>{" 1.3562", " 1.3500", "12.0000"}));
    EXPECT_FALSE(std::filesystem::exists(folder / "ResultBSF.txt") && !std::filesystem::equivalent(folder / "ResultBSF.txt", folder / "resultBSF.txt"));
    writeResultFile(folder.path(), 123.0f, 1, 1);
    EXPECT_EQ(readTextLines(folder / "resultBSF.txt")[0], "*******");
}

} // namespace
} // namespace velnor::mc
