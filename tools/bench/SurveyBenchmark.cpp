// velnor-bench-survey DATA: the survey's speed on one core. Computes 10 000
// flat exposures of mixed chest and abdomen protocols (varied mAs,
// thickness and voltage) with their effective doses, and reads 500 DICOM
// image headers made here, and prints the times against the aims (10 000
// exposures under 10 s; 500 headers a second or more).
#include "dicom/DicomExposure.h"
#include "survey/Survey.h"
#include "tests/dicom/DicomFiles.h"

#include <chrono>
#include <cstdio>
#include <random>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::puts("usage: velnor-bench-survey DATA");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    std::mt19937 random(7);
    auto pick = [&](std::initializer_list<double> values) { return *(values.begin() + random() % values.size()); };
    std::vector<velnor::survey::Exposure> exposures(10000);
    for (std::size_t k = 0; k < exposures.size(); ++k) {
        velnor::ExposureConditions& c = exposures[k].conditions;
        const bool chest = k % 2 == 1;
        c.bodyPart = chest ? "胸部正面" : "腹部正面";
        c.tubeVoltageKv = chest ? pick({110, 120, 125}) : pick({75, 80, 85});
        c.tubeCurrentMa = pick({160, 200, 250, 320});
        c.exposureTimeS = chest ? pick({0.008, 0.01, 0.0125}) : pick({0.08, 0.1, 0.125});
        c.bodyThicknessCm = pick({16, 18, 20, 22, 24, 26});
        c.focusReceptorDistanceCm = chest ? 180 : 100;
        c.focusSurfaceDistanceCm = c.focusReceptorDistanceCm - c.bodyThicknessCm - 5;
    }
    velnor::survey::Calculator calculator(argv[1]);
    auto start = Clock::now();
    std::vector<velnor::survey::ExposureResult> results;
    for (const velnor::survey::Exposure& e : exposures)
        results.push_back(calculator.compute(e));
    const auto summaries = velnor::survey::summarize(results, velnor::DrlDose::Air, false);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("10000 flat exposures with effective doses, %zu examinations: %.2f s (aim: under 10 s)\n", summaries.size(), seconds);

    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "velnor-bench-survey";
    std::filesystem::create_directories(folder);
    for (int k = 0; k < 500; ++k)
        velnor::testing::writeImage(folder / ("i" + std::to_string(k) + ".dcm"),
                                    {{0x0018, 0x0060, "80"}, {0x0018, 0x1152, "20"}, {0x0018, 0x0015, "ABDOMEN"}, {0x0018, 0x5101, "AP"}});
    start = Clock::now();
    std::size_t read = 0;
    for (const std::filesystem::path& file : velnor::dicom::filesUnder({folder}))
        read += velnor::dicom::readExposures(file).size();
    const double dicomSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::filesystem::remove_all(folder);
    std::printf("%zu DICOM headers: %.0f files/s (aim: 500 or more)\n", read, static_cast<double>(read) / dicomSeconds);
    return 0;
}
