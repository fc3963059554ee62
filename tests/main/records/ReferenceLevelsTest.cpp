// The table of diagnostic reference levels: the shipped levels, its one check,
// its files and the comparison of a case with its level.
#include "main/records/ReferenceLevels.h"

#include "common/DataFileError.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor {
namespace {

const std::filesystem::path kData = VELNOR_DATA_DIR;

DoseResults doses(double soft, double skin, double air)
{
    DoseResults d;
    d.esdSoftTissue = soft;
    d.esdSkin = skin;
    d.esdAir = air;
    return d;
}

// The line a faulty table is refused at, and the English reason.
std::pair<int, std::string> refusal(const std::vector<std::string>& lines)
{
    try {
        parseReferenceLevels(lines);
    } catch (const DataFileError& e) {
        return {e.lineNumber(), e.what()};
    }
    return {0, "accepted"};
}

std::vector<std::string> withLevels(std::vector<std::string> levels, const std::string& dose = "空気カーマ")
{
    std::vector<std::string> lines = {"版,テスト版", "線量," + dose, "区分,DRL(mGy),撮影部位,管電圧下限(kV),管電圧上限(kV)"};
    lines.insert(lines.end(), levels.begin(), levels.end());
    return lines;
}

TEST(ReferenceLevels, ShippedTableHoldsTheNationalLevelsOfTheShippedBodyParts)
{
    const ReferenceLevelTable table = readReferenceLevels(kData / kReferenceLevelsFile);
    EXPECT_EQ(table.edition, "Japan DRLs 2020");
    EXPECT_EQ(table.dose, DrlDose::Air);
    const std::pair<const char*, double> expected[] = {
        {"頭部正面", 2.5}, {"頸椎正面", 0.8}, {"胸椎正面", 3.0}, {"胸椎側面", 5.0}, {"腹部正面", 2.5},
        {"腰椎正面", 3.5}, {"腰椎側面", 9.0}, {"骨盤正面", 2.5},
    };
    for (const auto& [part, mgy] : expected) {
        const ReferenceLevel* level = findReferenceLevel(table, part, 80);
        ASSERT_NE(level, nullptr) << part;
        EXPECT_DOUBLE_EQ(level->valueMgy, mgy) << part;
    }
    // The chest level splits at 100 kV: 99.9 kV is below it, 100 kV is not.
    EXPECT_DOUBLE_EQ(findReferenceLevel(table, "胸部正面", 99.9)->valueMgy, 0.4);
    EXPECT_DOUBLE_EQ(findReferenceLevel(table, "胸部正面", 100)->valueMgy, 0.3);
    EXPECT_DOUBLE_EQ(findReferenceLevel(table, "胸部正面", 140)->valueMgy, 0.3);
    // Body parts of the shipped list without a national level get none.
    for (const std::string& part : readTextLines(kData / "撮影部位.txt")) {
        if (part.find("側面") != std::string::npos && part != "胸椎側面" && part != "腰椎側面") {
            EXPECT_EQ(findReferenceLevel(table, part, 80), nullptr) << part;
        }
    }
    EXPECT_EQ(findReferenceLevel(table, "股関節正面", 70), nullptr);
    // The paediatric levels wait for a body part of that name.
    EXPECT_DOUBLE_EQ(findReferenceLevel(table, "小児胸部正面", 80)->valueMgy, 0.2);
}

TEST(ReferenceLevels, ComparisonUsesTheNamedDoseAndSaysWhyItIsMissing)
{
    ReferenceLevels levels;
    levels.table = parseReferenceLevels(withLevels({"腹部正面,2.5,腹部正面/腹部側面,,"}));
    DrlComparison c = compareWithReferenceLevel(levels, "腹部側面", 80, doses(0.9, 0.8, 0.75));
    ASSERT_EQ(c.kind, DrlComparison::Kind::Compared);
    EXPECT_EQ(c.name, "腹部正面");
    EXPECT_DOUBLE_EQ(c.doseMgy, 0.75);
    EXPECT_DOUBLE_EQ(c.ratio, 0.3);
    EXPECT_FALSE(c.above());
    EXPECT_TRUE(compareWithReferenceLevel(levels, "腹部正面", 80, doses(3, 3, 2.6)).above());
    EXPECT_EQ(compareWithReferenceLevel(levels, "頭部正面", 80, doses(1, 1, 1)).kind, DrlComparison::Kind::NoLevel);

    levels.table = parseReferenceLevels(withLevels({"腹部正面,2.5,腹部正面,,"}, "軟部組織"));
    EXPECT_DOUBLE_EQ(compareWithReferenceLevel(levels, "腹部正面", 80, doses(0.9, 0.8, 0.75)).doseMgy, 0.9);

    testing::TempFolder folder;
    writeTextLines(folder / kReferenceLevelsFile, withLevels({"腹部正面,-2.5,腹部正面,,"}));
    const ReferenceLevels faulty = loadReferenceLevels(folder.path());
    EXPECT_FALSE(faulty.table);
    c = compareWithReferenceLevel(faulty, "腹部正面", 80, doses(1, 1, 1));
    EXPECT_EQ(c.kind, DrlComparison::Kind::Unavailable);
    EXPECT_NE(c.why.english.find("line 4"), std::string::npos) << c.why.english;
    EXPECT_NE(c.why.japanese.find("4 行目"), std::string::npos) << c.why.japanese;
    EXPECT_FALSE(loadReferenceLevels(folder / "nowhere").table);
}

TEST(ReferenceLevels, FaultyTablesAreRefusedAtTheirLine)
{
    EXPECT_EQ(refusal(withLevels({"a,0,腹部正面,,"})).first, 4);
    EXPECT_EQ(refusal(withLevels({"a,1,腹部正面,,", "b,nan,頭部正面,,"})).first, 5);
    EXPECT_EQ(refusal(withLevels({"a,1e999,腹部正面,,"})).first, 4);
    EXPECT_EQ(refusal(withLevels({"a,abc,腹部正面,,"})).first, 4);
    EXPECT_EQ(refusal(withLevels({"a,1,,,"})).first, 4);             // no body part
    EXPECT_EQ(refusal(withLevels({"a,1,胸部//腹部,,"})).first, 4);   // an empty one
    EXPECT_EQ(refusal(withLevels({",1,腹部正面,,"})).first, 4);      // no name
    EXPECT_EQ(refusal(withLevels({"a,1,腹部正面,100,80"})).first, 4); // lower bound above the upper
    EXPECT_EQ(refusal(withLevels({"a,1,腹部正面,0,"})).first, 4);
    EXPECT_EQ(refusal(withLevels({"a,1,腹部正面,,,x"})).first, 4);
    EXPECT_EQ(refusal(withLevels({"a,1,\"腹部正面,,"})).first, 4);
    EXPECT_EQ(refusal(withLevels({"a,1,腹部\t正面,,"})).first, 4);
    EXPECT_EQ(refusal(withLevels({}, "実効線量")).first, 2);
    EXPECT_EQ(refusal({"線量,空気カーマ"}).first, 1);
    EXPECT_EQ(refusal({"版,", "線量,空気カーマ", "区分"}).first, 1);
    EXPECT_EQ(refusal({"版,x", "線量,空気カーマ"}).first, 0); // no header line
    // Ranges of one body part must not overlap; other body parts may.
    const auto overlap = refusal(withLevels({"a,1,胸部正面,,100", "b,1,頭部正面/胸部正面,90,"}));
    EXPECT_EQ(overlap.first, 5);
    EXPECT_NE(overlap.second.find("line 4"), std::string::npos) << overlap.second;
    EXPECT_EQ(refusal(withLevels({"a,1,胸部正面,,100", "b,1,胸部正面,100,", "c,1,頭部正面,,"})).second, "accepted");
    // Spreadsheets pad rows with empty cells, quote cells and leave empty lines.
    EXPECT_EQ(refusal(withLevels({"\"a\",\"1\",\"胸部正面\",\"\",\"\",,", ",,,,", ""})).second, "accepted");
}

TEST(ReferenceLevels, WrittenTableReadsBackAndARefusalWritesNothing)
{
    testing::TempFolder folder;
    const std::filesystem::path file = folder / kReferenceLevelsFile;
    ReferenceLevelTable table = readReferenceLevels(kData / kReferenceLevelsFile);
    table.levels[0].valueMgy = 1.75;
    table.levels[0].bodyParts = {"頭部正面", "頭部側面"};
    table.levels[0].name = "頭部, \"正面\"";
    writeReferenceLevels(file, table);
    const ReferenceLevelTable back = readReferenceLevels(file);
    EXPECT_EQ(back.levels[0].name, table.levels[0].name);
    EXPECT_EQ(back.levels[0].bodyParts, table.levels[0].bodyParts);
    EXPECT_DOUBLE_EQ(back.levels[0].valueMgy, 1.75);
    EXPECT_EQ(referenceLevelLines(back), referenceLevelLines(table));

    const std::string before = readFileBytes(file);
    for (auto spoil : {+[](ReferenceLevelTable& t) { t.levels[1].valueMgy = -1; },
                       +[](ReferenceLevelTable& t) { t.levels[1].bodyParts = {"a/b"}; },
                       +[](ReferenceLevelTable& t) { t.levels[1].bodyParts = {"胸部正面"}; }, // overlaps both chest levels
                       +[](ReferenceLevelTable& t) { t.edition = "a\nb"; }}) {
        ReferenceLevelTable spoilt = table;
        spoil(spoilt);
        EXPECT_THROW(writeReferenceLevels(file, spoilt), DataFileError);
        EXPECT_EQ(readFileBytes(file), before);
    }

    // Shift_JIS, LF, from a Japanese spreadsheet.
    writeBytes(file, utf8ToCp932("版,院内版\n線量,皮膚\n区分,DRL(mGy),撮影部位\n胸部正面,0.25,胸部正面\n"));
    const ReferenceLevelTable sjis = readReferenceLevels(file);
    EXPECT_EQ(sjis.edition, "院内版");
    EXPECT_EQ(sjis.dose, DrlDose::Skin);
    EXPECT_DOUBLE_EQ(findReferenceLevel(sjis, "胸部正面", 120)->valueMgy, 0.25);
}

} // namespace
} // namespace velnor
