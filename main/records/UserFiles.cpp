#include "main/records/UserFiles.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"

namespace velnor {

std::vector<std::string> readBodyParts(const std::filesystem::path& path) { return readTextLines(path); }

std::optional<std::string> readUserName(const std::filesystem::path& path)
{
    std::vector<std::string> lines;
    try {
        lines = readTextLines(path);
    } catch (const std::exception&) {
        return std::nullopt; // unreadable for whatever reason: the guest
    }
    if (static_cast<int>(lines.size()) < kUserNameLine)
        return std::nullopt;
    return lines[kUserNameLine - 1];
}

} // namespace velnor
