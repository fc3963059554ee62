#include "montecarlo/SpectrumWeights.h"

#include "montecarlo/FixedRecords.h"

#include <cmath>

namespace velnor::mc {

SpectrumWeights normaliseWeights(const SpectrumWeights& raw)
{
    float sum = 0;
    for (int k = 1; k <= kSpectrumBins; ++k)
        sum += raw[static_cast<std::size_t>(k)];
    SpectrumWeights w{};
    for (int k = 1; k <= kSpectrumBins; ++k)
        w[static_cast<std::size_t>(k)] = raw[static_cast<std::size_t>(k)] / sum;
    return w;
}

SpectrumWeights normaliseWeights(const std::array<double, kSpectrumBins + 1>& spectrum)
{
    SpectrumWeights raw{};
    for (int k = 1; k <= kSpectrumBins; ++k)
        raw[static_cast<std::size_t>(k)] = static_cast<float>(spectrum[static_cast<std::size_t>(k)]);
    return normaliseWeights(raw);
}

SpectrumWeights readSpectrumWeights(const std::filesystem::path& path)
{
    FixedRecords records(path);
    SpectrumWeights raw{};
    float sum = 0;
    for (int k = 1; k <= kSpectrumBins; ++k) {
        records.real(k, 1, 6, 1); // the energy: read, not used
        raw[static_cast<std::size_t>(k)] = records.real(k, 8, 15, 5);
        if (raw[static_cast<std::size_t>(k)] < 0)
            records.fail(k, {ReasonCode::NotNegative, "relativePhotonNumber", raw[static_cast<std::size_t>(k)]});
        sum += raw[static_cast<std::size_t>(k)];
    }
    if (!(sum > 0) || !std::isfinite(sum))
        records.fail(kSpectrumBins, {ReasonCode::WeightsSum});
    return normaliseWeights(raw);
}

} // namespace velnor::mc
