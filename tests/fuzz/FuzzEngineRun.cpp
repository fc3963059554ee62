// A short engine run on a fuzzed job of any surface: whatever job the engine accepts ends in
// bounded time with finite factors or none. The spectrum and tables are the
// shipped ones; the history count is capped so that one input stays short.
#include "common/DataFileError.h"
#include "montecarlo/EngineRun.h"
#include "tests/fuzz/FuzzInput.h"

#include <cmath>
#include <cstdlib>

using namespace velnor;

namespace {

struct Shipped {
    mc::SpectrumWeights weights;
    mc::TissueData tissue;
    mc::AbsorptionTable absorption;
};

const Shipped& shipped()
{
    static const Shipped s = [] {
        Shipped d;
        d.weights = mc::readSpectrumWeights(std::filesystem::path(VELNOR_FUZZ_SEEDS) / "X_SPCTL.dat");
        d.tissue = mc::readTissueData(std::filesystem::path(VELNOR_DATA_DIR) / "ICRUSoft.dat");
        d.absorption = mc::readAbsorptionTable(std::filesystem::path(VELNOR_DATA_DIR) / "Att_coeff2020.dat");
        return d;
    }();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the surface: cylinder, ellipse or racetrack.
    const auto kind = static_cast<mc::SurfaceKind>(data[0] % 3);
    mc::EngineJob job;
    try {
        job = mc::readEngineJob(fuzz::writeInput("joken.txt", data + 1, size - 1), kind);
    } catch (const DataFileError&) {
        return 0;
    }
    if (!mc::jobFault(job).empty())
        return 0;
    job.common.histories = std::min<long long>(job.common.histories, 2000);
    const Shipped& s = shipped();
    if (!mc::tableCoverageFault(job.common, s.weights, s.tissue, s.absorption).empty())
        return 0;
    mc::LaggedGenerator random;
    const mc::Interactions interactions(s.tissue, s.absorption);
    const mc::Tallies tallies = mc::runEngineJob(job, s.weights, interactions, random);
    if (const auto factors = mc::backscatterFactors(tallies))
        for (const mc::Factor& f : *factors)
            if (!std::isfinite(f.value))
                std::abort();
    return 0;
}
