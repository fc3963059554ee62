#include "common/FileLookup.h"

#include <algorithm>
#include <string>
#include <vector>

namespace velnor {

std::string foldCase(std::string_view s)
{
    std::string folded(s);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return folded;
}

std::filesystem::path findFileIgnoringCase(const std::filesystem::path& folder, std::string_view name)
{
    const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : folder;
    const std::filesystem::path exact = dir / std::string(name);
    std::error_code ec;
    if (std::filesystem::exists(exact, ec))
        return exact;

    const std::string wanted = foldCase(name);
    std::vector<std::string> matches;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (foldCase(candidate) == wanted)
            matches.push_back(candidate);
    }
    if (matches.empty())
        return exact;
    std::sort(matches.begin(), matches.end());
    return dir / matches.front();
}

std::optional<Reason> plainFileNameFault(std::string_view name)
{
    if (name.empty())
        return Reason{ReasonCode::FileNameEmpty};
    if (name.find_first_of("/\\") != std::string_view::npos)
        return Reason{ReasonCode::FileNameSeparator};
    if (name[0] == '.')
        return Reason{ReasonCode::FileNameDot};
    return std::nullopt;
}

bool removeFileQuietly(const std::filesystem::path& folder, std::string_view name)
{
    const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : folder;
    const std::string wanted = foldCase(name);
    std::vector<std::filesystem::path> matches;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (foldCase(it->path().filename().string()) == wanted)
            matches.push_back(it->path());
    bool removed = false;
    for (const std::filesystem::path& p : matches) {
        std::error_code ignored;
        removed = std::filesystem::remove(p, ignored) || removed;
    }
    return removed;
}

} // namespace velnor
