// Organ doses and the effective dose from a depth-dose table.
#include "depthdose/OrganDose.h"

#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

namespace velnor::pdd {
namespace {

// Total % at point i is 100 - i: a mean over points is easy to predict.
std::vector<DepthDosePoint> table(int points)
{
    std::vector<DepthDosePoint> t;
    for (int i = 1; i <= points; ++i)
        t.push_back({0.5 * i - 0.25, 0, 0, 100.0 - i});
    return t;
}

std::array<OrganRow, kTissueRows> only(int row, const std::string& from, const std::string& to, const std::string& percent = "100")
{
    std::array<OrganRow, kTissueRows> rows;
    rows[static_cast<std::size_t>(row)] = {true, from, to, percent};
    return rows;
}

// The mean total % (as a fraction) a single row with weight w and share 1 gives.
double meanOf(const EffectiveDose& e, int row) { return *e.contributionMsv[static_cast<std::size_t>(row)] / kTissueWeights[static_cast<std::size_t>(row)]; }

TEST(OrganDose, DepthPointsOfTheRows)
{
    const auto t = table(40);
    // 2.0 to 4.0 cm: points 5 to 8.
    EXPECT_NEAR(meanOf(computeEffectiveDose(only(2, "2.0", "4.0"), "腹部正面", 20, t, 1), 2), (95 + 94 + 93 + 92) / 4.0 / 100, 1e-12);
    // From = to = 3.0: the single point 7.
    EXPECT_NEAR(meanOf(computeEffectiveDose(only(2, "3.0", "3.0"), "腹部正面", 20, t, 1), 2), 0.93, 1e-12);
    // Lung 5 to 15 cm: effective extent 3 cm, points 11 to 16 (5 to 8 cm).
    double lung = 0;
    for (int i = 11; i <= 16; ++i)
        lung += 100 - i;
    EXPECT_NEAR(meanOf(computeEffectiveDose(only(kLungRow, "5", "15"), "腹部正面", 20, t, 1), kLungRow), lung / 6 / 100, 1e-12);
    // A row at the far surface takes the last point, like one just before it:
    // colon 20-20 and 19.9-20 at T = 20.
    const EffectiveDose atExit = computeEffectiveDose(only(2, "20", "20"), "腹部正面", 20, t, 1);
    ASSERT_FALSE(atExit.notComputable);
    EXPECT_NEAR(meanOf(atExit, 2), 0.60, 1e-12);
    EXPECT_NEAR(meanOf(computeEffectiveDose(only(2, "19.9", "20"), "腹部正面", 20, t, 1), 2), 0.60, 1e-12);
    // Exit skin 19.8 to 20.0 cm: points 39 and 40.
    EXPECT_NEAR(meanOf(computeEffectiveDose(only(kExitSkinRow, "19.8", "20.0"), "腹部正面", 20, t, 1), kExitSkinRow), (61 + 60) / 2.0 / 100,
                1e-12);
}

TEST(OrganDose, TissuesBehindTheLungMoveUpByItsMissingDensity)
{
    EXPECT_DOUBLE_EQ(depthThroughLung(3, 5, 15), 3);    // before the lung
    EXPECT_DOUBLE_EQ(depthThroughLung(10, 5, 15), 6.5); // inside: 5 + 0.3 x 5
    EXPECT_DOUBLE_EQ(depthThroughLung(15, 5, 15), 8);
    EXPECT_DOUBLE_EQ(depthThroughLung(18, 5, 15), 11);
    EXPECT_DOUBLE_EQ(depthThroughLung(18, 15, 5), 18); // no lung when "to" is not beyond "from"
    // Breast 15 to 18 cm behind a lung from 5 to 15 cm (chest frontal): 8 to 11 cm.
    auto rows = only(kBreastRow, "15", "18");
    rows[kLungRow] = {false, "5", "15", "0"};
    const auto t = table(40);
    double expected = 0;
    for (int i = 17; i <= 22; ++i)
        expected += 100 - i;
    EXPECT_NEAR(meanOf(computeEffectiveDose(rows, "胸部正面", 20, t, 1), kBreastRow), expected / 6 / 100, 1e-12);
    // Not for another body part.
    EXPECT_NEAR(meanOf(computeEffectiveDose(rows, "腹部正面", 20, t, 1), kBreastRow), (100 - 31 + 100 - 36) / 2.0 / 100, 1e-12);
    // Breasts 0-4 cm beyond the exit of a chest whose lung (5-7 cm) brings
    // them only to 18.6-22.6 cm: the part beyond the table takes the exit point.
    rows = only(kBreastRow, "20", "24");
    rows[kLungRow] = {false, "5", "7", "0"};
    EXPECT_NEAR(meanOf(computeEffectiveDose(rows, "胸部正面", 20, t, 1), kBreastRow), (62 + 61 + 60) / 3.0 / 100, 1e-12);
}

TEST(OrganDose, RefusalsAndEmptyRows)
{
    const auto t = table(40);
    EXPECT_EQ(computeEffectiveDose(only(5, "4", "2"), "x", 20, t, 1).refusedRow, 5);       // to < from
    EXPECT_EQ(computeEffectiveDose(only(5, "-1", "2"), "x", 20, t, 1).refusedRow, 5);      // from < 0
    EXPECT_EQ(computeEffectiveDose(only(5, "2", "21"), "x", 20, t, 1).refusedRow, 5);      // beyond the body
    EXPECT_EQ(computeEffectiveDose(only(5, "2", "4", "150"), "x", 20, t, 1).refusedRow, 5); // more than all of it
    EXPECT_EQ(*computeEffectiveDose(only(5, "2", "4", "0"), "x", 20, t, 1).contributionMsv[5], 0);
    // An entry is a number as a whole: "x6.7" is not 0 nor "6,7" 6.
    for (const char* typed : {"x6.7", "6,7", "6.7cm"})
        EXPECT_EQ(computeEffectiveDose(only(2, "2", typed), "x", 20, t, 1).refusedRow, 2) << typed;
    EXPECT_EQ(computeEffectiveDose(only(2, " 2 ", "6.7 "), "x", 20, t, 1).refusedRow, -1);
    EXPECT_EQ(computeEffectiveDose(only(kLungRow, "2", "2x0"), "胸部正面", 20, t, 1).refusedRow, kLungRow);
    const EffectiveDose none = computeEffectiveDose({}, "x", 20, t, 1);
    EXPECT_EQ(none.totalMsv, 0);
    EXPECT_EQ(none.refusedRow, -1);
    EXPECT_EQ(effectiveDoseFileLines(0.0512), (std::vector<std::string>{"実効線量 (mSv)", "0.051"}));
}

TEST(OrganDose, DefaultsFromTheBodyPartsFile)
{
    testing::TempFolder folder;
    std::filesystem::create_directory(folder / "Organ-data");
    std::vector<std::string> lines;
    for (int t = 0; t < kTissueRows; ++t)
        lines.push_back(t == 2 ? "結腸,1,1,0.25,2,5,60" : "other,0,0,0,0,0,0");
    writeTextLines(folder / "Organ-data" / "腹部正面.csv", lines);
    const auto rows = readOrganDefaults(folder.path(), "腹部正面", 20);
    ASSERT_TRUE(rows);
    EXPECT_TRUE((*rows)[2].checked);
    EXPECT_EQ((*rows)[2].fromText, "5.0"); // 0.25 of 20 cm
    EXPECT_EQ((*rows)[2].toText, "15.0");  // 5 cm from the exit surface
    EXPECT_EQ((*rows)[2].percentText, "60");
    EXPECT_FALSE((*rows)[0].checked);
    EXPECT_FALSE(readOrganDefaults(folder.path(), "頭部正面", 20));
    EXPECT_FALSE(readOrganDefaults(folder.path(), "../Organ-data/腹部正面", 20)); // never a path outside
    EXPECT_FALSE(readOrganDefaults(folder.path(), ".hidden", 20));

    // Found by fuzzing: a mode far outside an int was converted to one.
    lines[2] = "結腸,1,7.8e58,0.25,1e300,5,60";
    writeTextLines(folder / "Organ-data" / "腹部正面.csv", lines);
    EXPECT_EQ((*readOrganDefaults(folder.path(), "腹部正面", 20))[2].fromText, "0.3"); // read as cm
    // And a depth far beyond the table in a body handed over that thick.
    EXPECT_TRUE(computeEffectiveDose(only(2, "1e300", "1e300"), "x", 1e301, table(40), 1).notComputable);
}

} // namespace
} // namespace velnor::pdd
