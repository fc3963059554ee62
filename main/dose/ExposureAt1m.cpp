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
        throw CalculationError("tube voltage " + formatAsIs(kv) + " kV is above the last voltage of the tube output table ("
                               + formatAsIs(table.kvGrid[kOutputRows]) + " kV)",
                               "管電圧 " + formatAsIs(kv) + " kV が出力データの最後の電圧 (" + formatAsIs(table.kvGrid[kOutputRows])
                                   + " kV) を超えています");
    const auto& column = table.exposurePerMas[static_cast<std::size_t>(codeOf(rectification))];
    const double v0 = table.kvGrid[r - 1];
    const double v1 = table.kvGrid[r];
    const double perMas = column[r - 1] + (kv - v0) / (v1 - v0) * (column[r] - column[r - 1]);
    if (!(perMas > 0) || !std::isfinite(perMas))
        throw CalculationError("the tube output table gives no positive exposure at " + formatAsIs(kv)
                               + " kV (extrapolated below its first voltage, " + formatAsIs(table.kvGrid[1]) + " kV)",
                               "出力データから " + formatAsIs(kv) + " kV の照射線量が得られません（最初の電圧 "
                                   + formatAsIs(table.kvGrid[1]) + " kV より下です）");
    return perMas;
}

double computeExposureAt1m(const OutputDataTable& table, Rectification rectification, double kv, double kermaRatio,
                           double tubeCurrentMa, double exposureTimeS)
{
    return exposurePerMasAt1m(table, rectification, kv) * kermaRatio * tubeCurrentMa * exposureTimeS;
}

} // namespace velnor
