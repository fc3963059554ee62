// The engine's readers: the job, the spectrum weights, the tissue data and
// the coefficient table. The first byte chooses the reader.
#include "common/DataFileError.h"
#include "montecarlo/AbsorptionTable.h"
#include "montecarlo/JobFile.h"
#include "montecarlo/SpectrumWeights.h"
#include "montecarlo/TissueData.h"
#include "tests/fuzz/FuzzInput.h"

using namespace velnor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int reader = data[0] % 4;
    ++data;
    --size;
    try {
        switch (reader) {
        case 0: {
            for (mc::SurfaceKind kind : {mc::SurfaceKind::Cylinder, mc::SurfaceKind::Ellipse, mc::SurfaceKind::Racetrack}) {
                try {
                    const mc::EngineJob job = mc::readEngineJob(fuzz::writeInput("joken.txt", data, size), kind);
                    mc::jobFault(job);
                    mc::jobEchoLines(job);
                } catch (const DataFileError&) {
                }
            }
            break;
        }
        case 1:
            mc::readSpectrumWeights(fuzz::writeInput("X_SPCTL.dat", data, size));
            break;
        case 2:
            mc::readTissueData(fuzz::writeInput("ICRUSoft.dat", data, size));
            break;
        default:
            mc::readAbsorptionTable(fuzz::writeInput("Att_Coeff2020.dat", data, size));
            break;
        }
    } catch (const DataFileError&) {
    }
    return 0;
}
