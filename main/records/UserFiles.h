#pragma once

#include "common/Reasons.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velnor {

inline constexpr const char* kGuestUserName = "ゲストユーザー";
inline constexpr int kUserNameLine = 32; // of "Primary.dat"; lines 1..31 are reference data

// Every line of the body-part list, in file order. Throws DataFileError when
// the file cannot be read.
std::vector<std::string> readBodyParts(const std::filesystem::path& path);

// Line 32 of the user file, or nothing when the file is missing or shorter
// (the user is then the guest).
std::optional<std::string> readUserName(const std::filesystem::path& path);

// Why `name` cannot be the user name, if it cannot: it is one line of the
// user file, so it holds no line break or other control character.
std::optional<Reason> userNameFault(const std::string& name);

// Rewrites the user file with `name` as line 32. Lines 1 to 31 are reference
// data of the depth-dose program and are kept byte for byte (their encoding
// and line ends too); the name is written in the file's encoding. The file is
// replaced whole. Throws RefusedValue with userNameFault's reason,
// or DataFileError when the file has fewer than 31 lines (it is then left
// untouched) or cannot be written.
void writeUserName(const std::filesystem::path& path, const std::string& name);

inline constexpr int kMaxBodyParts = 30;

// Why `name` cannot join the body-part list, if it cannot: the list is full, or
// the name is empty or holds a folder separator, a comma or a control
// character (it becomes a file name of the depth-dose program, a line of the
// list and a field of the results file).
std::optional<Reason> bodyPartFault(const std::vector<std::string>& parts, const std::string& name);

// Appends `name` to the body-part list (a name already there is added
// again). Throws RefusedValue with bodyPartFault's reason, or
// DataFileError when the file cannot be read or written.
void addBodyPart(const std::filesystem::path& path, const std::string& name);

// Removes every line equal to `name`. Throws DataFileError when the file
// cannot be read or written.
void removeBodyPart(const std::filesystem::path& path, const std::string& name);

} // namespace velnor
