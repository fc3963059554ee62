#pragma once

#include <optional>

namespace velnor {

// Conversion factors, backscatter factors and entrance surface doses of the
// last calculation.
struct DoseResults {
    double cfSoftTissue = 0; // exposure-to-absorbed-dose conversion factor, Gy/(C/kg)
    double cfSkin = 0;       // Gy/(C/kg)
    double cfAir = 0;        // air kerma per exposure, Gy/(C/kg)
    double bsfSoftTissue = 0;
    double bsfSkin = 0;
    double bsfAir = 0;
    double esdSoftTissue = 0; // entrance surface dose, mGy
    double esdSkin = 0;       // mGy
    double esdAir = 0;        // entrance surface air kerma, mGy
    // Standard deviations of the backscatter factors of a Monte Carlo engine
    // (curved surfaces); empty for a flat surface.
    std::optional<double> bsfSoftTissueSd, bsfSkinSd, bsfAirSd;
};

} // namespace velnor
