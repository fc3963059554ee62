#include "common/DataFileError.h"
#include "common/FileLookup.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "common/WorkingFolder.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
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

// Only regular files of a sane size are read: a FIFO would block for ever and
// a device such as /dev/zero never ends.
TEST(TextFile, OnlyRegularFilesOfASaneSizeAreRead)
{
    testing::TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "Primary.dat").c_str(), 0600), 0);
    EXPECT_THROW(readTextFile(folder / "Primary.dat"), DataFileError); // returns at once
    std::filesystem::create_symlink("/dev/zero", folder / "zero.dat");
    EXPECT_THROW(readTextFile(folder / "zero.dat"), DataFileError);
    EXPECT_THROW(readFileBytes("/dev/zero"), DataFileError);
    {
        std::ofstream big(folder / "big.dat", std::ios::binary);
        big.seekp(static_cast<std::streamoff>(kMaxFileBytes));
        big << 'x';
    }
    try {
        readTextFile(folder / "big.dat");
        FAIL() << "a file beyond the limit is read";
    } catch (const DataFileError& e) {
        EXPECT_NE(std::string(e.what()).find("big.dat"), std::string::npos);
    }
    writeTextLines(folder / "ok.dat", {"1 2"});
    std::filesystem::create_symlink(folder / "ok.dat", folder / "link.dat");
    EXPECT_EQ(readTextFile(folder / "link.dat"), "1 2\n"); // a link to a regular file is fine
}

// A write killed before its rename leaves a temporary; the next write of the
// same file removes it, but never one of a writer that still runs.
TEST(TextFile, StaleTemporariesOfAFileAreRemovedWhenItIsNextWritten)
{
    testing::TempFolder folder;
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ASSERT_GT(dead, 0);
    int status = 0;
    ::waitpid(dead, &status, 0); // its process id now belongs to nobody
    const std::filesystem::path stale = folder / (".out.txt." + std::to_string(dead) + ".AbC123");
    const std::filesystem::path live = folder / (".out.txt." + std::to_string(::getppid()) + ".XyZ789");
    const std::filesystem::path other = folder / (".other.txt." + std::to_string(dead) + ".AbC123");
    for (const auto& p : {stale, live, other})
        writeBytes(folder / "tmp", "partial"), std::filesystem::rename(folder / "tmp", p);
    writeTextLines(folder / "out.txt", {"new"});
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(other)); // another file's business
    EXPECT_EQ(readBytes(folder / "out.txt"), "new\r\n");
}

TEST(TextEncoding, ControlCharactersAreFoundInUtf8Text)
{
    EXPECT_FALSE(holdsControlCharacter("山田 太郎"));
    EXPECT_TRUE(holdsControlCharacter("山田\r\n太郎"));
    EXPECT_TRUE(holdsControlCharacter("a\tb"));
    EXPECT_TRUE(holdsControlCharacter(std::string("a\0b", 3)));
}

// Names a user types (results, ".op" files) or another program hands over
// (a body part) stay in their folder.
TEST(TextEncoding, BytesThatAreNotUtf8AreEscapedForMessages)
{
    EXPECT_EQ(escapedText("胸部.csv"), "胸部.csv");
    EXPECT_EQ(escapedText("a\xff\xfe.csv"), "a\\xFF\\xFE.csv");
    EXPECT_EQ(escapedText("\xe8\x83"), "\\xE8\\x83"); // a cut sequence
    EXPECT_TRUE(isValidUtf8(escapedText("\xc0\x80\xed\xa0\x80")));
}

// A working folder: the reference files follow the shipped ones by content
// (a damaged copy of the same size and time too); of "Primary.dat" the
// reference lines 1-31 follow, the user name of line 32 stays.
TEST(WorkingFolder, ReferenceDataFollowTheShippedFilesAndTheUserKeepsTheName)
{
    testing::TempFolder shipped, user;
    std::vector<std::string> primary;
    for (int i = 1; i <= 31; ++i)
        primary.push_back(std::to_string(i * 1.5));
    primary.push_back("ゲストユーザー");
    writeTextLines(shipped / "Primary.dat", primary);
    writeTextLines(shipped / "dATR.dat", {"1.0 2.0"});
    writeTextLines(shipped / "撮影部位.txt", {"胸部正面"});
    prepareWorkingFolder(shipped.path(), user.path());
    EXPECT_EQ(readTextLines(user / "Primary.dat"), primary);

    // The user names themselves (in Shift_JIS, as an old program wrote it),
    // damages a reference line and a table keeping size and time, edits the list.
    std::vector<std::string> mine = primary;
    mine[4] = "9.9";
    std::string bytes;
    for (std::size_t i = 0; i < 31; ++i)
        bytes += mine[i] + "\r\n";
    bytes += utf8ToCp932("山田") + "\r\n";
    writeBytes(user / "Primary.dat", bytes);
    const auto time = std::filesystem::last_write_time(user / "dATR.dat");
    writeTextLines(user / "dATR.dat", {"1.0 2.5"});
    std::filesystem::last_write_time(user / "dATR.dat", time);
    writeTextLines(user / "撮影部位.txt", {"胸部正面", "膝関節正面"});

    prepareWorkingFolder(shipped.path(), user.path());
    std::vector<std::string> expected = primary;
    expected[31] = "山田";
    EXPECT_EQ(readTextLines(user / "Primary.dat"), expected);
    EXPECT_NE(readBytes(user / "Primary.dat").find(utf8ToCp932("山田")), std::string::npos); // its own bytes
    EXPECT_EQ(readTextLines(user / "dATR.dat"), std::vector<std::string>{"1.0 2.0"});
    EXPECT_EQ(readTextLines(user / "撮影部位.txt").size(), 2u);

    // Without a name of their own the user gets the shipped one.
    writeTextLines(user / "Primary.dat", std::vector<std::string>(primary.begin(), primary.begin() + 31));
    prepareWorkingFolder(shipped.path(), user.path());
    EXPECT_EQ(readTextLines(user / "Primary.dat"), primary);
}

TEST(FileLookup, FileNamesStayInTheirFolder)
{
    EXPECT_FALSE(plainFileNameFault("exam-2026"));
    EXPECT_FALSE(plainFileNameFault("unit-a"));
    EXPECT_TRUE(plainFileNameFault(""));
    EXPECT_TRUE(plainFileNameFault("../exam"));
    EXPECT_TRUE(plainFileNameFault("../unit"));
    EXPECT_TRUE(plainFileNameFault("a/b"));
    EXPECT_TRUE(plainFileNameFault("a\\b"));
    EXPECT_TRUE(plainFileNameFault(".hidden"));
    EXPECT_TRUE(plainFileNameFault(".unit"));
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
