#pragma once

#include "main/records/EnergyGrid.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velnor {


// The 300 lines of the spectrum file: "0000.5, 0.00000" ... energy with
// "0000.0", ", ", relative photon number with "0.00000".
std::vector<std::string> spectrumFileLines(const BinArray& photonSpectrum);

// Writes the spectrum file into `folder` (replacing it whole).
void writeSpectrumFile(const std::filesystem::path& folder, const BinArray& photonSpectrum);

} // namespace velnor
