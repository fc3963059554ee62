#pragma once

#include "tools/mcgen/Simulations.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velnor::mcgen {

// How many histories each kind of table gets.
struct GenerationPlan {
    long long bsfHistories = 2'000'000;    // per energy node and phantom
    long long atrHistories = 100'000;      // per 0.5-keV bin
    long long kernelHistories = 4'000'000; // per kernel energy
    unsigned threads = 2;
    std::uint64_t seed = 20261206;

    static GenerationPlan quick(); // a few thousand histories: layouts only
};

// Phantoms of the backscatter tables.
Box bodyPhantom(); // 30 x 30 x 15 cm
Box headPhantom(); // 15 x 20 x 19 cm

// Energies of the backscatter table columns: 1, 5, 10, ..., 150 keV.
std::vector<double> bsfNodeEnergies();

// The six differential backscatter tables, "dATR.dat" and the 29 kernel files
// "PDS-data/E.dat", written into `folder`. Progress and the statistical
// uncertainty of every backscatter node go to `log`.
void generateTables(const std::filesystem::path& folder, const GenerationPlan& plan, std::FILE* log);

// Lines of one differential backscatter file: a header, then per ring its mid
// radius and the 31 node values.
std::vector<std::string> bsfFileLines(const std::vector<std::vector<double>>& byNode, const std::string& header);

// Fills the empty entries of a kernel (no collision scored) by extrapolation
// from the nearest scored entry of the same ring, shallower first, with the
// attenuation coefficient mu [1/cm] of the incident energy; a ring without
// any entry follows the ring inside it, attenuated over the 0.5 cm between.
void fillEmptyKernelEntries(std::vector<double>& values, const std::vector<long long>& collisions, double mu);

// Lines of one kernel file: for each depth slab, its 80 rings in four lines of 20.
std::vector<std::string> kernelFileLines(const std::vector<double>& values);

} // namespace velnor::mcgen
