#include "main/records/ReferenceLoader.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"
#include "main/records/UserFiles.h"
#include "tests/TempFolder.h"
#include "tests/support/SyntheticReferenceSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace velnor {
namespace {

using testing::syntheticBsfEntry;

bool holdsJapanese(const std::string& s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE3; });
}

// The fault in English; its Japanese wording, for the windows, names the
// same file and words the same reason from the table.
std::string messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.japanese().rfind("「" + e.fileName() + "」", 0), 0u) << e.japanese();
        EXPECT_TRUE(holdsJapanese(e.reason().japanese)) << e.what();
        EXPECT_FALSE(holdsJapanese(e.reason().english)) << e.what();
        return e.what();
    }
    return "";
}

TEST(ReferenceLoader, ReadsEveryTableIntoItsPlace)
{
    testing::TempFolder folder;
    testing::writeSyntheticReferenceSet(folder.path());
    const StartupData data = loadStartupData(folder.path());

    // files 0..2 body (soft, air, skin), 3..5 head
    EXPECT_DOUBLE_EQ(data.tables.bsfSoftTissue.at(kPhantomBody, 1, 1), syntheticBsfEntry(0, 1, 1));
    EXPECT_DOUBLE_EQ(data.tables.bsfAir.at(kPhantomBody, 31, 300), syntheticBsfEntry(1, 31, 300));
    EXPECT_DOUBLE_EQ(data.tables.bsfSkin.at(kPhantomHead, 17, 42), syntheticBsfEntry(5, 17, 42));
    EXPECT_DOUBLE_EQ(data.tables.bsfSoftTissue.at(kPhantomHead, 2, 3), syntheticBsfEntry(3, 2, 3));

    EXPECT_EQ(data.tables.bsfEnergyGridKev[1], 1.0);
    EXPECT_EQ(data.tables.bsfEnergyGridKev[2], 5.0);
    EXPECT_EQ(data.tables.bsfEnergyGridKev[31], 150.0);
    EXPECT_EQ(data.tables.airWOverE, 33.97);

    // Row 20 is 10 keV: the synthetic laws give their 10-keV constants plus offsets.
    EXPECT_NEAR(data.tables.attenuation.muAluminium[20], 26.4, 1e-4);
    EXPECT_NEAR(data.tables.attenuation.muenAir[20], 4.723, 1e-5);
    EXPECT_NEAR(data.tables.attenuation.muenSkin[300], 4.8 * std::pow(15.0, -2.9) + 0.025, 1e-8);

    EXPECT_DOUBLE_EQ(data.tables.atr.x0[7], 1.0);
    EXPECT_NEAR(data.tables.atr.x1[7], 1.0 - std::exp(-0.35), 1e-6);

    EXPECT_EQ(data.outputData.fileName, "default-output.op");
    EXPECT_EQ(data.outputData.kvGrid[1], 40.0);
    EXPECT_DOUBLE_EQ(data.outputData.filtrationAl[3], 0.3);
    EXPECT_DOUBLE_EQ(data.outputData.filtrationCu[3], 0.01);
    EXPECT_EQ(data.bodyParts, (std::vector<std::string>{"腹部正面", "胸部正面", "胸部側面", "頭部正面"}));
    EXPECT_EQ(data.userName, std::optional<std::string>("Test User"));
}

TEST(ReferenceLoader, OneValuePerLineReadsLike32PerLine)
{
    testing::TempFolder folder;
    testing::writeSyntheticReferenceSet(folder.path());
    std::vector<std::string> lines = readTextLines(folder / "dBSF-AirDose-Soft_Head.dat");
    std::vector<std::string> tall = {lines[0]};
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string value;
        for (char c : lines[i] + ",") {
            if (c == ',') {
                tall.push_back(value);
                value.clear();
            } else {
                value += c;
            }
        }
    }
    ASSERT_EQ(tall.size(), 1u + 300u * 32u);
    writeTextLines(folder / "dBSF-AirDose-Soft_Head.dat", tall);
    const ReferenceTables tables = loadReferenceTables(folder.path());
    for (int ring : {1, 150, 300})
        for (int column : {1, 16, 31})
            EXPECT_DOUBLE_EQ(tables.bsfAir.at(kPhantomHead, column, ring), syntheticBsfEntry(4, column, ring));
}

TEST(ReferenceLoader, NamesMatchWithoutRegardToCase)
{
    testing::TempFolder folder;
    testing::writeSyntheticReferenceSet(folder.path());
    std::filesystem::rename(folder / "Att_coeff2020.dat", folder / "Att_Coeff2020.dat");
    EXPECT_NO_THROW(loadReferenceTables(folder.path()));
}

