#include "main/spectrum/FilterMaterial.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor {
namespace {

// mu/rho = 100 (E / 1 keV)^-3 cm^2/g split into three equal parts: log-log
// interpolation reproduces a power law exactly.
std::vector<std::string> powerLawFile(double firstMev, double lastMev, int rowsPerDecade)
{
    std::vector<std::string> lines = {"Test material", "2.0, 0"};
    const int decades = static_cast<int>(std::lround(std::log10(lastMev / firstMev)));
    for (int i = 0; i <= decades * rowsPerDecade; ++i) {
        const double e = firstMev * std::pow(10.0, static_cast<double>(i) / rowsPerDecade);
        const double part = 100.0 * std::pow(e / 0.001, -3.0) / 3.0;
        char buffer[160];
        std::snprintf(buffer, sizeof buffer, "%.10E %.10E %.10E %.10E 0 0", e, part, part, part);
        lines.push_back(buffer);
    }
    return lines;
}

TEST(FilterMaterial, CoefficientsForEveryBin)
{
    testing::TempFolder folder;
    writeTextLines(folder / "test.mix", powerLawFile(0.001, 100.0, 5)); // rows past 10 MeV are not read
    const FilterMaterial m = readFilterMaterialFile(folder / "test.mix");
    EXPECT_EQ(m.name, "Test material");
    EXPECT_EQ(m.densityGPerCm3, 2.0);
    EXPECT_EQ(m.rows.size(), 21u); // 1 keV .. 10 MeV
    EXPECT_NEAR(m.rows.back().energyMev, 10.0, 1e-9);

    const BinArray mu = otherFilterMu(m);
    for (int n = 1; n <= 150; ++n) // even bins: the power law itself, times the density
        EXPECT_NEAR(mu[2 * n], 2.0 * 100.0 * std::pow(n, -3.0), 1e-9 * mu[2 * n]) << n;
    EXPECT_DOUBLE_EQ(mu[1], mu[2]);
    EXPECT_DOUBLE_EQ(mu[3], (mu[2] + mu[4]) / 2); // odd bins: linear mean of the neighbours
    EXPECT_DOUBLE_EQ(mu[299], (mu[298] + mu[300]) / 2);
}

TEST(FilterMaterial, FilesThatCannotCoverEveryBinAreRefused)
{
    testing::TempFolder folder;
    writeTextLines(folder / "late.ele", powerLawFile(0.002, 20.0, 5));
    EXPECT_THROW(readFilterMaterialFile(folder / "late.ele"), DataFileError);
    writeTextLines(folder / "short.ele", powerLawFile(0.001, 1.0, 5));
    EXPECT_THROW(readFilterMaterialFile(folder / "short.ele"), DataFileError);
    writeTextLines(folder / "long.ele", powerLawFile(0.001, 10.0, 30)); // 121 rows
    EXPECT_THROW(readFilterMaterialFile(folder / "long.ele"), DataFileError);
    writeTextLines(folder / "exact.ele", powerLawFile(0.001, 10.0, 24)); // 97 rows
    EXPECT_NO_THROW(readFilterMaterialFile(folder / "exact.ele"));
    std::vector<std::string> lines = powerLawFile(0.001, 10.0, 5);
    std::swap(lines[4], lines[5]);
    writeTextLines(folder / "disorder.ele", lines);
    EXPECT_THROW(readFilterMaterialFile(folder / "disorder.ele"), DataFileError);
}

} // namespace
} // namespace velnor
