#include "main/dose/ConversionFactors.h"

#include "common/DisplayFormat.h"
#include "main/records/CalculationError.h"

#include <cmath>

namespace velnor {

ConversionFactors computeConversionFactors(const BinArray& k, double tubeVoltageKv, const AttenuationTable& a,
                                           double airWOverE)
{
    if (!(tubeVoltageKv >= 1.0 && tubeVoltageKv <= 150.0))
        throw CalculationError("conversion factors: tube voltage " + formatAsIs(tubeVoltageKv)
                               + " kV lies outside the coefficient table (1 to 150 kV)",
                               "変換係数：管電圧 " + formatAsIs(tubeVoltageKv) + " kV は係数表の範囲 (1 〜 150 kV) の外です");
    double soft = 0, skin = 0, air = 0, kerma = 0;
    const int top = static_cast<int>(std::floor(2 * tubeVoltageKv));
    for (int j = 5; j <= top; ++j) {
        const auto i = static_cast<std::size_t>(j);
        soft += k[i] * a.muenSoftTissue[i];
        skin += k[i] * a.muenSkin[i];
        air += k[i] * a.muenAir[i];
        kerma += k[i];
    }
    if (!(air > 0))
        throw CalculationError("conversion factors: the spectrum has no air kerma at 2.5 keV and above",
                               "変換係数：2.5 keV 以上の空気カーマがありません");
    return {airWOverE * soft / air, airWOverE * skin / air, airWOverE * kerma};
}

} // namespace velnor
