#pragma once

#include "main/records/ExposureConditions.h"
#include "main/records/OutputDataTable.h"

namespace velnor {

// Exposure per mAs at 1 m [C/kg per mAs] from the tube output table at the
// tube voltage, for the rectification's column: from row 2 up, the first row
// whose voltage is not below kV, and linear interpolation from the row before
// (below the first voltage this extrapolates from rows 1 and 2). Throws
// CalculationError above the last voltage, for a code other than 1..3, and
// when the result is not positive (an extrapolation below the table).
double exposurePerMasAt1m(const OutputDataTable& table, Rectification rectification, double tubeVoltageKv);

// Exposure at 1 m [C/kg] of the whole exposure: exposure per mAs x kerma
// ratio (actual filters against the table's) x mA x s.
double computeExposureAt1m(const OutputDataTable& table, Rectification rectification, double tubeVoltageKv, double kermaRatio,
                           double tubeCurrentMa, double exposureTimeS);

} // namespace velnor
