#pragma once

#include <array>
#include <filesystem>
#include <vector>

namespace velnor::mc {

inline constexpr int kMaxAttenuationRows = 37;
inline constexpr int kScatteringRows = 45;

// Interaction data of ICRU soft tissue, read by fixed columns. Reals are
// 32-bit, as the engine computes in single precision.
struct TissueData {
    float headerValue = 0; // read and not used
    // Attenuation rows, increasing energy: keV, and coherent, incoherent and
    // photoelectric coefficients per cm.
    std::vector<float> energyKev, muCoherent, muIncoherent, muPhotoelectric;
    // Scattering-function rows: momentum transfer x = sin(theta/2)/lambda
    // [1/angstrom], cumulative coherent distribution C(x), incoherent
    // scattering function S(x).
    std::array<float, kScatteringRows> x{}, cumulativeCoherent{}, incoherentFunction{};

    float cumulativeCoherentMax() const { return cumulativeCoherent.back(); }
    float incoherentFunctionMax() const { return incoherentFunction.back(); }
};

// Reads "ICRUSoft.dat": line 1 the row count N (columns 1-3, at most 37);
// line 2 the header value (1-9); N attenuation rows (energy in MeV 1-9, three
// coefficients 10-19, 20-29, 30-39); 45 scattering-function rows (x 1-10,
// C 11-22, S 23-34). Throws DataFileError naming the file and line for a
// missing file, a short file, a field that is not a number, or rows out of
// order (energies and x must increase, C must not decrease, x must reach 10).
TissueData readTissueData(const std::filesystem::path& path);

} // namespace velnor::mc
