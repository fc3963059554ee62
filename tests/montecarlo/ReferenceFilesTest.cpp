#include "montecarlo/AbsorptionTable.h"
#include "montecarlo/SpectrumWeights.h"
#include "montecarlo/TissueData.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace velnor::mc {
namespace {

std::string formatted(const char* format, double a, double b = 0, double c = 0, double d = 0)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a, b, c, d);
    return buffer;
}

std::vector<std::string> tissueFile(int rows)
{
    std::vector<std::string> lines = {formatted("%3.0f", rows), " 1.060000"};
    for (int k = 0; k < rows; ++k) {
        const double mev = 0.001 * (1 + 6 * k);
        lines.push_back(formatted("%9.3E%10.3E%10.3E%10.3E", mev, 0.1 / (k + 1), 0.2, 10.0 / (k + 1)));
    }
    for (int k = 0; k < kScatteringRows; ++k) {
        const double x = 10.0 * k / (kScatteringRows - 1);
        lines.push_back(formatted("%10.3E%12.5E%12.5E", x, x * x / (1 + x * x), x / (1 + x)));
    }
    return lines;
}

// 300 rows of 0.5 keV steps; the last three columns (air, soft tissue, skin)
// are the ones the engine reads.
std::vector<std::string> absorptionFile()
{
    std::vector<std::string> lines;
    for (int j = 1; j <= 300; ++j)
        lines.push_back(formatted("%10.3E%15.6E%15.6E%15.6E", 0.5 * j, 1.0, 2.0, 3.0)
                        + formatted("%15.6E%15.6E%15.6E", 0.01 * j, 0.02 * j, 0.03 * j));
    return lines;
}

TEST(TissueData, ThirtySevenRowsThenTheScatteringFunctions)
{
    testing::TempFolder folder;
    writeTextLines(folder / "ICRUSoft.dat", tissueFile(37));
    const TissueData t = readTissueData(folder / "ICRUSoft.dat");
    ASSERT_EQ(t.energyKev.size(), 37u);
    EXPECT_FLOAT_EQ(t.energyKev[0], 1.0f);      // MeV read, keV kept
    EXPECT_FLOAT_EQ(t.energyKev[36], 217.0f);
    EXPECT_FLOAT_EQ(t.muPhotoelectric[1], 5.0f);
    EXPECT_FLOAT_EQ(t.x[44], 10.0f);            // read from the line after the last attenuation row
    EXPECT_FLOAT_EQ(t.cumulativeCoherentMax(), 100.0f / 101.0f);
    EXPECT_FLOAT_EQ(t.incoherentFunctionMax(), 10.0f / 11.0f);
}

TEST(TissueData, FaultsNameTheFileAndLine)
{
    testing::TempFolder folder;
    writeTextLines(folder / "ICRUSoft.dat", tissueFile(38));
    EXPECT_THROW(readTissueData(folder / "ICRUSoft.dat"), DataFileError);

    std::vector<std::string> lines = tissueFile(10);
    lines[5].replace(10, 10, "   abc    ");
    writeTextLines(folder / "ICRUSoft.dat", lines);
    try {
        readTissueData(folder / "ICRUSoft.dat");
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.lineNumber(), 6);
        EXPECT_NE(std::string(e.what()).find("ICRUSoft.dat"), std::string::npos);
    }

    lines = tissueFile(10);
    lines.pop_back();
    writeTextLines(folder / "ICRUSoft.dat", lines);
    EXPECT_THROW(readTissueData(folder / "ICRUSoft.dat"), DataFileError);
    EXPECT_THROW(readTissueData(folder / "missing.dat"), DataFileError);
}

TEST(AbsorptionTable, EngineReadsItsColumns)
{
    testing::TempFolder folder;
    std::vector<std::string> lines = absorptionFile();
    writeTextLines(folder / "Att_Coeff2020.dat", lines);
    const AbsorptionTable t = readAbsorptionTable(folder / "Att_Coeff2020.dat");
    EXPECT_FLOAT_EQ(t.energyKev[299], 150.0f);
    EXPECT_FLOAT_EQ(t.muenAir[9], 0.1f);
    EXPECT_FLOAT_EQ(t.muenSoftTissue[9], 0.2f);
    EXPECT_FLOAT_EQ(t.muenSkin[9], 0.3f);

    lines.resize(299);
    writeTextLines(folder / "Att_Coeff2020.dat", lines);
    EXPECT_THROW(readAbsorptionTable(folder / "Att_Coeff2020.dat"), DataFileError);
}

TEST(AbsorptionTable, NonPositiveCoefficientsAreRefused)
{
    testing::TempFolder folder;
    std::vector<std::string> lines = absorptionFile();
    lines[119].replace(70, 15, formatted("%15.6E", 0.0));
    writeTextLines(folder / "Att_Coeff2020.dat", lines);
    try {
        readAbsorptionTable(folder / "Att_Coeff2020.dat");
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.lineNumber(), 120);
    }
}

TEST(SpectrumWeights, NegativeAndUnrepresentableWeightsAreRefused)
{
    testing::TempFolder folder;
    std::vector<std::string> lines;
    for (int i = 1; i <= 300; ++i)
        lines.push_back(formatted("%6.1f, %7.5f", 0.5 * i, i == 100 ? 0.5 : 0.001));
    writeTextLines(folder / "X_SPCTL.dat", lines);
    EXPECT_NO_THROW(readSpectrumWeights(folder / "X_SPCTL.dat"));
    lines[99] = "  50.0,-0.5000";
    writeTextLines(folder / "X_SPCTL.dat", lines);
    EXPECT_THROW(readSpectrumWeights(folder / "X_SPCTL.dat"), DataFileError);
    lines[99] = "  50.0, 1.0E99";
    writeTextLines(folder / "X_SPCTL.dat", lines);
    EXPECT_THROW(readSpectrumWeights(folder / "X_SPCTL.dat"), DataFileError);
}

} // namespace
} // namespace velnor::mc
