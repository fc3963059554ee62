#pragma once

#include "main/records/EnergyGrid.h"
#include "main/records/ExposureConditions.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velnor {

// A filter material file (".ele" for an element, ".mix" for a compound):
// line 1 the material's name; then the density [g/cm^3] and a value not used;
// then rows of six values: energy [MeV], three partial mass attenuation
// coefficients [cm^2/g] whose sum is the total, and two values not used. Rows
// are read up to the first one at 10 MeV or above.
struct FilterMaterial {
    struct Row {
        double energyMev;
        double massAttenuation; // total, cm^2/g
    };
    std::string name;
    double densityGPerCm3 = 0;
    std::vector<Row> rows;
};

inline constexpr int kMaxFilterMaterialRows = 100;

// Reads a material file. Throws DataFileError naming the file when it is
// unreadable, when its rows do not start at or below 1 keV, do not reach
// 10 MeV within 100 rows, do not ascend in energy, or hold a coefficient that
// is not positive: such a file cannot give a coefficient for every bin.
FilterMaterial readFilterMaterialFile(const std::filesystem::path& path);

// Linear attenuation coefficient [1/cm] of the material for every bin:
// bins 2, 4, ..., 300 (1, 2, ..., 150 keV) by log-log interpolation between
// the rows that bracket the energy, odd bins as the mean of their neighbours,
// bin 1 equal to bin 2.
BinArray otherFilterMu(const FilterMaterial& material);

// Puts the material, `thicknessMm` thick, into the conditions as the other
// filter (name, thickness in cm, coefficients, active). Throws
// std::invalid_argument for a thickness that is not positive.
void applyOtherFilter(ExposureConditions& conditions, const FilterMaterial& material, double thicknessMm);
// Takes the other filter out (its coefficients stay, unused).
void clearOtherFilter(ExposureConditions& conditions);

} // namespace velnor
