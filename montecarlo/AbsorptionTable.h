#pragma once

#include <array>
#include <filesystem>

namespace velnor::mc {

inline constexpr int kAbsorptionRows = 300;

// Mass energy-absorption coefficients by row, as the engine scores kerma:
// energy [keV] and muen/rho of air, soft tissue and skin, 32-bit.
struct AbsorptionTable {
    std::array<float, kAbsorptionRows> energyKev{}, muenAir{}, muenSoftTissue{}, muenSkin{};
};

// Reads the 300 fixed-column records of the coefficient table: energy
// (columns 1-10), air (56-70), soft tissue (71-85), skin (86-100); the
// columns between are not used. Throws DataFileError naming the file and
// line for a short file, a field that is not a number or energies that do
// not increase.
AbsorptionTable readAbsorptionTable(const std::filesystem::path& path);

} // namespace velnor::mc
