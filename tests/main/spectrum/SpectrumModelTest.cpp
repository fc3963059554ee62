#include "main/spectrum/SpectrumModel.h"

#include "main/records/CalculationError.h"
#include "main/spectrum/SpectrumFile.h"
#include "tests/support/SyntheticReferenceSet.h"
#include "tests/TempFolder.h"
#include "common/TextFile.h"
#include "main/records/ReferenceLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace velnor {
namespace {

using namespace spectrum_model;

class SpectrumModelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testing::TempFolder folder;
        testing::writeSyntheticReferenceSet(folder.path());
        s_attenuation = readAttenuationTable(folder / "Att_coeff2020.dat");
        s_output = loadOutputDataTable(folder / "default-output.op");
    }
    static inline AttenuationTable s_attenuation;
    static inline OutputDataTable s_output;
};

// Height of a line above the continuum at bin j (mean of the neighbours).
double excess(const BinArray& s, int j) { return s[j] - 0.5 * (s[j - 1] + s[j + 1]); }

TEST_F(SpectrumModelTest, KLinesAppearStrictlyAbove70Kv)
{
    const BinArray at70 = rawSpectrum(70.0, 12, velnor::Rectification::ConstantPotential, s_attenuation.muTungsten);
    const BinArray at705 = rawSpectrum(70.5, 12, velnor::Rectification::ConstantPotential, s_attenuation.muTungsten);

    // The lines L = 0.01 k B sit on top of the bremsstrahlung sum B.
    const double v = 70.5 * std::sin(90 * kPi / 180);
    const double k = 0.01 * kLineFractionPercent(v);
    const double total = std::accumulate(at705.begin(), at705.end(), 0.0);
    const double lines = total * k / (1 + k);
    for (int n = 0; n < 4; ++n) {
        // The continuum bends near its end point, alike at 70 and 70.5 kV to
        // within 2 % of each line; at 70 kV no line stands out.
        const int j = kKLineBins[n];
        EXPECT_NEAR(excess(at705, j) - excess(at70, j), kKLineWeights[n] * lines, 0.02 * kKLineWeights[n] * lines) << j;
        EXPECT_LT(std::fabs(excess(at70, j)), 0.5 * kKLineWeights[n] * lines) << j;
    }
}

TEST_F(SpectrumModelTest, WaveformPhasesAndCurrentWeights)
{
    EXPECT_EQ(waveformPhasesDeg(velnor::Rectification::ConstantPotential), std::vector<double>{90});
    const auto threePhase = waveformPhasesDeg(velnor::Rectification::ThreePhase12Peak);
    ASSERT_EQ(threePhase.size(), 16u);
    EXPECT_EQ(threePhase.front(), 75);
    EXPECT_EQ(threePhase.back(), 90);
    const auto singlePhase = waveformPhasesDeg(velnor::Rectification::SinglePhaseFullWave);
    ASSERT_EQ(singlePhase.size(), 45u);
    EXPECT_EQ(singlePhase.front(), 2);
    EXPECT_EQ(singlePhase.back(), 90);

    EXPECT_NEAR(currentWeight(velnor::Rectification::SinglePhaseFullWave, 0.375), std::pow(0.5, 1.5), 1e-12); // about 0.354
    EXPECT_EQ(currentWeight(velnor::Rectification::SinglePhaseFullWave, 0.75), 1.0);
    EXPECT_EQ(currentWeight(velnor::Rectification::SinglePhaseFullWave, 0.9), 1.0);
    EXPECT_EQ(currentWeight(velnor::Rectification::ThreePhase12Peak, 0.2), 1.0);
    EXPECT_EQ(currentWeight(velnor::Rectification::ConstantPotential, 0.2), 1.0);

    // Ripple softens the beam: lower-voltage phases add low-energy photons only.
    const BinArray cp = rawSpectrum(80, 12, velnor::Rectification::ConstantPotential, s_attenuation.muTungsten);
    const BinArray sp = rawSpectrum(80, 12, velnor::Rectification::SinglePhaseFullWave, s_attenuation.muTungsten);
    EXPECT_GT(sp[40] / sp[150], cp[40] / cp[150]);
}

TEST_F(SpectrumModelTest, BinAtTheTubeVoltageGetsNoBremsstrahlung)
{
    // sin(90 x 3.14159 / 180) is a hair below 1, so the single phase of a
    // constant-potential 75 kV beam reaches 74.99999... kV.
    const BinArray raw = rawSpectrum(75, 12, velnor::Rectification::ConstantPotential, s_attenuation.muTungsten);
    EXPECT_GT(raw[149], 0.0);
    EXPECT_EQ(raw[150], 0.0);
    ExposureConditions c;
    c.tubeVoltageKv = 150;
    const SpectrumResult s = computeSpectrum(c, s_attenuation, s_output);
    EXPECT_EQ(s.topBin, 300);
    EXPECT_GT(s.photonSpectrum[299], 0.0);
    EXPECT_EQ(s.photonSpectrum[300], 0.0);
}

