// The depth-dose hand-off "Velnor2PDD.dat" (and, after a "#", an organ data
// file) as the depth-dose program reads them, and the calculation of whatever case it holds on the shipped
// data: a refusal or a finite table, never a crash.
#include "common/DataFileError.h"
#include "depthdose/DepthDose.h"
#include "depthdose/OrganDose.h"
#include "tests/fuzz/FuzzInput.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

using namespace velnor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const pdd::DepthDoseData reference = pdd::readDepthDoseData(VELNOR_DATA_DIR);
    if (size > 0 && data[0] == '#') { // an organ data file instead
        static const std::filesystem::path folder = fuzz::folder() / "organs";
        std::filesystem::create_directories(folder / "Organ-data");
        std::ofstream(folder / "Organ-data" / "fuzz.csv", std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
        try {
            pdd::readOrganDefaults(folder, "fuzz", 20);
        } catch (const DataFileError&) {
        }
        return 0;
    }
    pdd::HandOff h;
    try {
        h = pdd::readHandOff(fuzz::writeInput("Velnor2PDD.dat", data, size));
    } catch (const DataFileError&) {
        return 0;
    }
    try {
        const double thickness = std::min(h.thicknessCm, pdd::kMaxThicknessCm);
        for (const pdd::DepthDosePoint& p : pdd::computeDepthDose(h, thickness, reference))
            if (std::isnan(p.totalPercent))
                std::abort();
    } catch (const std::runtime_error&) {
    }
    return 0;
}
