#include "common/WorkingFolder.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"

#include <cstdlib>
#include <string_view>

namespace velnor {
namespace {

// The files a user changes: copied once, then theirs.
bool isUserFile(const std::filesystem::path& name)
{
    const std::string n = name.string();
    return n == "Primary.dat" || n == "撮影部位.txt" || n == "default-output.op" || n == "はじめにお読み下さい.txt";
}

// Copies `from` over `to` when `to` is missing or differs, whole, through a
// temporary file. The copy takes the shipped file's time, so an unchanged
// copy (same size and time) is recognised without reading either file.
void refresh(const std::filesystem::path& from, const std::filesystem::path& to)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_time_type shippedTime = fs::last_write_time(from, ec);
    if (!ec && fs::is_regular_file(to, ec) && fs::file_size(to, ec) == fs::file_size(from, ec) && !ec
        && fs::last_write_time(to, ec) == shippedTime && !ec)
        return;
    writeBytes(to, readFileBytes(from));
    fs::last_write_time(to, shippedTime, ec);
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

std::filesystem::path defaultWorkingFolder()
{
    const std::filesystem::path shipped = installedDataFolder();
    if (shipped.empty())
        return std::filesystem::current_path();
    const std::filesystem::path folder = userDataFolder();
    prepareWorkingFolder(shipped, folder);
    return folder;
}

} // namespace velnor
