// velnor-bench-chain [DATA]: times the calculation chain on the reference data
// in DATA (default: the working folder) and prints the figures: the spectrum
// alone and the whole chain for 150 kV single-phase and 80 kV constant
// potential (median of repeated runs), and a whole velnor-calc process
// including the loading of the tables when velnor-calc lies beside this program.
#include "main/dose/CalculationState.h"
#include "main/records/ReferenceLoader.h"
#include "main/spectrum/SpectrumModel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

double medianMs(int runs, const std::function<void()>& action)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        action();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::filesystem::path selfFolder()
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path(".") : self.parent_path();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 || (argc == 2 && std::string(argv[1]) == "--help")) {
        std::puts("usage: velnor-bench-chain [DATA]\nTimes the dose calculation on the reference data in DATA.");
        return argc > 2 ? 2 : 0;
    }
    const std::filesystem::path data = argc == 2 ? argv[1] : ".";
    velnor::StartupData startup;
    try {
        startup = velnor::loadStartupData(data);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-bench-chain: %s\n", e.what());
        return 2;
    }
    struct Case {
        const char* name;
        double kv;
        velnor::Rectification rectification;
    };
    for (const Case& c : {Case{"150 kV single-phase", 150, velnor::Rectification::SinglePhaseFullWave},
                          Case{"80 kV constant potential", 80, velnor::Rectification::ConstantPotential}}) {
        velnor::CalculationState state;
        state.tables = startup.tables;
        state.outputData = startup.outputData;
        state.conditions.tubeVoltageKv = c.kv;
        state.conditions.rectification = c.rectification;
        const double spectrumMs = medianMs(21, [&] {
            velnor::computeSpectrum(state.conditions, state.tables.attenuation, state.outputData);
        });
        const double chainMs = medianMs(21, [&] { state.calculate(); });
        std::printf("%-26s spectrum %7.2f ms   whole chain %7.2f ms   (ESD soft tissue %.3f mGy)\n", c.name, spectrumMs,
                    chainMs, state.dose.esdSoftTissue);
    }
    const std::filesystem::path calc = selfFolder() / "velnor-calc";
    if (std::filesystem::exists(calc)) {
        const std::string command = "echo '{}' | " + calc.string() + " --no-files --data '" + data.string() + "' > /dev/null";
        const double processMs = medianMs(5, [&] {
            if (std::system(command.c_str()) != 0)
                std::fprintf(stderr, "velnor-calc failed\n");
        });
        std::printf("%-26s %7.1f ms\n", "velnor-calc process", processMs);
    }
    return 0;
}
