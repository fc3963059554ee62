// velnor-bench-pdd [DATA]: the whole depth-dose calculation as Velnor17_PDD
// runs it at start (the 29 kernel files and the tissue data read, 80 depth
// points: 80 kV, a 40 cm body, 35.6 x 43.2 cm), median of 21 runs.
#include "depthdose/DepthDose.h"
#include "main/records/ReferenceLoader.h"
#include "main/spectrum/SpectrumModel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc > 2 || (argc == 2 && std::string(argv[1]) == "--help")) {
        std::puts("usage: velnor-bench-pdd [DATA]\nTimes the depth-dose calculation (reading included) on 80 depth points.");
        return argc > 2 ? 2 : 0;
    }
    const std::filesystem::path data = argc == 2 ? argv[1] : ".";
    try {
        velnor::ExposureConditions c;
        c.tubeVoltageKv = 80;
        const velnor::SpectrumResult s = velnor::computeSpectrum(c, velnor::readAttenuationTable(data / "Att_coeff2020.dat"),
                                                                 velnor::loadOutputDataTable(data / "default-output.op"));
        velnor::pdd::HandOff h;
        h.tubeVoltageKv = 80;
        h.focusReceptorCm = 150;
        h.focusSurfaceCm = 100;
        h.thicknessCm = 40;
        h.fieldLongCm = 43.2;
        h.fieldShortCm = 35.6;
        h.surfaceDoseMgy = 1;
        for (int e = 1; e <= velnor::pdd::kBins; ++e)
            h.spectrum[static_cast<std::size_t>(e)] = s.photonSpectrum[static_cast<std::size_t>(e)];
        std::vector<double> ms;
        std::size_t points = 0;
        for (int run = 0; run < 21; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const auto table = velnor::pdd::computeDepthDose(h, h.thicknessCm, velnor::pdd::readDepthDoseData(data));
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            points = table.size();
        }
        std::sort(ms.begin(), ms.end());
        std::printf("depth dose of %zu points, 29 kernel files read: %.1f ms (median of 21; %.1f to %.1f ms)\n", points, ms[10],
                    ms.front(), ms.back());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-bench-pdd: %s\n", e.what());
        return 2;
    }
}
