#include "montecarlo/TissueData.h"

#include "common/DataFileError.h"
#include "montecarlo/FixedRecords.h"

#include <algorithm>

namespace velnor::mc {

TissueData readTissueData(const std::filesystem::path& path)
{
    FixedRecords records(path);
    TissueData t;
    const long long count = records.integer(1, 1, 3);
    if (count < 2 || count > kMaxAttenuationRows)
        records.fail(1, {ReasonCode::WholeNumberRange, "rowCount", static_cast<double>(count), 2, kMaxAttenuationRows});
    t.headerValue = records.real(2, 1, 9, 6);
    for (int k = 0; k < count; ++k) {
        const int line = 3 + k;
        const float energyMev = records.real(line, 1, 9, 3);
        t.energyKev.push_back(energyMev * 1000.0f);
        t.muCoherent.push_back(records.real(line, 10, 19, 3));
        t.muIncoherent.push_back(records.real(line, 20, 29, 3));
        t.muPhotoelectric.push_back(records.real(line, 30, 39, 3));
        if (k > 0 && !(t.energyKev[k] > t.energyKev[k - 1]))
            records.fail(line, {ReasonCode::NotIncreasing, "energies"});
        if (!(t.muCoherent[k] > 0 && t.muIncoherent[k] > 0 && t.muPhotoelectric[k] > 0))
            records.fail(line, {ReasonCode::NotPositive, "attenuationCoefficient",
                                std::min({t.muCoherent[k], t.muIncoherent[k], t.muPhotoelectric[k]})});
    }
    for (int k = 0; k < kScatteringRows; ++k) {
        const int line = 3 + static_cast<int>(count) + k;
        t.x[k] = records.real(line, 1, 10, 3);
        t.cumulativeCoherent[k] = records.real(line, 11, 22, 5);
        t.incoherentFunction[k] = records.real(line, 23, 34, 5);
        if (k > 0 && !(t.x[k] > t.x[k - 1]))
            records.fail(line, {ReasonCode::NotIncreasing, "momentumTransfers"});
        if (k > 0 && t.cumulativeCoherent[k] < t.cumulativeCoherent[k - 1])
            records.fail(line, {ReasonCode::Decreasing, "cumulativeCoherent"});
    }
    if (t.x.back() < 10.0f)
        records.fail(2 + static_cast<int>(count) + kScatteringRows, {ReasonCode::AtLeast, "lastMomentumTransfer", t.x.back(), 10, 0, "/Å"});
    if (!(t.cumulativeCoherentMax() > 0 && t.incoherentFunctionMax() > 0))
        records.fail(2 + static_cast<int>(count) + kScatteringRows, {ReasonCode::NotPositive, "scatteringFunction",
                     std::min(t.cumulativeCoherentMax(), t.incoherentFunctionMax())});
    return t;
}

} // namespace velnor::mc
