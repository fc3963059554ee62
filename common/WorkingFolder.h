#pragma once

#include <filesystem>

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
// ("Primary.dat" with the user name, the body-part list "撮影部位.txt",
// "default-output.op", the read-me) are copied only when missing; every
// other file and the folders of kernels and organ data are refreshed when
// they differ. Each file is written whole. Throws DataFileError.
void prepareWorkingFolder(const std::filesystem::path& shipped, const std::filesystem::path& folder);

// The folder a program works in when none is given: installed, the user's
// folder, prepared; otherwise the current folder.
std::filesystem::path defaultWorkingFolder();

} // namespace velnor