TEST_F(SpectrumModelTest, NormalisedSpectraAndKermaRatio)
{
    ExposureConditions c;
    c.tubeVoltageKv = 80;
    const SpectrumResult s = computeSpectrum(c, s_attenuation, s_output);
    EXPECT_EQ(s.topBin, 160);
    EXPECT_EQ(s.photonSpectrum[1], 0.0);
    double photons = 0, kerma = 0;
    for (int j = 2; j <= 160; ++j) {
        photons += s.photonSpectrum[j];
        kerma += s.airKermaSpectrum[j];
    }
    EXPECT_NEAR(photons, 1.0, 1e-9); // only values below 1e-10 were dropped
    EXPECT_NEAR(kerma, 1.0, 1e-12);
    for (int j = 161; j <= 300; ++j)
        EXPECT_EQ(s.photonSpectrum[j], 0.0);

    // The reference of the kerma ratio ignores the inherent filtration: with
    // added Al equal to the table's measurement filtration it is below 1.
    c.addedAlCm = s_output.filtrationAl[1];
    c.addedCuCm = 0;
    c.inherentFiltrationCm = 0.25;
    EXPECT_LT(computeSpectrum(c, s_attenuation, s_output).kermaRatio, 1.0);
    c.inherentFiltrationCm = 0;
    EXPECT_NEAR(computeSpectrum(c, s_attenuation, s_output).kermaRatio, 1.0, 1e-12);

    // An inactive other filter is ignored whatever it holds.
    const double reference = computeSpectrum(c, s_attenuation, s_output).kermaRatio;
    c.otherFilterCm = 1;
    c.otherFilterMu.fill(5.0);
    EXPECT_EQ(computeSpectrum(c, s_attenuation, s_output).kermaRatio, reference);
    c.otherFilterActive = true;
    EXPECT_LT(computeSpectrum(c, s_attenuation, s_output).kermaRatio, reference * 0.01);
}

TEST_F(SpectrumModelTest, RefusalsNameTheirCause)
{
    auto refuses = [&](ExposureConditions c, const std::string& part) {
        try {
            computeSpectrum(c, s_attenuation, s_output);
            ADD_FAILURE() << "no refusal for " << part;
        } catch (const CalculationError& e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    };
    ExposureConditions c;
    c.tubeVoltageKv = 0.9;
    refuses(c, "at least 1 kV");
    c.tubeVoltageKv = 150.5;
    refuses(c, "150 kV");
    c.tubeVoltageKv = 80;
    c.targetAngleDeg = 0;
    refuses(c, "target angle");
    c.targetAngleDeg = 12;
    c.addedAlCm = -0.03;
    refuses(c, "added aluminium -0.3 mm"); // would amplify the beam, not filter it
    c.addedAlCm = 0.1;
    c.addedCuCm = 1e6;
    refuses(c, "absorb");
}

TEST(SpectrumFile, ThreeHundredLinesOfFifteenCharacters)
{
    BinArray photons{};
    photons[2] = 0.5;
    photons[140] = 0.0123449;
    const std::vector<std::string> lines = spectrumFileLines(photons);
    ASSERT_EQ(lines.size(), 300u);
    EXPECT_EQ(lines[0], "0000.5, 0.00000");
    EXPECT_EQ(lines[1], "0001.0, 0.50000");
    EXPECT_EQ(lines[139], "0070.0, 0.01234");
    EXPECT_EQ(lines[299], "0150.0, 0.00000");
    for (const std::string& line : lines)
        EXPECT_EQ(line.size(), 15u);
}

TEST_F(SpectrumModelTest, SixtyKvFileStillHas300Lines)
{
    ExposureConditions c;
    c.tubeVoltageKv = 60;
    const SpectrumResult s = computeSpectrum(c, s_attenuation, s_output);
    testing::TempFolder folder;
    writeSpectrumFile(folder.path(), s.photonSpectrum);
    const std::vector<std::string> lines = readTextLines(folder / "X_SPCTL.dat");
    ASSERT_EQ(lines.size(), 300u);
    EXPECT_EQ(lines[0].substr(8), "0.00000");
    EXPECT_NE(lines[59].substr(8), "0.00000");
    for (int i = 121; i <= 300; ++i)
        EXPECT_EQ(lines[static_cast<std::size_t>(i - 1)].substr(8), "0.00000") << i;
}

} // namespace
} // namespace velnor
