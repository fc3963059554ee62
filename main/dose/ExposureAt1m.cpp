#include "main/dose/ExposureAt1m.h"

#include "common/DisplayFormat.h"
#include "main/records/CalculationError.h"

#include <cmath>

namespace velnor {

double exposurePerMasAt1m(const OutputDataTable& table, Rectification rectification, double kv)
{
    int r = 2;
    while (r <= kOutputRows && !(kv <= table.kvGrid[r]))
        ++r;
    if (r > kOutputRows)
        throw CalculationError(Reason{ReasonCode::OutputAboveLastVoltage, {}, kv, 0, table.kvGrid[kOutputRows]});
    const auto& column = table.exposurePerMas[static_cast<std::size_t>(codeOf(rectification))];
    const double v0 = table.kvGrid[r - 1];
    const double v1 = table.kvGrid[r];
    const double perMas = column[r - 1] + (kv - v0) / (v1 - v0) * (column[r] - column[r - 1]);
    if (!(perMas > 0) || !std::isfinite(perMas))
        throw CalculationError(Reason{ReasonCode::OutputNoExposure, {}, kv, table.kvGrid[1]});
    return perMas;
}

double computeExposureAt1m(const OutputDataTable& table, Rectification rectification, double kv, double kermaRatio,
                           double tubeCurrentMa, double exposureTimeS)
{
    return exposurePerMasAt1m(table, rectification, kv) * kermaRatio * tubeCurrentMa * exposureTimeS;
}

} // namespace velnor
