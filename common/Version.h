#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velnor {

// The programs' version, as the package names it.
const char* programVersion();

// A fingerprint of the contents of reference files (FNV-1a over their names
// and bytes, 16 hex digits): two data sets with the same fingerprint hold
// the same values. A file that cannot be read counts by its name alone.
std::string contentFingerprint(const std::vector<std::filesystem::path>& files);

} // namespace velnor
