// The shipped organ data are what the generator writes now, one file for every
// body part of the shipped list, each readable by the depth-dose program.
#include "common/TextFile.h"
#include "depthdose/OrganDose.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace velnor {
namespace {

const std::filesystem::path kData = VELNOR_DATA_DIR;

TEST(OrganData, CommittedFilesEqualWhatTheGeneratorWritesNow)
{
    testing::TempFolder folder;
    const std::string command =
        std::string(VELNOR_ORGANDATA) + " '" + kData.string() + "' '" + folder.path().string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const std::string& part : readTextLines(kData / "撮影部位.txt")) {
        const std::string name = part + ".csv";
        ASSERT_TRUE(std::filesystem::exists(kData / "Organ-data" / name)) << name;
        EXPECT_EQ(readTextFile(folder / "Organ-data" / name), readTextFile(kData / "Organ-data" / name)) << name;
        const auto rows = pdd::readOrganDefaults(kData, part, 20);
        ASSERT_TRUE(rows) << part;
        // Skin rows carry area fractions, never the whole skin.
        EXPECT_TRUE((*rows)[pdd::kExitSkinRow].checked);
        EXPECT_LT(std::atof((*rows)[pdd::kExitSkinRow].percentText.c_str()), 10) << part;
    }
}

// The gonads are the mean of testes and ovaries (ICRP 103): on the view's
// reference beam, the one gonad row of the pelvis AP gives half the dose of
// the testes in their share plus the ovaries in theirs.
TEST(OrganData, TheGonadRowIsTheMeanOfTestesAndOvaries)
{
    const auto rows = pdd::readOrganDefaults(kData, "骨盤正面", 22);
    ASSERT_TRUE(rows);
    const pdd::OrganRow& gonads = (*rows)[5];
    EXPECT_EQ(gonads.fromText, "1.0"); // the testes' depth, 1-3 cm
    EXPECT_EQ(gonads.toText, "3.0");
    // Its share lies between half the testes' in-field share (60 %) and that
    // share plus half the ovaries' (which get less dose, being deeper).
    const double share = std::atof(gonads.percentText.c_str());
    EXPECT_GT(share, 30);
    EXPECT_LT(share, 80);
    // Lateral views keep the ovaries' depth at half their share: no testis in the field.
    const auto lateral = pdd::readOrganDefaults(kData, "腰椎側面", 30);
    ASSERT_TRUE(lateral);
    EXPECT_EQ((*lateral)[5].percentText, "25");
}

// The chest PA and abdomen AP rows against a phantom Monte Carlo of the same
// set-ups (velnor-organ-check): E per entrance air kerma within 10 %, and
// every organ of at least 0.05 mGy per mGy with at least half of it in the
// beam within 25 %.
TEST(OrganData, ReferenceViewsHoldAgainstAPhantomMonteCarlo)
{
    FILE* pipe = popen((std::string(VELNOR_ORGAN_CHECK) + " '" + kData.string() + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256];
    std::string view;
    int effective = 0, organs = 0;
    while (std::fgets(line, sizeof line, pipe)) {
        const std::string text = line;
        if (text.rfind("  ", 0) != 0) {
            view = text.substr(0, text.find(' ', text.find(' ') + 1));
            continue;
        }
        char name[64];
        double ours = 0, phantom = 0, ratio = 0;
        if (text.find("(aim") == std::string::npos || std::sscanf(line, " %63[a-zA-Z (/)] %lf %lf %lf", name, &ours, &phantom, &ratio) != 4)
            continue;
        const std::string organ = std::string(name).substr(0, std::string(name).find_last_not_of(' ') + 1);
        if (organ.rfind("E (", 0) == 0) {
            EXPECT_NEAR(ratio, 1, 0.10) << view;
            ++effective;
        } else {
            EXPECT_NEAR(ratio, 1, 0.25) << view << " " << organ;
            ++organs;
        }
    }
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_EQ(effective, 2);
    EXPECT_EQ(organs, 9); // chest: breast, lung, thyroid, oesophagus, liver; abdomen: colon, stomach, liver, bladder
}

} // namespace
} // namespace velnor
