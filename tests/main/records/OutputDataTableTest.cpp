#include "main/records/OutputDataTable.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

namespace velnor {
namespace {

OutputDataTable sampleTable()
{
    OutputDataTable t;
    t.comment = "装置A 2026-12-01 測定, 80 kV 基準";
    for (int row = 1; row <= kOutputRows; ++row) {
        t.kvGrid[row] = 30.0 + 10.0 * row;
        for (int code = 1; code <= 3; ++code)
            t.exposurePerMas[code][row] = 1.234e-7 * row * (4 - code);
    }
    t.kvGrid[5] = 72.5;
    t.filtrationAl = {0, 0.25, 0.25, 0.3};
    t.filtrationCu = {0, 0.0, 0.01, 0.0};
    return t;
}

TEST(OutputDataTable, RoundTripKeepsMillimetresInTheFileAndCentimetresInMemory)
{
    testing::TempFolder folder;
    const OutputDataTable original = sampleTable();
    saveOutputDataTable(original, folder / "unit-a.op");

    const std::vector<std::string> lines = readTextLines(folder / "unit-a.op");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], original.comment); // verbatim, commas included
    EXPECT_EQ(lines[1], "40. 50. 60. 70. 72.5 90. 100. 110. 120. 130. 140. 150. ");
    // 2.5 mm typed is held as 0.25 cm and written back as "2.50".
    EXPECT_EQ(lines[2].substr(lines[2].size() - 10), " 2.50 0.00");
    EXPECT_EQ(lines[3].substr(0, 9), "2.47E-07 ");
    EXPECT_EQ(lines[3].substr(lines[3].size() - 10), " 2.50 0.10");

    const OutputDataTable read = loadOutputDataTable(folder / "unit-a.op");
    EXPECT_EQ(read.comment, original.comment);
    EXPECT_EQ(read.fileName, "unit-a.op");
    EXPECT_EQ(outputDataDisplayName(read), "unit-a");
    for (int row = 1; row <= kOutputRows; ++row) {
        EXPECT_DOUBLE_EQ(read.kvGrid[row], original.kvGrid[row]);
        for (int code = 1; code <= 3; ++code) // three significant digits survive the file
            EXPECT_NEAR(read.exposurePerMas[code][row], original.exposurePerMas[code][row],
                        0.005 * original.exposurePerMas[code][row]);
    }
    for (int code = 1; code <= 3; ++code) {
        EXPECT_DOUBLE_EQ(read.filtrationAl[code], original.filtrationAl[code]);
        EXPECT_DOUBLE_EQ(read.filtrationCu[code], original.filtrationCu[code]);
    }
}

TEST(OutputDataTable, LineBreaksAfterTheCommentCarryNoMeaning)
{
    testing::TempFolder folder;
    std::vector<std::string> lines = {"one value per line"};
    for (int i = 1; i <= 12; ++i)
        lines.push_back(std::to_string(30 + 10 * i));
    for (int i = 0; i < 42; ++i)
        lines.push_back(i % 14 == 12 ? "2.5" : "1E-6");
    writeTextLines(folder / "tall.op", lines);
    const OutputDataTable t = loadOutputDataTable(folder / "tall.op");
    EXPECT_EQ(t.kvGrid[12], 150.0);
    EXPECT_DOUBLE_EQ(t.filtrationAl[1], 0.25);
}

TEST(OutputDataTable, ShortOrDisorderedFilesAreRefusedWithTheirName)
{
    testing::TempFolder folder;
    writeTextLines(folder / "short.op", {"comment", "40 50 60"});
    try {
        loadOutputDataTable(folder / "short.op");
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_NE(std::string(e.what()).find("short.op"), std::string::npos);
    }
    OutputDataTable t = sampleTable();
    t.kvGrid[3] = 45.0;
    EXPECT_THROW(saveOutputDataTable(t, folder / "disorder.op"), std::invalid_argument); // the writer refuses it too
    EXPECT_FALSE(std::filesystem::exists(folder / "disorder.op"));
    saveOutputDataTable(sampleTable(), folder / "disorder.op");
    std::vector<std::string> lines = readTextLines(folder / "disorder.op");
    lines[1] = "40 50 45 70 80 90 100 110 120 130 140 150";
    writeTextLines(folder / "disorder.op", lines);
    try {
        loadOutputDataTable(folder / "disorder.op");
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_EQ(e.lineNumber(), 2) << e.what();
    }
    EXPECT_THROW(loadOutputDataTable(folder / "missing.op"), DataFileError);
}

} // namespace
} // namespace velnor

namespace velnor {
namespace {

// A table a user edited by hand: negative or absurd values would give
// negative or absurd doses, so the file is refused where the value stands.
TEST(OutputDataTable, NegativeAndAbsurdValuesAreRefusedByLine)
{
    testing::TempFolder folder;
    const std::filesystem::path path = folder / "unit.op";
    saveOutputDataTable(sampleTable(), path);
    const std::vector<std::string> good = readTextLines(path);
    auto refuses = [&](int line, const std::string& from, const std::string& to, const std::string& reason) {
        std::vector<std::string> lines = good;
        const std::size_t at = lines[static_cast<std::size_t>(line - 1)].find(from);
        ASSERT_NE(at, std::string::npos) << from;
        lines[static_cast<std::size_t>(line - 1)].replace(at, from.size(), to);
        writeTextLines(path, lines);
        try {
            loadOutputDataTable(path);
            ADD_FAILURE() << "accepted " << to;
        } catch (const DataFileError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("unit.op"), std::string::npos) << e.what();
        }
    };
    refuses(3, "3.70E-07", "-3.70E-07", "exposure per mAs");
    refuses(3, "3.70E-07", "3.70E+02", "exposure per mAs");
    refuses(2, "40.", "-40.", "tube voltage");
    refuses(4, "2.50", "-2.50", "aluminium filtration");
}

// The writer writes only what its reader accepts, and voltages that read
// back as they were (40.01 and 40.04 once both became "40.").
TEST(OutputDataTable, TheWriterWritesOnlyWhatItsReaderTakes)
{
    testing::TempFolder folder;
    OutputDataTable t = sampleTable();
    t.kvGrid[1] = 40.01;
    t.kvGrid[2] = 40.04;
    saveOutputDataTable(t, folder / "fine.op");
    const OutputDataTable back = loadOutputDataTable(folder / "fine.op");
    EXPECT_EQ(back.kvGrid[1], 40.01);
    EXPECT_EQ(back.kvGrid[2], 40.04);
    EXPECT_EQ(back.kvGrid[5], t.kvGrid[5]);
    const struct {
        void (*change)(OutputDataTable&);
        const char* named;
    } refused[] = {
        {[](OutputDataTable& x) { x.exposurePerMas[2][3] = -1.2e-5; }, "exposure per mAs, three-phase 12-peak, row 3"},
        {[](OutputDataTable& x) { x.exposurePerMas[1][1] = 1.2; }, "exposure per mAs"},
        {[](OutputDataTable& x) { x.filtrationCu[3] = -0.01; }, "copper filtration"},
        {[](OutputDataTable& x) { x.comment = "two\nlines"; }, "comment"},
    };
    for (const auto& r : refused) {
        OutputDataTable bad = sampleTable();
        r.change(bad);
        try {
            saveOutputDataTable(bad, folder / "bad.op");
            ADD_FAILURE() << r.named << " was written";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(r.named), std::string::npos) << e.what();
            EXPECT_FALSE(std::filesystem::exists(folder / "bad.op"));
        }
    }
}

} // namespace
} // namespace velnor
