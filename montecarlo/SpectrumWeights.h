#pragma once

#include <array>
#include <filesystem>

namespace velnor::mc {

inline constexpr int kSpectrumBins = 300;

// The spectrum weights of bins 1..300 (0.5 keV each, index 0 unused),
// normalised by their 32-bit sum taken in file order.
using SpectrumWeights = std::array<float, kSpectrumBins + 1>;

// Reads "X_SPCTL.dat" by columns (8-15, 5 decimals) and normalises. Throws
// DataFileError naming the file and line when it is short or a field is not a
// number, and when the weights sum to zero.
SpectrumWeights readSpectrumWeights(const std::filesystem::path& path);

// Normalises raw weights the same way.
SpectrumWeights normaliseWeights(const SpectrumWeights& raw);
// The same for a spectrum held in double precision, each bin first rounded
// to the engine's 32 bits.
SpectrumWeights normaliseWeights(const std::array<double, kSpectrumBins + 1>& spectrum);

} // namespace velnor::mc
