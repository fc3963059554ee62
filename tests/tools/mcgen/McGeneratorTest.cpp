// The photon Monte Carlo behind the backscatter, ATR and kernel tables: its
// physics against closed forms, its independence of the thread count, and the
// layouts of the files it writes (a quick run) and of the shipped ones.
#include "common/FreeFormatReader.h"
#include "main/records/ReferenceLoader.h"
#include "tests/TempFolder.h"
#include "tools/mcgen/McTables.h"
#include "tools/mcgen/Parallel.h"
#include "tools/refdata/Materials.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor::mcgen {
namespace {

const std::filesystem::path kData = VELNOR_DATA_DIR;

class McPhysics : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_soft = new Medium(refdata::icruSoftTissue()); }
    static void TearDownTestSuite() { delete s_soft; }
    static inline Medium* s_soft = nullptr;
};

TEST_F(McPhysics, IncoherentScatteringKeepsComptonKinematics)
{
    Random random(1, 0);
    double lowest = 1e9, meanCosine = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        double e, c;
        s_soft->sampleIncoherent(150, random, e, c);
        // E' = E / (1 + E/mc^2 (1 - cos)) for every sample.
        ASSERT_NEAR(e, 150 / (1 + 150 / kElectronRestKev * (1 - c)), 1e-9);
        lowest = std::min(lowest, e);
        meanCosine += c / n;
    }
    // Backscatter at 180 degrees from 150 keV leaves about 94.5 keV.
    EXPECT_GT(lowest, 94.4);
    EXPECT_LT(lowest, 96.0);
    // Klein-Nishina at 150 keV is forward-peaked: mean cosine about 0.2.
    EXPECT_NEAR(meanCosine, 0.2, 0.05);
}

TEST_F(McPhysics, CoherentScatteringIsForwardAndNarrowsWithEnergy)
{
    Random random(2, 0);
    double mean20 = 0, mean100 = 0;
    for (int i = 0; i < 5000; ++i) {
        mean20 += s_soft->sampleCoherentCosine(20, random) / 5000;
        mean100 += s_soft->sampleCoherentCosine(100, random) / 5000;
    }
    EXPECT_GT(mean20, 0.5);
    EXPECT_GT(mean100, mean20);
    // The angular densities are normalised over the sphere.
    const int n = 2000;
    double coherent = 0, incoherent = 0;
    for (int i = 0; i < n; ++i) {
        const double c = -1 + (i + 0.5) * 2.0 / n;
        coherent += 2 * M_PI * s_soft->coherentDensity(60, c) * 2.0 / n;
        incoherent += 2 * M_PI * s_soft->incoherentDensity(60, c) * 2.0 / n;
    }
    EXPECT_NEAR(coherent, 1.0, 0.01);
    EXPECT_NEAR(incoherent, 1.0, 0.01);
}

TEST_F(McPhysics, ResultsDoNotDependOnTheNumberOfThreads)
{
    const EnergyAbsorption k(refdata::icruSoftTissue());
    RunSettings run{20000, 1000, 7, 1};
    const RingResult one = simulateBackscatterRings(*s_soft, bodyPhantom(), 60, {&k, &k, &k}, run);
    run.threads = 3;
    const RingResult three = simulateBackscatterRings(*s_soft, bodyPhantom(), 60, {&k, &k, &k}, run);
    EXPECT_EQ(one.rings[0], three.rings[0]);
    EXPECT_EQ(one.faceTotal[1].mean, three.faceTotal[1].mean);
}

TEST(McTables, EmptyKernelEntriesFollowTheirNeighbours)
{
    std::vector<double> values(kKernelSize * kKernelSize, 0.0);
    std::vector<long long> collisions(values.size(), 0);
    auto index = [](int m, int j) { return static_cast<std::size_t>(m * kKernelSize + j); };
    for (int m = 0; m < 10; ++m) { // ring 0 scored down to slab 9, ring 1 from slab 2 on
        values[index(m, 0)] = 1.0 / (m + 1);
        collisions[index(m, 0)] = 1;
        if (m >= 2) {
            values[index(m, 1)] = 0.5;
            collisions[index(m, 1)] = 1;
        }
    }
    const double mu = 0.4, step = std::exp(-mu * kKernelStepCm);
    fillEmptyKernelEntries(values, collisions, mu);
    EXPECT_DOUBLE_EQ(values[index(12, 0)], 0.1 * std::pow(step, 3)); // deeper: from the last scored slab
    EXPECT_DOUBLE_EQ(values[index(0, 1)], 0.5 * std::pow(step, 2));  // shallower: from the first scored slab
    EXPECT_DOUBLE_EQ(values[index(5, 2)], values[index(5, 1)] * step); // empty ring: from the ring inside
    for (double v : values)
        EXPECT_GT(v, 0.0);
}

// Reads every value of a kernel file.
std::vector<double> kernelValues(const std::filesystem::path& path)
{
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    std::vector<double> v;
    while (!reader.atEnd())
        v.push_back(reader.readNumber());
    return v;
}

void expectTableLayouts(const std::filesystem::path& folder)
{
    DifferentialBsfTable t;
    for (const char* name : {"dBSF-SoftDose-SoftPhantom.dat", "dBSF-AirDose-SoftPhantom.dat", "dBSF-SkinDose-SoftPhantom.dat",
                             "dBSF-SoftDose-Soft_Head.dat", "dBSF-AirDose-Soft_Head.dat", "dBSF-SkinDose-Soft_Head.dat"})
        EXPECT_NO_THROW(readDifferentialBsfFile(folder / name, t, 0)) << name;
    EXPECT_NO_THROW(readAtrTable(folder / "dATR.dat"));
    for (int e = 10; e <= 150; e += 5) {
        const std::vector<double> k = kernelValues(folder / "PDS-data" / (std::to_string(e) + ".dat"));
        ASSERT_EQ(k.size(), 6400u) << e;
        for (double v : k)
            ASSERT_GT(v, 0.0) << e;
    }
}

TEST(McTables, QuickRunWritesEveryFileInItsLayout)
{
    testing::TempFolder folder;
    std::FILE* quiet = std::fopen("/dev/null", "w");
    generateTables(folder.path(), GenerationPlan::quick(), quiet);
    std::fclose(quiet);
    expectTableLayouts(folder.path());
}

TEST(McTables, ShippedTablesReadAndHoldSoundValues)
{
    expectTableLayouts(kData);
    const ReferenceTables tables = loadReferenceTables(kData);
    // Backscatter of a field as large as the body phantom's face at 60 keV
    // (node 13): the face total logged by the generator, 0.701 +- 0.001.
    double face = 0;
    for (int i = 1; i <= kBsfRings; ++i)
        face += tables.bsfSoftTissue.at(kPhantomBody, 13, i);
    EXPECT_NEAR(face, 0.70, 0.01);
    // The smaller head phantom backscatters less at high energy.
    double head = 0;
    for (int i = 1; i <= kBsfRings; ++i)
        head += tables.bsfSoftTissue.at(kPhantomHead, 13, i);
    EXPECT_LT(head, face);
    // The ATR plate transmits more of a harder beam.
    EXPECT_LT(tables.atr.x1[60] / tables.atr.x0[60], tables.atr.x1[200] / tables.atr.x0[200]);
}

} // namespace
} // namespace velnor::mcgen
