#include "montecarlo/AbsorptionTable.h"

#include "montecarlo/FixedRecords.h"

#include <algorithm>

namespace velnor::mc {

AbsorptionTable readAbsorptionTable(const std::filesystem::path& path)
{
    FixedRecords records(path);
    AbsorptionTable t;
    for (int k = 0; k < kAbsorptionRows; ++k) {
        const int line = k + 1;
        t.energyKev[k] = records.real(line, 1, 10, 3);
        t.muenAir[k] = records.real(line, 56, 70, 6);
        t.muenSoftTissue[k] = records.real(line, 71, 85, 6);
        t.muenSkin[k] = records.real(line, 86, 100, 6);
        if (k > 0 && !(t.energyKev[k] > t.energyKev[k - 1]))
            records.fail(line, {ReasonCode::NotIncreasing, "energies"});
        if (!(t.muenAir[k] > 0 && t.muenSoftTissue[k] > 0 && t.muenSkin[k] > 0))
            records.fail(line, {ReasonCode::NotPositive, "absorptionCoefficient", std::min({t.muenAir[k], t.muenSoftTissue[k], t.muenSkin[k]})});
    }
    return t;
}

} // namespace velnor::mc
