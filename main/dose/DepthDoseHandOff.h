#pragma once

#include "main/records/EnergyGrid.h"
#include "main/records/ExposureConditions.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velnor {

// "Velnor2PDD.dat", the case handed to the depth-dose program: tube voltage,
// FFD, FSD, body thickness, the two field sizes at the receptor (the short
// one 0 for a circular field), the soft-tissue entrance surface dose (mGy,
// "##0.000"), the 300 values of the photon spectrum ("0.000E+00") and the
// body part: 308 lines.
std::vector<std::string> depthDoseHandOffLines(const ExposureConditions& conditions, double esdSoftTissueMgy,
                                               const BinArray& photonSpectrum);

// Writes it whole into `folder`. Throws DataFileError when it cannot.
void writeDepthDoseHandOff(const std::filesystem::path& folder, const ExposureConditions& conditions, double esdSoftTissueMgy,
                           const BinArray& photonSpectrum);

} // namespace velnor
