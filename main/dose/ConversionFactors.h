#pragma once

#include "main/records/EnergyGrid.h"
#include "main/records/ReferenceTables.h"

namespace velnor {

struct ConversionFactors {
    double softTissue = 0; // Gy/(C/kg)
    double skin = 0;
    double air = 0;
};

// Exposure-to-absorbed-dose conversion factors from the normalised air-kerma
// spectrum, over bins 5 .. floor(2 kV) (2.5 keV up to the tube voltage):
// soft tissue and skin are W/e x the spectrum-weighted muen ratio to air; air
// is W/e times the share of air kerma at 2.5 keV and above. Throws
// CalculationError when the spectrum has no air kerma there.
ConversionFactors computeConversionFactors(const BinArray& airKermaSpectrum, double tubeVoltageKv,
                                           const AttenuationTable& attenuation, double airWOverE);

} // namespace velnor
