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
    std::filesystem::copy_file(kData / "撮影部位.txt", folder / "撮影部位.txt");
    const std::string command = std::string(VELNOR_ORGANDATA) + " '" + folder.path().string() + "' > /dev/null";
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

} // namespace
} // namespace velnor
