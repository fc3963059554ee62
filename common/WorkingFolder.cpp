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

// Copies `from` over `to` when `to` is missing or differs; whole, through a
// temporary file.
void refresh(const std::filesystem::path& from, const std::filesystem::path& to)
{
    const std::string bytes = readFileBytes(from);
    std::error_code ec;
    if (std::filesystem::is_regular_file(to, ec) && std::filesystem::file_size(to, ec) == bytes.size() && !ec
        && readFileBytes(to) == bytes)
        return;
    writeBytes(to, bytes);
}

void copyFolder(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code ec;
    std::filesystem::create_directories(to, ec);
    if (ec)
        throw DataFileError(to.string(), "cannot be created: " + ec.message());
    for (const auto& entry : std::filesystem::directory_iterator(from)) {
        const std::filesystem::path name = entry.path().filename();
        if (entry.is_directory())
            copyFolder(entry.path(), to / name);
        else if (entry.is_regular_file())
            refresh(entry.path(), to / name);
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
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        throw DataFileError(folder.string(), "cannot be created: " + ec.message());
    for (const auto& entry : std::filesystem::directory_iterator(shipped)) {
        const std::filesystem::path name = entry.path().filename();
        const std::filesystem::path target = folder / name;
        if (entry.is_directory()) {
            copyFolder(entry.path(), target);
        } else if (!entry.is_regular_file()) {
            continue;
        } else if (isUserFile(name)) {
            if (!std::filesystem::exists(target, ec))
                writeBytes(target, readFileBytes(entry.path()));
        } else {
            refresh(entry.path(), target);
        }
    }
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
