#include "main/spectrum/SpectrumFile.h"

#include "common/DisplayFormat.h"
#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "common/TextFile.h"

namespace velnor {

std::vector<std::string> spectrumFileLines(const BinArray& photonSpectrum)
{
    std::vector<std::string> lines;
    lines.reserve(kBinCount);
    for (int j = 1; j <= kBinCount; ++j)
        lines.push_back(formatNumber(binEnergyKev(j), "0000.0") + ", "
                        + formatNumber(photonSpectrum[static_cast<std::size_t>(j)], "0.00000"));
    return lines;
}

void writeSpectrumFile(const std::filesystem::path& folder, const BinArray& photonSpectrum)
{
    writeTextLines(findFileIgnoringCase(folder, files::kSpectrum), spectrumFileLines(photonSpectrum));
}

} // namespace velnor
