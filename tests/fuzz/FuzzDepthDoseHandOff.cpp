// The depth-dose hand-off "Velnor2PDD.dat" as the depth-dose calculation
// reads it, and the calculation of whatever case it holds on the shipped
// data: a refusal or a finite table, never a crash.
#include "common/DataFileError.h"
#include "depthdose/DepthDose.h"
#include "tests/fuzz/FuzzInput.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

using namespace velnor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const pdd::DepthDoseData reference = pdd::readDepthDoseData(VELNOR_DATA_DIR);
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
