#pragma once

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

} // namespace velnor
