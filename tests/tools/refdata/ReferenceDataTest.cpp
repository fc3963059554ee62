// The shipped reference data: reproducible from the generator, readable by the
// programs' own readers, and physically right against NIST's tables.
#include "common/TextFile.h"
#include "main/records/OutputDataTable.h"
#include "main/records/ReferenceLoader.h"
#include "main/records/UserFiles.h"
#include "main/spectrum/FilterMaterial.h"
#include "montecarlo/TissueData.h"
#include "tests/TempFolder.h"
#include "tools/refdata/DataFiles.h"
#include "tools/refdata/Elements.h"
#include "tools/refdata/Materials.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

namespace velnor {
namespace {

const std::filesystem::path kData = VELNOR_DATA_DIR;

std::string bytesOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ReferenceData, CommittedFilesEqualWhatTheGeneratorWritesNow)
{
    testing::TempFolder folder;
    refdata::writeAll(folder.path());
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(bytesOf(entry.path()), bytesOf(kData / name)) << name << " differs from the generator's output";
        ++compared;
    }
    EXPECT_EQ(compared, 21);
}

// NIST XCOM (total with coherent) and Hubbell & Seltzer (muen/rho) tables,
// NISTIR 5632. 1 % covers the differences between xraylib's and NIST's
// photoelectric data and our free-electron energy transfer.
struct NistValue {
    double energyKev;
    double value; // cm^2/g
};

TEST(ReferenceData, AttenuationTableAgreesWithNist)
{
    const AttenuationTable t = readAttenuationTable(kData / "Att_coeff2020.dat");
    auto bin = [](double energyKev) { return static_cast<std::size_t>(std::lround(energyKev * 2)); };
    for (const NistValue& n : {NistValue{10, 4.742}, {20, 0.5389}, {50, 0.04098}, {100, 0.02325}})
        EXPECT_NEAR(t.muenAir[bin(n.energyKev)], n.value, 0.01 * n.value) << "air muen/rho at " << n.energyKev;
    for (const NistValue& n : {NistValue{30, 1.128}, {50, 0.3681}, {100, 0.1704}})
        EXPECT_NEAR(t.muAluminium[bin(n.energyKev)] / 2.699, n.value, 0.01 * n.value) << "Al at " << n.energyKev;
    for (const NistValue& n : {NistValue{20, 33.79}, {50, 2.613}, {100, 0.4584}})
        EXPECT_NEAR(t.muCopper[bin(n.energyKev)] / 8.96, n.value, 0.01 * n.value) << "Cu at " << n.energyKev;
    for (const NistValue& n : {NistValue{60, 3.713}, {80, 7.810}, {100, 4.438}})
        EXPECT_NEAR(t.muTungsten[bin(n.energyKev)] / 19.3, n.value, 0.01 * n.value) << "W at " << n.energyKev;
    // The tungsten K edge (69.525 keV) lies between bins 139 and 140.
    EXPECT_GT(t.muTungsten[140] / t.muTungsten[139], 4.0);
    EXPECT_LT(t.muTungsten[139] / t.muTungsten[138], 1.0);
    // Tissue absorbs more than air per gram above 30 keV (more electrons per
    // gram, from hydrogen); skin, with less oxygen, phosphorus and potassium,
    // absorbs up to about 9 % less than soft tissue at 10 keV and the same at high energy.
    for (int j = 60; j <= 300; j += 20)
        EXPECT_GT(t.muenSoftTissue[j], t.muenAir[j]) << j;
    for (int j = 20; j <= 300; j += 20)
        EXPECT_NEAR(t.muenSkin[j], t.muenSoftTissue[j], 0.10 * t.muenSoftTissue[j]) << j;
    EXPECT_NEAR(t.muenSkin[300], t.muenSoftTissue[300], 0.005 * t.muenSoftTissue[300]);
}

TEST(ReferenceData, EnergyAbsorptionOfWaterAgreesWithNist)
{
    // Hubbell & Seltzer, water, liquid.
    for (const NistValue& n : {NistValue{10, 4.944}, {20, 0.5503}, {50, 0.04223}, {100, 0.02546}})
        EXPECT_NEAR(refdata::massEnergyAbsorption(refdata::water(), n.energyKev), n.value, 0.01 * n.value) << n.energyKev;
}

TEST(ReferenceData, KleinNishinaEnergyTransferMatchesTheClosedForm)
{
    // Attix, Introduction to Radiological Physics (1986), eq. 7.9, per electron.
    for (double e : {10.0, 60.0, 150.0, 1000.0}) {
        const double k = e / refdata::kElectronRestEnergyKev;
        const double re2 = std::pow(refdata::kClassicalElectronRadiusCm, 2);
        const double total = 2 * M_PI * re2
            * ((1 + k) / (k * k) * (2 * (1 + k) / (1 + 2 * k) - std::log(1 + 2 * k) / k) + std::log(1 + 2 * k) / (2 * k)
               - (1 + 3 * k) / std::pow(1 + 2 * k, 2));
        EXPECT_NEAR(refdata::kleinNishinaPerElectron(e), total, 1e-8 * total) << e;
        EXPECT_LT(refdata::kleinNishinaEnergyTransferPerElectron(e), total);
    }
    // At 100 keV about 14 % of the photon energy goes to the electron on average.
    const double ratio = refdata::kleinNishinaEnergyTransferPerElectron(100) / refdata::kleinNishinaPerElectron(100);
    EXPECT_NEAR(ratio, 0.138, 0.003);
}

