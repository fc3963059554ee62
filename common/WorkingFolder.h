#pragma once

#include "common/Reasons.h"

#include <filesystem>
#include <optional>

// The working folder of the installed programs. Installed, the programs live
// in <prefix>/bin and the shipped data in <prefix>/share/velnor; a user works
// in a folder of their own, where the files a user changes are copied once
// and the reference tables are refreshed at every start.
namespace velnor {

// <prefix>/share/velnor beside the running program's <prefix>/bin, or empty
// when the program runs from a build tree.
std::filesystem::path installedDataFolder();

// The user's folder: $XDG_DATA_HOME/velnor, else $HOME/.local/share/velnor.
std::filesystem::path userDataFolder();

// Makes `folder` a working folder from the shipped data: the user's files
// (the body-part list "撮影部位.txt", "default-output.op", the read-me) are
// copied only when missing; "Primary.dat" gets the shipped reference lines
// 1 to 31 and keeps the user name of line 32; every other file and the
// folders of kernels and organ data are refreshed when their contents
// differ. Each file is written whole. Throws DataFileError.
void prepareWorkingFolder(const std::filesystem::path& shipped, const std::filesystem::path& folder);

// Why `folder` cannot be a working folder (a link to nothing is named as
// such), or nothing.
std::optional<Reason> workingFolderFault(const std::filesystem::path& folder);

// The folder a program works in when none is given: installed, the user's
// folder, prepared; otherwise the current folder.
std::filesystem::path defaultWorkingFolder();

} // namespace velnor
