#include "common/DataFileError.h"
#include "common/FileLookup.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace velnor {
namespace {

std::string readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(TextFile, WritesUtf8WithCrLfAndOptionalByteOrderMark)
{
    testing::TempFolder folder;
    writeTextLines(folder / "a.txt", {"腹部正面", "", "x"});
    EXPECT_EQ(readBytes(folder / "a.txt"), "腹部正面\r\n\r\nx\r\n");
    writeTextLines(folder / "b.csv", {"1,2"}, {.byteOrderMark = true});
    EXPECT_EQ(readBytes(folder / "b.csv"), "\xEF\xBB\xBF" "1,2\r\n");
}

TEST(TextFile, ShiftJisAndUtf8FilesReadTheSame)
{
    testing::TempFolder folder;
    const std::string utf8 = "撮影部位\r\n胸部正面\r\nｹﾞｽﾄ\r\n";
    writeBytes(folder / "utf8.txt", utf8);
    writeBytes(folder / "sjis.txt", utf8ToCp932(utf8));
    writeBytes(folder / "bom-lf.txt", "\xEF\xBB\xBF撮影部位\n胸部正面\nｹﾞｽﾄ");
    const std::vector<std::string> expected = {"撮影部位", "胸部正面", "ｹﾞｽﾄ"};
    EXPECT_EQ(readTextLines(folder / "utf8.txt"), expected);
    EXPECT_EQ(readTextLines(folder / "sjis.txt"), expected);
    EXPECT_EQ(readTextLines(folder / "bom-lf.txt"), expected);
}

TEST(TextFile, UndecodableBytesNameTheFile)
{
    testing::TempFolder folder;
    writeBytes(folder / "broken.txt", "ok\x81");
    try {
        readTextFile(folder / "broken.txt");
        FAIL();
    } catch (const DataFileError& e) {
        EXPECT_NE(std::string(e.what()).find("broken.txt"), std::string::npos);
    }
    EXPECT_THROW(readTextFile(folder / "missing.txt"), DataFileError);
}

TEST(TextFile, LineSplittingKeepsEmptyLinesButNoPhantomLastLine)
{
    EXPECT_EQ(splitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(splitLines("").empty());
}

TEST(TextFile, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    testing::TempFolder folder;
    writeTextLines(folder / "keep.txt", {"old"});
    EXPECT_THROW(writeTextLines(folder / "no-such-folder" / "keep.txt", {"new"}), DataFileError);
    // A folder in the way cannot be replaced by a file.
    std::filesystem::create_directory(folder / "dir");
    EXPECT_THROW(writeTextLines(folder / "dir", {"new"}), DataFileError);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir"));
    EXPECT_EQ(readBytes(folder / "keep.txt"), "old\r\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 2); // keep.txt and dir, no temporary left behind
}

TEST(TextFile, TemporaryFileIsNewAndNeverFollowsAPlantedLink)
{
    testing::TempFolder folder;
    writeTextLines(folder / "victim.txt", {"precious"});
    // Links planted at names a writer might have guessed.
    for (int i = 0; i < 64; ++i)
        std::filesystem::create_symlink(folder / "victim.txt",
                                        folder / (".out.txt.tmp" + std::to_string(::getpid()) + "-" + std::to_string(i)));
    writeTextLines(folder / "out.txt", {"new"});
    EXPECT_EQ(readBytes(folder / "out.txt"), "new\r\n");
    EXPECT_EQ(readBytes(folder / "victim.txt"), "precious\r\n");
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "out.txt"));
    const auto permissions = std::filesystem::status(folder / "out.txt").permissions();
    EXPECT_NE(permissions & std::filesystem::perms::owner_write, std::filesystem::perms::none);
}

TEST(TextFile, FoldersAndDamagedMarkedTextAreRefused)
{
    testing::TempFolder folder;
    std::filesystem::create_directory(folder / "Primary.dat");
    EXPECT_THROW(readTextFile(folder / "Primary.dat"), DataFileError);
    std::ofstream(folder / "marked.txt", std::ios::binary) << "\xEF\xBB\xBF" << "ok\xFF\xFE";
    EXPECT_THROW(readTextFile(folder / "marked.txt"), DataFileError);
}

// Names a user types (results, ".op" files) or another program hands over
// (a body part) stay in their folder.
TEST(FileLookup, FileNamesStayInTheirFolder)
{
    EXPECT_EQ(plainFileNameFault("exam-2026"), "");
    EXPECT_EQ(plainFileNameFault("unit-a"), "");
    EXPECT_NE(plainFileNameFault(""), "");
    EXPECT_NE(plainFileNameFault("../exam"), "");
    EXPECT_NE(plainFileNameFault("../unit"), "");
    EXPECT_NE(plainFileNameFault("a/b"), "");
    EXPECT_NE(plainFileNameFault("a\\b"), "");
    EXPECT_NE(plainFileNameFault(".hidden"), "");
    EXPECT_NE(plainFileNameFault(".unit"), "");
}

TEST(FileLookup, NamesMatchWithoutRegardToCase)
{
    testing::TempFolder folder;
    writeTextLines(folder / "ResultBSF.txt", {"1.2345"});
    EXPECT_EQ(findFileIgnoringCase(folder.path(), "resultBSF.txt"), folder / "ResultBSF.txt");
    EXPECT_EQ(findFileIgnoringCase(folder.path(), "RESULTBSF.TXT"), folder / "ResultBSF.txt");
    EXPECT_EQ(findFileIgnoringCase(folder.path(), "new.txt"), folder / "new.txt");

    EXPECT_TRUE(removeFileQuietly(folder.path(), "resultbsf.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "ResultBSF.txt"));
    EXPECT_FALSE(removeFileQuietly(folder.path(), "resultbsf.txt")); // missing: passed over
    EXPECT_FALSE(removeFileQuietly(folder / "no-such-folder", "x"));

    // On Linux both spellings can exist; a stale result must not survive in either.
    writeTextLines(folder / "ResultBSF.txt", {"1"});
    writeTextLines(folder / "resultBSF.txt", {"2"});
    EXPECT_TRUE(removeFileQuietly(folder.path(), "resultBSF.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "ResultBSF.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "resultBSF.txt"));
}

} // namespace
} // namespace velnor
