#include "tests/support/SyntheticReferenceSet.h"

#include "common/TextFile.h"

#include <cmath>
#include <cstdio>

namespace velnor::testing {
namespace {

const char* const kBsfFiles[6] = {
    "dBSF-SoftDose-SoftPhantom.dat", "dBSF-AirDose-SoftPhantom.dat", "dBSF-SkinDose-SoftPhantom.dat",
    "dBSF-SoftDose-Soft_Head.dat",   "dBSF-AirDose-Soft_Head.dat",   "dBSF-SkinDose-Soft_Head.dat",
};

std::string format(const char* pattern, double a)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, a);
    return buffer;
}

} // namespace

double syntheticBsfEntry(int fileIndex, int column, int ring)
{
    const double mediumFactor[3] = {1.0, 1.1, 1.2};
    const double phantomFactor = fileIndex >= 3 ? 2.0 : 1.0;
    return 0.001 * column / ring * mediumFactor[fileIndex % 3] * phantomFactor;
}

std::vector<std::string> syntheticAttenuationLines()
{
    std::vector<std::string> lines;
    for (int j = 1; j <= 300; ++j) {
        const double e = 0.5 * j;
        const double values[6] = {
            1000.0 * std::pow(e / 10.0, -2.6) + 0.5,  // tungsten-like, 1/cm
            26.0 * std::pow(e / 10.0, -2.9) + 0.4,    // aluminium-like
            2000.0 * std::pow(e / 10.0, -2.8) + 1.5,  // copper-like
            4.7 * std::pow(e / 10.0, -2.9) + 0.023,   // air-like, cm^2/g
            4.9 * std::pow(e / 10.0, -2.9) + 0.025,   // soft-tissue-like
            4.8 * std::pow(e / 10.0, -2.9) + 0.025,   // skin-like
        };
        std::string line = format("%10.3E", e);
        for (double v : values)
            line += format("%15.6E", v);
        lines.push_back(line);
    }
    return lines;
}

void writeSyntheticReferenceSet(const std::filesystem::path& folder)
{
    for (int f = 0; f < 6; ++f) {
        std::vector<std::string> lines = {"ring(cm), 1keV, 5keV, ... 150keV"};
        for (int ring = 1; ring <= 300; ++ring) {
            std::string line = format("%.2f", (ring - 0.5) * 0.1);
            for (int column = 1; column <= 31; ++column)
                line += format(",%.16E", syntheticBsfEntry(f, column, ring));
            lines.push_back(line);
        }
        writeTextLines(folder / kBsfFiles[f], lines);
    }
    writeTextLines(folder / "Att_coeff2020.dat", syntheticAttenuationLines());
    writeTextLines(folder / "default-output.op",
                   {"synthetic output table",
                    "40. 50. 60. 70. 80. 90. 100. 110. 120. 130. 140. 150. ",
                    "1.00E-06 2.00E-06 3.00E-06 4.00E-06 5.00E-06 6.00E-06 7.00E-06 8.00E-06 9.00E-06 1.00E-05 1.10E-05 1.20E-05 2.50 0.00",
                    "0.90E-06 1.80E-06 2.70E-06 3.60E-06 4.50E-06 5.40E-06 6.30E-06 7.20E-06 8.10E-06 9.00E-06 9.90E-06 1.08E-05 2.50 0.00",
                    "0.70E-06 1.40E-06 2.10E-06 2.80E-06 3.50E-06 4.20E-06 4.90E-06 5.60E-06 6.30E-06 7.00E-06 7.70E-06 8.40E-06 3.00 0.10"});
    writeTextLines(folder / "撮影部位.txt", {"腹部正面", "胸部正面", "胸部側面", "頭部正面"});
    std::vector<std::string> atr = {"E(keV), X0, X1, ratio"};
    for (int j = 1; j <= 300; ++j) {
        const double x0 = 1.0;
        const double x1 = 1.0 - std::exp(-0.05 * j);
        atr.push_back(format("%.1f", 0.5 * j) + format(", %.6E", x0) + format(", %.6E", x1) + format(", %.6E", x1 / x0));
    }
    writeTextLines(folder / "dATR.dat", atr);
    std::vector<std::string> primary;
    for (int e = 10; e <= 150; e += 5)
        primary.push_back(std::to_string(e) + ", " + format("%.4E", e * 0.05));
    primary.push_back("reference line 30");
    primary.push_back("reference line 31");
    primary.push_back("Test User");
    writeTextLines(folder / "Primary.dat", primary);
}

} // namespace velnor::testing
