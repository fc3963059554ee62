#pragma once

#include "main/records/RecordFault.h"

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
    std::optional<long long> mcHistoriesRun; // the histories the engine ran
};

// A backscatter factor adds the scatter from the body to the primary beam, so
// it is at least 1; at diagnostic energies it stays well below 3 (about 1.2
// to 1.6 for fields of 10 to 40 cm).
inline constexpr double kMinBackscatterFactor = 1;
inline constexpr double kMaxBackscatterFactor = 3;

// An entrance dose above 100 Gy is no diagnostic exposure (skin injury begins
// at about 2 Gy); the depth-dose hand-off has the same bound. Effective doses
// are bounded alike, so sums of rows stay finite.
inline constexpr double kMaxEntranceDoseMgy = 1e5;
inline constexpr double kMaxEffectiveDoseMsv = 1e5;

// Whether one backscatter factor and its standard deviation (if any) are
// physical; `field` names it.
std::optional<RecordFault> backscatterFactorFault(double factor, const std::optional<double>& sd, const char* field);

// Whether the results are physical: conversion factors positive and finite,
// backscatter factors as backscatterFactorFault says, doses finite, not
// negative and at most kMaxEntranceDoseMgy.
std::optional<RecordFault> doseResultsFault(const DoseResults& dose);

} // namespace velnor
