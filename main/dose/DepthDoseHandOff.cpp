#include "main/dose/DepthDoseHandOff.h"

#include "common/DisplayFormat.h"
#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "common/TextFile.h"

namespace velnor {

std::vector<std::string> depthDoseHandOffLines(const ExposureConditions& c, double esdSoftTissueMgy, const BinArray& spectrum)
{
    const double shortAxis = c.fieldShape == FieldShape::Circular ? 0.0 : c.fieldShortCm.value_or(0.0);
    std::vector<std::string> lines = {
        formatAsIs(c.tubeVoltageKv),
        formatAsIs(c.focusReceptorDistanceCm),
        formatAsIs(c.focusSurfaceDistanceCm),
        formatAsIs(c.bodyThicknessCm),
        formatAsIs(c.fieldLongCm.value_or(0.0)),
        formatAsIs(shortAxis),
        formatKeepingDigits(esdSoftTissueMgy, "##0.000"), // a small dose keeps its digits
    };
    for (int e = 1; e <= kBinCount; ++e)
        lines.push_back(formatNumber(spectrum[static_cast<std::size_t>(e)], "0.000E+00"));
    lines.push_back(c.bodyPart);
    return lines;
}

void writeDepthDoseHandOff(const std::filesystem::path& folder, const ExposureConditions& c, double esdSoftTissueMgy,
                           const BinArray& photonSpectrum)
{
    writeTextLines(findFileIgnoringCase(folder, files::kDepthDoseHandOff), depthDoseHandOffLines(c, esdSoftTissueMgy, photonSpectrum));
}

} // namespace velnor