TEST(ReferenceLoader, RefusesMissingShortShiftedAndMalformedFiles)
{
    testing::TempFolder folder;
    testing::writeSyntheticReferenceSet(folder.path());

    // A header line shifts every coefficient onto the wrong energy.
    std::vector<std::string> att = testing::syntheticAttenuationLines();
    att.insert(att.begin(), "  0.500E+00 shifted header");
    writeTextLines(folder / "Att_coeff2020.dat", att);
    std::string message = messageOf([&] { loadReferenceTables(folder.path()); });
    EXPECT_NE(message.find("Att_coeff2020.dat"), std::string::npos) << message;

    // A missing row shifts the rest up by half a keV.
    att = testing::syntheticAttenuationLines();
    att.erase(att.begin() + 99);
    writeTextLines(folder / "Att_coeff2020.dat", att);
    message = messageOf([&] { loadReferenceTables(folder.path()); });
    EXPECT_NE(message.find("row 100 is for 50.5 keV instead of 50 keV"), std::string::npos) << message;
    try {
        loadReferenceTables(folder.path());
    } catch (const DataFileError& e) {
        EXPECT_NE(e.japanese().find("100 行目が 50 keV ではなく 50.5 keV の値です"), std::string::npos) << e.japanese();
    }

    writeTextLines(folder / "Att_coeff2020.dat", testing::syntheticAttenuationLines());
    std::vector<std::string> bsf = readTextLines(folder / "dBSF-SkinDose-SoftPhantom.dat");
    bsf.pop_back();
    writeTextLines(folder / "dBSF-SkinDose-SoftPhantom.dat", bsf);
    message = messageOf([&] { loadStartupData(folder.path()); });
    EXPECT_NE(message.find("dBSF-SkinDose-SoftPhantom.dat"), std::string::npos) << message;
    EXPECT_NE(message.find("too few values"), std::string::npos) << message;

    testing::writeSyntheticReferenceSet(folder.path());
    std::vector<std::string> atrLines = readTextLines(folder / "dATR.dat");
    atrLines[10] = "5.0, 1.0, abc, 0.5";
    writeTextLines(folder / "dATR.dat", atrLines);
    message = messageOf([&] { loadStartupData(folder.path()); });
    EXPECT_NE(message.find("dATR.dat\", line 11"), std::string::npos) << message;
    EXPECT_NE(message.find("\"abc\" is not a number"), std::string::npos) << message;

    testing::writeSyntheticReferenceSet(folder.path());
    std::filesystem::remove(folder / "撮影部位.txt");
    message = messageOf([&] { loadStartupData(folder.path()); });
    EXPECT_NE(message.find("撮影部位.txt"), std::string::npos) << message;
}

TEST(ReferenceLoader, ExtraValuesMeanAnotherLayout)
{
    testing::TempFolder folder;
    testing::writeSyntheticReferenceSet(folder.path());
    std::vector<std::string> bsf = readTextLines(folder / "dBSF-SoftDose-Soft_Head.dat");
    bsf[1] += ",0.5"; // 33 values in the first record
    writeTextLines(folder / "dBSF-SoftDose-Soft_Head.dat", bsf);
    EXPECT_THROW(loadReferenceTables(folder.path()), DataFileError);
}

TEST(UserFiles, LineThirtyTwoIsTheUserName)
{
    testing::TempFolder folder;
    std::vector<std::string> lines(31, "10, 0.5");
    writeTextLines(folder / "Primary.dat", lines);
    EXPECT_FALSE(readUserName(folder / "Primary.dat")); // the guest
    lines.push_back("");
    writeTextLines(folder / "Primary.dat", lines);
    EXPECT_EQ(readUserName(folder / "Primary.dat"), std::optional<std::string>(""));
    lines.back() = "放射線科 技師";
    lines.push_back("ignored");
    writeTextLines(folder / "Primary.dat", lines);
    EXPECT_EQ(readUserName(folder / "Primary.dat"), std::optional<std::string>("放射線科 技師"));
    EXPECT_FALSE(readUserName(folder / "missing.dat"));
}

TEST(ReferenceLoader, AFolderNamedPrimaryDatMeansTheGuest)
{
    testing::TempFolder folder;
    testing::writeSyntheticReferenceSet(folder.path());
    std::filesystem::remove(folder / "Primary.dat");
    std::filesystem::create_directory(folder / "Primary.dat");
    EXPECT_FALSE(loadStartupData(folder.path()).userName);
}

TEST(ReferenceLoader, NegativeTableEntriesAreRefused)
{
    testing::TempFolder folder;
    testing::writeSyntheticReferenceSet(folder.path());
    std::vector<std::string> bsf = readTextLines(folder / "dBSF-SkinDose-SoftPhantom.dat");
    const std::size_t comma = bsf[5].find(',');
    bsf[5].insert(comma + 1, "-16.2,"); // one entry becomes negative, the next ones shift
    bsf[5].erase(bsf[5].rfind(','));
    writeTextLines(folder / "dBSF-SkinDose-SoftPhantom.dat", bsf);
    const std::string message = messageOf([&] { loadReferenceTables(folder.path()); });
    EXPECT_NE(message.find("dBSF-SkinDose-SoftPhantom.dat"), std::string::npos) << message;
    EXPECT_NE(message.find("-16.2"), std::string::npos) << message;
}

} // namespace
} // namespace velnor
