#pragma once

#include "common/Reasons.h"

#include <optional>

#include <filesystem>
#include <string>
#include <string_view>

namespace velnor {

// ASCII case folding, as file names are matched: the names that differ only
// in case are plain ASCII; Japanese names are compared byte for byte.
std::string foldCase(std::string_view s);

// The file `name` in `folder`, matched without regard to letter case, as files
// named on Windows ("ResultBSF.txt" and "resultBSF.txt" are one file). An exact
// match wins; otherwise the first match in name order; when no file matches,
// folder / name as given, so that a new file is created under that name.
std::filesystem::path findFileIgnoringCase(const std::filesystem::path& folder, std::string_view name);

// Why `name`, typed by a user or handed over by another program, cannot be a
// file name in a folder we chose, or empty: it must not be empty, hold a
// folder separator or start with "." (nothing outside the folder, nothing
// hidden).
std::optional<Reason> plainFileNameFault(std::string_view name);

// Deletes every file in `folder` whose name is `name` in any letter case (on
// Linux "ResultBSF.txt" and "resultBSF.txt" can both exist, where Windows saw
// one file), passing over a missing file or a failure. Returns whether a file
// was removed.
bool removeFileQuietly(const std::filesystem::path& folder, std::string_view name);

} // namespace velnor
