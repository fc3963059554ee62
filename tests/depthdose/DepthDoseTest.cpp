// The depth-dose calculation on the shipped data.
#include "depthdose/DepthDose.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor::pdd {
namespace {

TEST(DepthDose, DepthPointsOfAThickness)
{
    EXPECT_EQ(depthPoints(20), 40); // the deepest at 19.75 cm
    EXPECT_EQ(depthPoints(20.2), 41);
    EXPECT_EQ(depthPoints(45), 80); // capped
}

TEST(DepthDose, RingFractionAgainstANumericalIntegration)
{
    const double a = 6, b = 3.5;
    for (double r0 : {0.0, 3.0, 3.5, 5.0, 6.5, 6.9}) {
        const double r1 = r0 + 0.5;
        // Midpoint rule over the ring in polar coordinates.
        const int nr = 400, nt = 2000;
        double inside = 0, all = 0;
        for (int i = 0; i < nr; ++i) {
            const double r = r0 + (i + 0.5) * (r1 - r0) / nr;
            for (int t = 0; t < nt; ++t) {
                const double phi = (t + 0.5) * 2 * M_PI / nt;
                all += r;
                if (std::fabs(r * std::cos(phi)) <= a && std::fabs(r * std::sin(phi)) <= b)
                    inside += r;
            }
        }
        // pi = 3.14159 in the closed form: a few 1e-6 of difference.
        EXPECT_NEAR(ringFractionInRectangle(r0, r1, a, b), inside / all, 2e-3) << r0;
    }
    EXPECT_NEAR(ringFractionInRectangle(0, 0.5, 6, 3.5), 1, 1e-5);
    EXPECT_NEAR(ringFractionInRectangle(7, 7.5, 6, 3.5), 0, 1e-12); // beyond the corner
}

class OnShippedData : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_data = readDepthDoseData(VELNOR_DATA_DIR); }
    static inline DepthDoseData s_data;
    static HandOff handOff()
    {
        HandOff h;
        h.tubeVoltageKv = 80;
        h.focusReceptorCm = 100;
        h.focusSurfaceCm = 80;
        h.thicknessCm = 20;
        h.fieldLongCm = 35.6;
        h.fieldShortCm = 35.6;
        h.surfaceDoseMgy = 1;
        for (int e = 21; e <= 160; ++e)
            h.spectrum[static_cast<std::size_t>(e)] = std::exp(-0.5 * std::pow((e - 90) / 30.0, 2));
        return h;
    }
};

TEST_F(OnShippedData, FirstPointIsAHundredAndTheDoseFalls)
{
    const std::vector<DepthDosePoint> t = computeDepthDose(handOff(), 20, s_data);
    ASSERT_EQ(t.size(), 40u);
    EXPECT_NEAR(t[0].totalPercent, 100, 1e-9);
    EXPECT_DOUBLE_EQ(t[0].depthCm, 0.25);
    for (std::size_t m = 1; m < t.size(); ++m)
        EXPECT_LT(t[m].totalPercent, t[m - 1].totalPercent);
    EXPECT_GT(t[0].scatterPercent, 10); // a broad field: scatter matters near the surface
    EXPECT_LT(t[39].totalPercent, 5);
    const std::vector<std::string> lines = depthDoseFileLines(t);
    EXPECT_EQ(lines[0].substr(0, 7), " 00.25,");
    EXPECT_EQ(lines[0].substr(lines[0].size() - 8), "  100.00");
}

TEST_F(OnShippedData, SwappedAxesAndCircularFields)
{
    HandOff h = handOff();
    h.fieldLongCm = 20;
    h.fieldShortCm = 30;
    const auto swapped = computeDepthDose(h, 20, s_data);
    std::swap(h.fieldLongCm, h.fieldShortCm);
    const auto straight = computeDepthDose(h, 20, s_data);
    EXPECT_DOUBLE_EQ(swapped[10].totalPercent, straight[10].totalPercent);
    h.fieldShortCm = 0; // circular, diameter 30 cm
    const auto circle = computeDepthDose(h, 20, s_data);
    EXPECT_NEAR(circle[0].totalPercent, 100, 1e-9);
    h.fieldLongCm = 5;
    const auto small = computeDepthDose(h, 20, s_data);
    EXPECT_LT(small[10].scatterPercent, circle[10].scatterPercent); // less field, less scatter
    // A field whose half-diagonal reaches 40 cm needs more than 80 rings.
    h.fieldLongCm = 95;
    h.fieldShortCm = 95;
    try {
        computeDepthDose(h, 40, s_data);
        ADD_FAILURE() << "a field beyond the kernels' rings is computed";
    } catch (const WordedError& e) {
        // In English for velnor-pdd, in Japanese for the window, from one table.
        EXPECT_NE(std::string(e.what()).find("the kernels' 80 rings end at 40 cm"), std::string::npos) << e.what();
        EXPECT_NE(e.japanese().find("カーネルの 80 リング"), std::string::npos) << e.japanese();
    }
}

