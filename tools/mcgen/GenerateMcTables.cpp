// velnor-mcgen [--quick] [--threads N] FOLDER: runs the photon Monte Carlo and
// writes the differential backscatter tables, the ATR response and the
// depth-dose scatter kernels into FOLDER.
#include "tools/mcgen/McTables.h"

#include <cstdio>
#include <exception>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    velnor::mcgen::GenerationPlan plan;
    plan.threads = std::max(1u, std::thread::hardware_concurrency());
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            const unsigned threads = plan.threads;
            plan = velnor::mcgen::GenerationPlan::quick();
            plan.threads = threads;
        } else if (arg == "--threads" && i + 1 < argc) {
            plan.threads = static_cast<unsigned>(std::max(1, std::stoi(argv[++i])));
        } else if (arg == "--help") {
            std::puts("usage: velnor-mcgen [--quick] [--threads N] FOLDER\n"
                      "Writes dBSF-*.dat (6), dATR.dat and PDS-data/*.dat (29) into FOLDER from a photon Monte Carlo.\n"
                      "--quick uses a few thousand histories per table (layouts only); the results do not depend on N.");
            return 0;
        } else if (folder.empty() && arg[0] != '-') {
            folder = arg;
        } else {
            std::fprintf(stderr, "velnor-mcgen: unknown argument %s (see --help)\n", arg.c_str());
            return 2;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "velnor-mcgen: no output folder (see --help)\n");
        return 2;
    }
    try {
        velnor::mcgen::generateTables(folder, plan, stdout);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-mcgen: %s\n", e.what());
        return 1;
    }
}
