#include "common/WorkingFolder.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"

#include <cstdlib>
#include <string_view>
#include <vector>

namespace velnor {
namespace {

// The files a user changes: copied once, then theirs ("Primary.dat" in part).
bool isUserFile(const std::filesystem::path& name)
{
    const std::string n = name.string();
    return n == "Primary.dat" || n == "撮影部位.txt" || n == "診断参考レベル.txt" || n == "撮影装置.txt" || n == "DICOM撮影部位.txt" || n == "体厚範囲.txt" || n == "default-output.op" || n == "はじめにお読み下さい.txt";
}

// Copies `from` over `to` when `to` is missing or its content differs, whole,
// through a temporary file. The contents are compared, not sizes and times:
// a damaged copy of the same size and time is still replaced.
void refresh(const std::filesystem::path& from, const std::filesystem::path& to)
{
    const std::string shipped = readFileBytes(from);
    std::error_code ec;
    if (std::filesystem::is_regular_file(to, ec)) {
        try {
            if (readFileBytes(to) == shipped)
                return;
        } catch (const std::exception&) {
            // unreadable: replaced below
        }
    }
    writeBytes(to, shipped);
}

// "Primary.dat": lines 1 to 31 are reference data that the depth-dose
// program reads, line 32 is the user's name. The reference lines are
// refreshed from the shipped file like any table (a damaged line would give
// another effective dose); the name stays the user's.
constexpr std::size_t kPrimaryReferenceLines = 31;
void refreshPrimary(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code ec;
    if (!std::filesystem::exists(to, ec)) {
        writeBytes(to, readFileBytes(from));
        return;
    }
    // splitLines keeps each line's own bytes: a user name in Shift_JIS stays as it was.
    std::vector<std::string> lines = splitLines(readFileBytes(from));
    if (lines.size() < kPrimaryReferenceLines)
        return; // not a shipped file of this layout: the user's stays
    lines.resize(kPrimaryReferenceLines + 1);
    std::string current;
    try {
        current = readFileBytes(to);
    } catch (const std::exception&) {
    }
    const std::vector<std::string> user = splitLines(current);
    if (user.size() > kPrimaryReferenceLines && !user[kPrimaryReferenceLines].empty())
        lines[kPrimaryReferenceLines] = user[kPrimaryReferenceLines];
    if (lines[kPrimaryReferenceLines].empty()) // no name in either: the guest, no line 32
        lines.pop_back();
    std::string merged;
    for (const std::string& line : lines)
        merged += line + "\r\n";
    if (merged != current)
        writeBytes(to, merged);
}

void makeFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        throw DataFileError(folder.string(), Reason{ReasonCode::FolderCannotCreate, {}, 0, 0, 0, {}, {}, ec.message()});
}

// Refreshes the reference files under `to`; at the top level the files a
// user changes are copied only when missing.
void copyFolder(const std::filesystem::path& from, const std::filesystem::path& to, bool topLevel)
{
    makeFolder(to);
    std::error_code ec;
    std::filesystem::directory_iterator entries(from, ec);
    if (ec)
        throw DataFileError(from.string(), Reason{ReasonCode::FileCannotRead, {}, 0, 0, 0, {}, {}, ec.message()});
    for (const auto& entry : entries) {
        const std::filesystem::path name = entry.path().filename();
        const std::filesystem::path target = to / name;
        if (entry.is_directory()) {
            copyFolder(entry.path(), target, false);
        } else if (!entry.is_regular_file()) {
            continue;
        } else if (topLevel && name == "Primary.dat") {
            refreshPrimary(entry.path(), target);
        } else if (topLevel && isUserFile(name)) {
            if (!std::filesystem::exists(target, ec))
                writeBytes(target, readFileBytes(entry.path()));
        } else {
            refresh(entry.path(), target);
        }
    }
}

} // namespace

std::filesystem::path installedDataFolder()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    const std::filesystem::path shared = self.parent_path().parent_path() / "share" / "velnor";
    return std::filesystem::is_regular_file(shared / "Att_coeff2020.dat", ec) ? shared : std::filesystem::path();
}

std::filesystem::path userDataFolder()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/')
        return std::filesystem::path(xdg) / "velnor";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".local" / "share" / "velnor";
}

void prepareWorkingFolder(const std::filesystem::path& shipped, const std::filesystem::path& folder)
{
    copyFolder(shipped, folder, true);
}

std::optional<Reason> workingFolderFault(const std::filesystem::path& folder)
{
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec))
        return std::nullopt;
    if (std::filesystem::is_symlink(folder, ec)) {
        const std::filesystem::path target = std::filesystem::read_symlink(folder, ec);
        return Reason{ReasonCode::FolderDanglingLink, {}, 0, 0, 0, {}, target.string()};
    }
    return Reason{ReasonCode::FolderMissing};
}

std::filesystem::path defaultWorkingFolder()
{
    const std::filesystem::path shipped = installedDataFolder();
    if (shipped.empty())
        return std::filesystem::current_path();
    const std::filesystem::path folder = userDataFolder();
    std::error_code ec;
    if (std::filesystem::is_symlink(folder, ec) && !std::filesystem::exists(folder, ec))
        throw DataFileError(folder.string(), *workingFolderFault(folder));
    prepareWorkingFolder(shipped, folder);
    return folder;
}

} // namespace velnor
