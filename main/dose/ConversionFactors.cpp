#include "main/dose/ConversionFactors.h"

#include "common/DisplayFormat.h"
#include "main/records/CalculationError.h"

#include <cmath>

namespace velnor {

ConversionFactors computeConversionFactors(const BinArray& k, double tubeVoltageKv, const AttenuationTable& a,
                                           double airWOverE)
{
    if (!(tubeVoltageKv >= 1.0 && tubeVoltageKv <= 150.0))
        throw CalculationError(Reason{ReasonCode::CfVoltageOutside, {}, tubeVoltageKv, 1, 150});
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
        throw CalculationError(Reason{ReasonCode::CfNoAirKerma});
    return {airWOverE * soft / air, airWOverE * skin / air, airWOverE * kerma};
}

} // namespace velnor
