// The results file: written for spreadsheets, read back whole and checked
// before anything of it is used.
#include "main/results/ResultsFile.h"

#include "common/DataFileError.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

namespace velnor {
namespace {

ResultRow row(SurfaceCode surface, double kv)
{
    ResultRow r;
    ExposureConditions& c = r.conditions;
    c.bodyPart = "胸部正面";
    c.surfaceCode = surface;
    c.cylinderRadiusCm = surface == SurfaceCode::Cylinder ? 15 : 0;
    c.ellipseHorizontalCm = surface == SurfaceCode::EllipticCylinder ? 30 : 0;
    c.ellipseVerticalCm = surface == SurfaceCode::EllipticCylinder ? 20 : 0;
    if (surface == SurfaceCode::Racetrack) {
        c.racetrackACm = 20;
        c.racetrackBCm = 40;
        c.racetrackLengthCm = 80;
    }
    c.rectification = Rectification::ThreePhase12Peak;
    c.tubeVoltageKv = kv;
    c.tubeCurrentMa = 250;
    c.exposureTimeS = 0.032;
    c.inherentFiltrationCm = 0.25;
    c.addedAlCm = 0.15;
    c.addedCuCm = 0.01;
    c.otherFilterName = "Mo.ele";
    c.otherFilterCm = 0.003;
    c.exposureAt1m = 1.234e-5;
    c.fieldPresetName = "四切サイズ 縦";
    c.fieldLongCm = 30.5;
    c.fieldShortCm = 25.4;
    r.beamQuality.hvl1Cm = 0.2876;
    r.beamQuality.effectiveEnergyKev = 33.4;
    r.dose = {35.12, 32.5, 33.97, 1.352, 1.349, 1.361, 1.234, 1.14, 1.19, {}, {}, {}, {}};
    return r;
}

ResultsTable tableOf(const std::vector<ResultRow>& rows)
{
    ResultsTable t;
    for (const ResultRow& r : rows)
        t.addRow(r.conditions, r.beamQuality, r.dose);
    return t;
}

TEST(ResultsFile, SaveAndReadRestoreEveryRow)
{
    testing::TempFolder folder;
    ResultsTable table = tableOf({row(SurfaceCode::FlatBody, 75), row(SurfaceCode::FlatHead, 70), row(SurfaceCode::Cylinder, 80),
                                  row(SurfaceCode::EllipticCylinder, 90), row(SurfaceCode::Racetrack, 100)});
    table.setEffectiveDoseOfLastRow(0.042);
    writeResultsFile(folder / "exam.csv", "2026-12-06 胸部", table, 33.97);

    const ResultsFileContent read = readResultsFile(folder / "exam.csv");
    EXPECT_EQ(read.comment, "2026-12-06 胸部");
    ASSERT_EQ(read.rows.size(), 5u);
    EXPECT_DOUBLE_EQ(read.cfAir, 33.97);
    for (int k = 1; k <= 5; ++k) {
        const ExposureConditions& want = table.row(k).conditions;
        const ExposureConditions& got = read.rows[static_cast<std::size_t>(k - 1)].conditions;
        EXPECT_EQ(got.surfaceCode, want.surfaceCode) << k;
        EXPECT_EQ(got.bodyPart, want.bodyPart);
        EXPECT_EQ(got.rectification, want.rectification);
        EXPECT_DOUBLE_EQ(got.tubeVoltageKv, want.tubeVoltageKv);
        EXPECT_DOUBLE_EQ(got.exposureTimeS, 0.032);
        // Filtrations travel in mm and come back in cm.
        EXPECT_DOUBLE_EQ(got.inherentFiltrationCm, 0.25);
        EXPECT_DOUBLE_EQ(got.addedAlCm, 0.15);
        EXPECT_DOUBLE_EQ(got.addedCuCm, 0.01);
        EXPECT_DOUBLE_EQ(got.otherFilterCm, 0.003);
        EXPECT_EQ(got.otherFilterName, "Mo.ele");
        EXPECT_DOUBLE_EQ(got.cylinderRadiusCm, want.cylinderRadiusCm);
        EXPECT_DOUBLE_EQ(got.ellipseVerticalCm, want.ellipseVerticalCm);
        EXPECT_DOUBLE_EQ(got.racetrackLengthCm, want.racetrackLengthCm);
        EXPECT_EQ(got.fieldPresetName, "四切サイズ 縦");
        EXPECT_EQ(got.fieldShortCm, std::optional<double>(25.4));
        EXPECT_NEAR(got.exposureAt1m, 1.23e-5, 1e-18); // "0.00E+00": three digits
        const ResultRow& r = read.rows[static_cast<std::size_t>(k - 1)];
        EXPECT_NEAR(r.beamQuality.hvl1Cm, 0.2876, 1e-12); // "#0.000" in mm keeps it
        EXPECT_FALSE(r.beamQuality.hvl2Cm);
        EXPECT_FALSE(r.beamQuality.qualityIndex);
        EXPECT_DOUBLE_EQ(r.dose.bsfSkin, 1.349);
        EXPECT_DOUBLE_EQ(r.dose.esdAir, 1.19);
        EXPECT_TRUE(r.fromFile);
    }
    EXPECT_EQ(read.rows[1].conditions.headPhantom, 1);
    EXPECT_EQ(read.rows[2].conditions.incidenceMode, IncidenceMode::NonPlanar);
    EXPECT_EQ(read.rows[4].effectiveDoseMsv, std::optional<double>(0.042));
    EXPECT_FALSE(read.rows[0].effectiveDoseMsv);

    // 60 kV, 1 mA, 4 ms: about 3e-5 mGy, kept with three digits, not "0.00".
    ResultRow tiny = row(SurfaceCode::FlatBody, 60);
    tiny.dose.esdSoftTissue = 3.17e-5;
    tiny.dose.esdSkin = 2.9e-5;
    tiny.dose.esdAir = 2.3456e-5;
    ResultsTable small = tableOf({tiny});
    small.setEffectiveDoseOfLastRow(4.2e-6);
    writeResultsFile(folder / "small.csv", "c", small, 33.97);
    const ResultRow back = readResultsFile(folder / "small.csv").rows[0];
    EXPECT_DOUBLE_EQ(back.dose.esdSoftTissue, 3.17e-5);
    EXPECT_DOUBLE_EQ(back.dose.esdAir, 2.35e-5);
    EXPECT_DOUBLE_EQ(*back.effectiveDoseMsv, 4.2e-6);
}

TEST(ResultsFile, TwoRowsWithAndWithoutAnEffectiveDose)
{
    testing::TempFolder folder;
    ResultsTable table = tableOf({row(SurfaceCode::FlatBody, 75)});
    table.setEffectiveDoseOfLastRow(0.123);
    const ResultRow second = row(SurfaceCode::FlatBody, 80);
    table.addRow(second.conditions, second.beamQuality, second.dose);
    writeResultsFile(folder / "two.csv", "two rows", table, 33.97);

    std::ifstream in(folder / "two.csv", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF"); // spreadsheets see UTF-8
    const std::vector<std::string> lines = readTextLines(folder / "two.csv");
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines[1], "2");
    EXPECT_EQ(lines[2], "照射部位,胸部正面,胸部正面");
    EXPECT_EQ(lines[4], "円柱半径,―,―"); // a flat surface has no radius
    EXPECT_EQ(lines[13], "管電流 (mA),250,250");
    EXPECT_EQ(lines[17], "ｱﾙﾐ付加 (mm),1.5,1.5");
    EXPECT_EQ(lines[36], "吸収線量変換係数(Air) (Gy/C/kg),33.97,33.97");
    EXPECT_EQ(lines[40], "実効線量概算値 (mSv),0.123,―");
    EXPECT_NE(bytes.find("\r\n"), std::string::npos);
    EXPECT_EQ(readResultsFile(folder / "two.csv").rows[0].conditions.cylinderRadiusCm, 0);
}

TEST(ResultsFile, ShiftJisFilesFromWindowsRead)
{
    testing::TempFolder folder;
    const ResultsTable table = tableOf({row(SurfaceCode::FlatBody, 75)});
    std::string text;
    for (const std::string& line : resultsFileLines("昔のファイル", table, 33.97))
        text += line + "\r\n";
    std::ofstream(folder / "old.csv", std::ios::binary) << utf8ToCp932(text);
    const ResultsFileContent read = readResultsFile(folder / "old.csv");
    EXPECT_EQ(read.comment, "昔のファイル");
    EXPECT_EQ(read.rows[0].conditions.bodyPart, "胸部正面");
    EXPECT_EQ(readResultsFileComment(folder / "old.csv"), "昔のファイル");
}

TEST(ResultsFile, DamagedFilesAreRefusedByLine)
{
    testing::TempFolder folder;
    const ResultsTable table = tableOf({row(SurfaceCode::FlatBody, 75), row(SurfaceCode::Cylinder, 80)});
    const std::vector<std::string> good = resultsFileLines("c", table, 33.97);
    auto refused = [&](std::vector<std::string> lines, int line, const std::string& what) {
        writeTextLines(folder / "bad.csv", lines);
        try {
            readResultsFile(folder / "bad.csv");
            ADD_FAILURE() << what << " was accepted";
        } catch (const DataFileError& e) {
            EXPECT_EQ(e.lineNumber(), line) << what << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find("bad.csv"), std::string::npos);
        }
    };
    std::vector<std::string> lines = good;
    lines[1] = "16";
    refused(lines, 2, "sixteen rows");
    lines[1] = "0";
    refused(lines, 2, "no rows");
    lines = good;
    lines.resize(30);
    refused(lines, 30, "a file cut short");
    lines = good;
    lines[14] = "時間 (sec),0.032"; // one value for two rows
    refused(lines, 15, "a missing value");
    lines = good;
    lines[12] = "管電圧 (kV),75,eighty";
    refused(lines, 13, "a word for a number");
    for (const char* count : {"1e99", "-1e99", "2147483648", "1.5", "nan"}) {
        lines = good;
        lines[1] = count;
        refused(lines, 2, count);
    }
}

// Values that no calculation gives are refused with their line and column,
// before the table is replaced; each of these was once read as a case.
TEST(ResultsFile, ValuesNoCalculationGivesAreRefusedByLineAndColumn)
{
    testing::TempFolder folder;
    const ResultsTable table = tableOf({row(SurfaceCode::FlatBody, 75), row(SurfaceCode::Cylinder, 80)});
    const std::vector<std::string> good = resultsFileLines("c", table, 33.97);
    const struct {
        int line; // 1-based
        const char* text;
        const char* reason;
    } cases[] = {
        {38, "入射表面線量 (Soft) (mGy),1.23,-5", "entrance surface dose"},
        {39, "入射表面線量 (skin) (mGy),1.14,1e400", "beyond the range"},
        {13, "管電圧 (kV),75,-75", "tube voltage -75"},
        {11, "整流方式,三相12,六相", "not a waveform"},
        {4, "入射面,平面,曲面", "not a surface"},
        {24, "体厚 (cm),20,0", "body thickness 0"},
        {32, "後方散乱係数 Soft,1.352,0.5", "backscatter factor"},
        {41, "実効線量概算値 (mSv),―,-0.1", "effective dose"},
        {40, "入射表面線量 (air) (mGy),1.19,1.7e308", "at most 100000 mGy"},
        {41, "実効線量概算値 (mSv),―,2e5", "at most 100000 mSv"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines = good;
        lines[static_cast<std::size_t>(c.line - 1)] = c.text;
        writeTextLines(folder / "bad.csv", lines);
        try {
            readResultsFile(folder / "bad.csv");
            ADD_FAILURE() << c.text << " was accepted";
        } catch (const DataFileError& e) {
            EXPECT_EQ(e.lineNumber(), c.line) << e.what();
            EXPECT_NE(std::string(e.what()).find("column 3 (row 2)"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
            // The windows show the same fault in Japanese, with its line and column.
            EXPECT_NE(e.japanese().find("3 列目（2 件目）"), std::string::npos) << e.japanese();
            EXPECT_EQ(e.japanese().find("column"), std::string::npos) << e.japanese();
        }
    }
    writeTextLines(folder / "good.csv", good);
    EXPECT_EQ(readResultsFile(folder / "good.csv").rows.size(), 2u);
}

// The writer reads its own lines back through the reader before writing: the
// table-wide air conversion factor belongs to no row, and a failed
// calculation once left it at 0, saved as "00.00" into a file that then
// could not be read.
TEST(ResultsFile, WhatCannotBeReadBackIsNotWritten)
{
    testing::TempFolder folder;
    const ResultsTable table = tableOf({row(SurfaceCode::FlatBody, 75)});
    for (double cfAir : {0.0, -1.0, std::nan("")}) {
        try {
            writeResultsFile(folder / "zero.csv", "c", table, cfAir);
            ADD_FAILURE() << cfAir << " was written";
        } catch (const RefusedValue& e) {
            EXPECT_NE(std::string(e.what()).find("as written"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("column 2"), std::string::npos) << e.what();
        }
        EXPECT_FALSE(std::filesystem::exists(folder / "zero.csv"));
    }
}

TEST(ResultsFile, CommasInTextsDoNotShiftTheColumns)
{
    testing::TempFolder folder;
    ResultRow r = row(SurfaceCode::FlatBody, 75);
    r.conditions.bodyPart = "胸部,正面";
    writeResultsFile(folder / "comma.csv", "c", tableOf({r}), 33.97);
    const ResultsFileContent read = readResultsFile(folder / "comma.csv");
    EXPECT_EQ(read.rows[0].conditions.bodyPart, "胸部，正面");
    EXPECT_DOUBLE_EQ(read.rows[0].conditions.tubeVoltageKv, 75);
}

} // namespace
} // namespace velnor
