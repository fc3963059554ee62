// velnor-check-data [FOLDER]: reads every start-up file of the main program
// from FOLDER (default: the working folder) and prints a summary, or the
// reason the first faulty file was refused. Exit status 0 when all are sound.
#include "main/records/ReferenceLoader.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    if (argc > 2 || (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h"))) {
        std::puts("usage: velnor-check-data [FOLDER]\n"
                  "Reads the reference files of the main program from FOLDER (default: the working folder)\n"
                  "and reports what they hold, or which file is faulty and why.");
        return argc > 2 ? 2 : 0;
    }
    try {
        const velnor::StartupData data = velnor::loadStartupData(folder);
        const auto& a = data.tables.attenuation;
        std::printf("reference tables: complete\n");
        std::printf("  muen/rho at 50 keV: air %.5g, soft tissue %.5g, skin %.5g\n", a.muenAir[100],
                    a.muenSoftTissue[100], a.muenSkin[100]);
        std::printf("tube output table: %s (%s)\n", data.outputData.fileName.c_str(), data.outputData.comment.c_str());
        std::printf("body parts: %zu\n", data.bodyParts.size());
        std::printf("user: %s\n", data.userName ? data.userName->c_str() : "(guest)");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-check-data: %s\n", e.what());
        return 1;
    }
}