TEST_F(OnShippedData, PrimaryOnlyFollowsTheClosedFormAndZeroKernelsAreReplaced)
{
    // Kernels of no weight (a zero would count as 1 in the interpolation).
    DepthDoseData noScatter = s_data;
    for (auto& kernel : noScatter.kernels)
        for (auto& row : kernel)
            row.fill(1e-200);
    HandOff h = handOff();
    h.spectrum.fill(0.0);
    h.spectrum[120] = 1; // 60 keV only
    const auto t = computeDepthDose(h, 20, noScatter);
    // Primary only: inverse square from the focus and exponential attenuation.
    const auto& e = s_data.energyKev;
    std::size_t k = 1;
    while (!(e[k] > 60.0))
        ++k;
    const double f = (std::log(60.0) - std::log(e[k - 1])) / (std::log(e[k]) - std::log(e[k - 1]));
    double mu = 0;
    for (const auto* c : {&s_data.coherent, &s_data.incoherent, &s_data.photoelectric})
        mu += std::exp(std::log((*c)[k - 1]) + (std::log((*c)[k]) - std::log((*c)[k - 1])) * f);
    auto dose = [&](double d) { return std::pow(80 / (80 + d), 2) * std::exp(-mu * d); };
    for (int m : {1, 10, 40}) {
        const double d = 0.5 * m - 0.25;
        EXPECT_NEAR(t[static_cast<std::size_t>(m - 1)].totalPercent, 100 * dose(d) / dose(0.25), 1e-9) << m;
        EXPECT_LT(t[static_cast<std::size_t>(m - 1)].scatterPercent, 1e-100);
    }
    // Between tabulated energies a zero kernel sum counts as 1: no logarithm of 0.
    for (auto& kernel : noScatter.kernels)
        for (auto& row : kernel)
            row.fill(0.0);
    h.spectrum[121] = 1;
    const auto between = computeDepthDose(h, 20, noScatter);
    EXPECT_GT(between[5].scatterPercent, 0);
    EXPECT_TRUE(std::isfinite(between[5].totalPercent));
}

TEST(HandOff, MissingAndShortFilesAreRefused)
{
    testing::TempFolder folder;
    EXPECT_THROW(readHandOff(folder / "Velnor2PDD.dat"), DataFileError);
    writeTextLines(folder / "Velnor2PDD.dat", {"80", "100", "80"});
    EXPECT_THROW(readHandOff(folder / "Velnor2PDD.dat"), DataFileError);
}

// Every value of a hand-off is checked before use, naming its line: each of
// these once gave a result (a negative effective dose, "Inf" cells, a 500 kV
// beam read as 80 kV, a logarithm of a negative scatter).
TEST(HandOff, ValuesACalculationCannotUseAreRefusedByLine)
{
    testing::TempFolder folder;
    std::vector<std::string> good = {"80", "100", "80", "20", "43.2", "35.6", "1.234"};
    for (int e = 1; e <= kBins; ++e)
        good.push_back(e > 20 && e < 160 ? "1.000E-01" : "0.000E+00");
    good.push_back("腹部正面");
    writeTextLines(folder / "Velnor2PDD.dat", good);
    EXPECT_EQ(readHandOff(folder / "Velnor2PDD.dat").tubeVoltageKv, 80);
    const struct {
        int line;
        const char* text;
    } cases[] = {{7, "-5"}, {7, "1e308"}, {1, "500"}, {1, "5"}, {5, "0"}, {6, "-1"}, {3, "100"}, {4, "0"}, {2, "1e-9"}, {50, "-1"}};
    for (const auto& c : cases) {
        std::vector<std::string> lines = good;
        lines[static_cast<std::size_t>(c.line - 1)] = c.text;
        writeTextLines(folder / "Velnor2PDD.dat", lines);
        try {
            readHandOff(folder / "Velnor2PDD.dat");
            ADD_FAILURE() << "line " << c.line << " \"" << c.text << "\" was taken";
        } catch (const DataFileError& e) {
            EXPECT_EQ(e.lineNumber(), c.line) << e.what();
        }
    }
    // The body part's line is part of the hand-off: without it the organ data
    // could not be found, and the program would not say why.
    std::vector<std::string> noPart = good;
    noPart.pop_back();
    writeTextLines(folder / "Velnor2PDD.dat", noPart);
    try {
        readHandOff(folder / "Velnor2PDD.dat");
        ADD_FAILURE() << "a hand-off without its body part was taken";
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.lineNumber(), kHandOffLines);
    }
    // A circular field hands over a short axis of 0.
    std::vector<std::string> circle = good;
    circle[5] = "0";
    writeTextLines(folder / "Velnor2PDD.dat", circle);
    EXPECT_EQ(readHandOff(folder / "Velnor2PDD.dat").fieldShortCm, 0);
}

} // namespace
} // namespace velnor::pdd
