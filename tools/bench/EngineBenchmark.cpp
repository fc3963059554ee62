// bsfmc-bench [DATA] [cylinder|ellipse|racetrack]: histories per second of an
// engine on a fixed job (T 20, FSD 80, FFD 100, 35.6 x 43.2 cm at the
// receptor, an 80 kV constant-potential spectrum of our model, 5 000 000
// histories; cylinder R 20, ellipse 30 : 20, racetrack a 20, b 20, L 80):
// the exact single stream on one core, then the blocked streams on one thread
// and on every core, with the factors, so that a faster build can be checked
// for unchanged results and the blocked runs for identical ones.
#include "main/records/ReferenceLoader.h"
#include "main/spectrum/SpectrumModel.h"
#include "montecarlo/EngineRun.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    if (argc > 3 || (argc >= 2 && std::string(argv[1]) == "--help")) {
        std::puts("usage: bsfmc-bench [DATA] [cylinder|ellipse|racetrack]\nTimes a Monte Carlo engine on a fixed job.");
        return argc > 3 ? 2 : 0;
    }
    const std::filesystem::path data = argc >= 2 ? argv[1] : ".";
    const std::string surface = argc == 3 ? argv[2] : "cylinder";
    velnor::mc::EngineJob job;
    job.common = velnor::mc::CylinderJob{20, 20, 80, 100, 35.6f, 43.2f, 5'000'000};
    if (surface == "cylinder") {
        job.shapeCm = {20, 0, 0};
    } else if (surface == "ellipse") {
        job.kind = velnor::mc::SurfaceKind::Ellipse;
        job.shapeCm = {30, 20, 0};
    } else if (surface == "racetrack") {
        job.kind = velnor::mc::SurfaceKind::Racetrack;
        job.shapeCm = {20, 20, 80};
    } else {
        std::fprintf(stderr, "bsfmc-bench: unknown surface %s\n", surface.c_str());
        return 2;
    }
    try {
        const velnor::AttenuationTable a = velnor::readAttenuationTable(data / "Att_coeff2020.dat");
        const velnor::OutputDataTable op = velnor::loadOutputDataTable(data / "default-output.op");
        velnor::ExposureConditions c;
        c.tubeVoltageKv = 80;
        const velnor::SpectrumResult s = velnor::computeSpectrum(c, a, op);
        velnor::mc::SpectrumWeights raw{};
        for (int k = 1; k <= velnor::mc::kSpectrumBins; ++k) // as the spectrum file holds them: 5 decimals
            raw[static_cast<std::size_t>(k)] = static_cast<float>(std::round(s.photonSpectrum[static_cast<std::size_t>(k)] * 1e5) / 1e5);
        const velnor::mc::SpectrumWeights weights = velnor::mc::normaliseWeights(raw);
        const velnor::mc::TissueData tissue = velnor::mc::readTissueData(data / "ICRUSoft.dat");
        const velnor::mc::AbsorptionTable absorption = velnor::mc::readAbsorptionTable(data / "Att_coeff2020.dat");
        const velnor::mc::Interactions interactions(tissue, absorption);
        auto report = [&](const char* mode, const velnor::mc::Tallies& t, double seconds) {
            const auto f = velnor::mc::backscatterFactors(t);
            std::printf("%s, %s: %.0f histories in %.2f s: %.2f million histories per second\n", surface.c_str(), mode, t.histories,
                        seconds, t.histories / seconds / 1e6);
            if (f)
                std::printf("  factors: air %.4f, soft tissue %.4f, skin %.4f (tallies P %.9g S %.9g)\n", (*f)[0].value,
                            (*f)[1].value, (*f)[2].value, static_cast<double>(t.primary[1]), static_cast<double>(t.backscatter[1]));
        };
        auto timed = [](const auto& run) {
            const auto start = std::chrono::steady_clock::now();
            const velnor::mc::Tallies t = run();
            return std::pair{t, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
        };
        {
            velnor::mc::LaggedGenerator random;
            const auto [t, seconds] = timed([&] { return velnor::mc::runEngineJob(job, weights, interactions, random); });
            report("exact, one stream", t, seconds);
        }
        const int cores = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
        for (int threads : {1, cores}) {
            velnor::mc::BlockedRunOptions options;
            options.threads = threads;
            const auto [t, seconds] =
                timed([&] { return velnor::mc::runEngineJobBlocked(job, weights, interactions, options).tallies; });
            report((std::string("blocked, ") + std::to_string(threads) + (threads == 1 ? " thread" : " threads")).c_str(), t, seconds);
            if (threads == cores)
                break;
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bsfmc-bench: %s\n", e.what());
        return 2;
    }
}
