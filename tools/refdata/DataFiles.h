#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velnor::refdata {

// Writers of the reference files made from xraylib. Each returns the lines it
// wrote, so tests can compare without the file system.

// "Att_coeff2020.dat": 300 rows, 0.5 x j keV, fixed columns: energy (1-10),
// mu of tungsten, aluminium, copper [1/cm], muen/rho of air, soft tissue,
// skin [cm^2/g] (15 columns each).
std::vector<std::string> attenuationTableLines();

// "ICRUSoft.dat": attenuation rows and scattering-function rows of ICRU-44
// soft tissue in fixed columns.
std::vector<std::string> tissueDataLines();

// "Primary.dat" without a user name: 29 lines "E, P" with
// P = E muen/rho(soft tissue) [keV cm^2/g] for E = 10, 15, ... 150 keV, then
// the same for 160 and 200 keV.
std::vector<std::string> primaryLines();

// A filter material file (".ele" or ".mix").
struct FilterMaterialFile {
    std::string fileName;
    std::vector<std::string> lines;
};
std::vector<FilterMaterialFile> filterMaterialFiles();

// "default-output.op": a representative tube output table.
std::vector<std::string> defaultOutputLines();

// "撮影部位.txt": common radiographic projections.
std::vector<std::string> bodyPartLines();

// Writes every file above into `folder`.
void writeAll(const std::filesystem::path& folder);

} // namespace velnor::refdata