TEST(ReferenceData, StartUpFilesReadWithTheMainProgramsReaders)
{
    const OutputDataTable op = loadOutputDataTable(kData / "default-output.op");
    EXPECT_EQ(op.kvGrid[1], 40.0);
    EXPECT_EQ(op.kvGrid[12], 150.0);
    // About 51 uGy/mAs at 80 kV constant potential, as exposure in C/kg per mAs.
    EXPECT_NEAR(op.exposurePerMas[1][5], 51e-6 / 33.97, 0.02 * 51e-6 / 33.97);
    for (int row = 1; row <= kOutputRows; ++row) {
        EXPECT_LT(op.exposurePerMas[2][row], op.exposurePerMas[1][row]);
        EXPECT_LT(op.exposurePerMas[3][row], op.exposurePerMas[2][row]);
        if (row > 1) {
            EXPECT_GT(op.exposurePerMas[1][row], op.exposurePerMas[1][row - 1]);
        }
    }
    EXPECT_DOUBLE_EQ(op.filtrationAl[1], 0.25);

    const std::vector<std::string> parts = readBodyParts(kData / "撮影部位.txt");
    EXPECT_LE(parts.size(), 30u);
    for (const char* required : {"腹部正面", "胸部正面", "胸部側面", "頭部正面"})
        EXPECT_NE(std::find(parts.begin(), parts.end(), required), parts.end()) << required;

    // No line 32: the first start asks for a user name.
    EXPECT_FALSE(readUserName(kData / "Primary.dat"));
    const std::vector<std::string> primary = readTextLines(kData / "Primary.dat");
    ASSERT_EQ(primary.size(), 31u);
    const AttenuationTable t = readAttenuationTable(kData / "Att_coeff2020.dat");
    for (int i = 1; i <= 29; ++i) {
        const int e = 5 * (i + 1);
        const double p = std::stod(primary[static_cast<std::size_t>(i - 1)].substr(primary[i - 1].find(',') + 1));
        EXPECT_EQ(std::stoi(primary[static_cast<std::size_t>(i - 1)]), e);
        EXPECT_NEAR(p, e * t.muenSoftTissue[static_cast<std::size_t>(2 * e)], 1e-5 * p) << e;
    }
}

TEST(ReferenceData, TissueDataReadsByColumnsAndObeysItsPhysics)
{
    const mc::TissueData t = mc::readTissueData(kData / "ICRUSoft.dat");
    ASSERT_LE(t.energyKev.size(), 37u);
    EXPECT_FLOAT_EQ(t.energyKev.front(), 1.0f);
    EXPECT_GT(t.energyKev.back(), 150.0f);
    EXPECT_FLOAT_EQ(t.headerValue, 1.06f);
    EXPECT_GE(t.x.back(), 10.0f);
    EXPECT_EQ(t.x.front(), 0.0f);
    EXPECT_EQ(t.cumulativeCoherent.front(), 0.0f);
    // S(x) tends to the number of electrons per atom at large momentum transfer.
    const refdata::Material soft = refdata::icruSoftTissue();
    double atoms = 0, electrons = 0;
    for (const auto& c : soft.constituents) {
        atoms += c.massFraction / refdata::atomicWeight(c.Z);
        electrons += c.massFraction * c.Z / refdata::atomicWeight(c.Z);
    }
    EXPECT_NEAR(t.incoherentFunctionMax(), electrons / atoms, 0.01 * electrons / atoms);
    // Compton dominates soft tissue at 60 keV; photoabsorption at 10 keV.
    auto row = [&](float e) { return static_cast<std::size_t>(std::find(t.energyKev.begin(), t.energyKev.end(), e) - t.energyKev.begin()); };
    EXPECT_GT(t.muIncoherent[row(60.0f)], 5 * t.muPhotoelectric[row(60.0f)]);
    EXPECT_GT(t.muPhotoelectric[row(10.0f)], t.muIncoherent[row(10.0f)]);
}

TEST(ReferenceData, FilterMaterialsCoverEveryBinAndKeepTheirEdges)
{
    const AttenuationTable t = readAttenuationTable(kData / "Att_coeff2020.dat");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kData)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".ele" && ext != ".mix")
            continue;
        ++files;
        const FilterMaterial m = readFilterMaterialFile(entry.path());
        EXPECT_LE(m.rows.size(), 100u) << entry.path();
        const BinArray mu = otherFilterMu(m);
        for (int j = 1; j <= 300; ++j)
            ASSERT_TRUE(std::isfinite(mu[j]) && mu[j] > 0) << entry.path() << " bin " << j;
    }
    EXPECT_EQ(files, 16);

    // Aluminium from its material file agrees with the coefficient table at
    // the even bins, apart from the interpolation between rows (0.5 %).
    const FilterMaterial al = readFilterMaterialFile(kData / "Al.ele");
    const BinArray muAl = otherFilterMu(al);
    for (int j = 10; j <= 300; j += 2)
        EXPECT_NEAR(muAl[j] / al.densityGPerCm3, t.muAluminium[j] / 2.699, 0.005 * t.muAluminium[j] / 2.699) << j;

    // Lead's K edge (88.0 keV) lies between bins 176 and 178 and is kept sharp.
    const BinArray muPb = otherFilterMu(readFilterMaterialFile(kData / "Pb.ele"));
    EXPECT_GT(muPb[178] / muPb[176], 3.5);
    // Molybdenum's K edge (20.0 keV) lies on bin 40.
    const BinArray muMo = otherFilterMu(readFilterMaterialFile(kData / "Mo.ele"));
    EXPECT_GT(muMo[42] / muMo[38], 4.0);
}

} // namespace
} // namespace velnor
