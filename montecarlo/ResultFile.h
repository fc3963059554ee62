#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace velnor::mc {


// The three lines of the result file: the factors by air, soft-tissue and skin
// dose, each in 7 columns with 4 decimals.
std::vector<std::string> resultFileLines(float air, float softTissue, float skin);

// Replaces the result file in `folder` whole (whatever the letter case of an
// existing one).
void writeResultFile(const std::filesystem::path& folder, float air, float softTissue, float skin);

// The standard deviations of the three factors, in the same layout, in a side
// file beside the result file (the result file itself stays three lines).
void writeResultSdFile(const std::filesystem::path& folder, double air, double softTissue, double skin);

} // namespace velnor::mc
