// The files a user keeps: the user name in "Primary.dat" beside the
// reference lines, and the body-part list. They are never lost or damaged.
#include "main/records/OutputDataTable.h"
#include "main/records/UserFiles.h"

#include "common/DataFileError.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velnor {
namespace {

std::string bytesOf(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// 31 reference lines as another program may have left them: LF line ends.
std::string referenceLines()
{
    std::string s;
    for (int k = 1; k <= 29; ++k)
        s += std::to_string(5 + 5 * k) + " , " + std::to_string(0.001 * k) + "\n";
    return s + "extra line 30\n" + "  extra line 31  \n";
}

TEST(UserName, RegistrationKeepsTheReferenceLinesByteForByte)
{
    testing::TempFolder folder;
    const std::filesystem::path primary = folder / "Primary.dat";
    std::ofstream(primary, std::ios::binary) << referenceLines();
    writeUserName(primary, "放射線科 技師");
    const std::string written = bytesOf(primary);
    EXPECT_EQ(written, referenceLines() + "放射線科 技師\r\n");
    EXPECT_EQ(readUserName(primary), std::optional<std::string>("放射線科 技師"));
    // Changing the name twice leaves one name line.
    writeUserName(primary, "A");
    writeUserName(primary, "B");
    EXPECT_EQ(bytesOf(primary), referenceLines() + "B\r\n");
    EXPECT_EQ(readTextLines(primary).size(), 32u);
}

TEST(UserName, ShortFilesAreRefusedAndLeftUntouched)
{
    testing::TempFolder folder;
    const std::filesystem::path primary = folder / "Primary.dat";
    const std::string shortFile = "10 , 0.5\n15 , 0.6\n";
    std::ofstream(primary, std::ios::binary) << shortFile;
    EXPECT_THROW(writeUserName(primary, "技師"), DataFileError);
    EXPECT_EQ(bytesOf(primary), shortFile);
    EXPECT_THROW(writeUserName(folder / "missing.dat", "技師"), DataFileError);
    EXPECT_FALSE(std::filesystem::exists(folder / "missing.dat"));
}

TEST(UserName, AShiftJisFileGetsAShiftJisName)
{
    testing::TempFolder folder;
    const std::filesystem::path primary = folder / "Primary.dat";
    const std::string reference = utf8ToCp932(referenceLines() + "旧ユーザー\r\n");
    std::ofstream(primary, std::ios::binary) << reference;
    writeUserName(primary, "新ユーザー");
    EXPECT_EQ(readUserName(primary), std::optional<std::string>("新ユーザー"));
    EXPECT_EQ(bytesOf(primary).substr(0, utf8ToCp932(referenceLines()).size()), utf8ToCp932(referenceLines()));
}

// The name is one line of the file: a line break would cut it (it once read
// back as "山田" alone) or push reference data out of place.
TEST(UserName, ANameIsOneLine)
{
    testing::TempFolder folder;
    const std::filesystem::path primary = folder / "Primary.dat";
    std::ofstream(primary, std::ios::binary) << referenceLines();
    for (const char* bad : {"山田\r\n太郎", "山田\t太郎", "a\nb"})
        EXPECT_THROW(writeUserName(primary, bad), std::invalid_argument) << bad;
    EXPECT_EQ(bytesOf(primary), referenceLines());
}

// Lines 1 to 31 happen to be plain ASCII, but a later line shows the file is
// Shift_JIS: the name must be written in Shift_JIS, as the reader decides.
TEST(UserName, TheWholeFileDecidesItsEncoding)
{
    testing::TempFolder folder;
    const std::filesystem::path primary = folder / "Primary.dat";
    const std::string reference = referenceLines() + utf8ToCp932("ﾊｺ 旧ユーザー") + "\r\n";
    std::ofstream(primary, std::ios::binary) << reference;
    writeUserName(primary, "新ユーザー");
    EXPECT_EQ(bytesOf(primary), referenceLines() + utf8ToCp932("新ユーザー") + "\r\n");
    EXPECT_EQ(readUserName(primary), std::optional<std::string>("新ユーザー"));
}

TEST(BodyParts, AddRemoveAndRefusals)
{
    testing::TempFolder folder;
    const std::filesystem::path list = folder / "撮影部位.txt";
    writeTextLines(list, {"腹部正面", "胸部正面", "腹部正面", "頭部正面"});
    removeBodyPart(list, "腹部正面"); // every copy goes
    EXPECT_EQ(readBodyParts(list), (std::vector<std::string>{"胸部正面", "頭部正面"}));
    addBodyPart(list, "胸部正面"); // a name already there is added again
    EXPECT_EQ(readBodyParts(list).size(), 3u);
    for (const std::string& bad : {std::string("腰椎/側面"), std::string("腰椎,側面"), std::string(".hidden"), std::string(),
                                   std::string("p\nq"), std::string("p\tq")})
        EXPECT_THROW(addBodyPart(list, bad), std::invalid_argument) << bad;
    std::vector<std::string> thirty(30, "部位");
    writeTextLines(list, thirty);
    EXPECT_THROW(addBodyPart(list, "三十一番目"), std::invalid_argument);
    EXPECT_EQ(readBodyParts(list).size(), 30u);
}

// A disk that fills up during the write: the old file stays whole.
TEST(BodyParts, AWriteThatFailsLeavesTheOldFile)
{
    testing::TempFolder folder;
    const std::filesystem::path list = folder / "撮影部位.txt";
    writeTextLines(list, {"腹部正面", "胸部正面"});
    const std::string before = bytesOf(list);
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny{16, 16}; // no file may grow beyond 16 bytes
        ::setrlimit(RLIMIT_FSIZE, &tiny);
        try {
            addBodyPart(list, std::string(200, 'x'));
        } catch (const DataFileError&) {
            ::_exit(3); // refused, as it should be
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(bytesOf(list), before);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 1); // no temporary file left
}

TEST(OutputFileNames, ReservedNames)
{
    EXPECT_TRUE(isReservedOutputName("default-output"));
    EXPECT_TRUE(isReservedOutputName("DEFAULT-OUTPUT"));
    EXPECT_TRUE(isReservedOutputName("Default-Output")); // it would replace the shipped file
    EXPECT_FALSE(isReservedOutputName("default-output2"));
}

} // namespace
} // namespace velnor
