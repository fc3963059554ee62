// velnor-bench-survey DATA: the survey's speed and memory. Surveys 10 000
// flat exposures of mixed chest and abdomen protocols from a CSV (with their
// effective doses and the per-exposure file) on one thread and on every
// core, then 100 000 to show that memory stays flat, and reads 500 DICOM
// image headers made here; prints the figures against the aims (10 000
// exposures under 10 s on one core; 500 headers a second or more).
#include "dicom/DicomExposure.h"
#include "survey/SurveyFiles.h"
#include "survey/SurveyRun.h"
#include "tests/dicom/DicomFiles.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// A CSV of `count` flat exposures of mixed chest and abdomen protocols
// (varied mAs, thickness and voltage), as a spreadsheet would give them.
void writeExposures(const std::filesystem::path& path, std::size_t count)
{
    std::mt19937 random(7);
    auto pick = [&](std::initializer_list<double> values) { return *(values.begin() + random() % values.size()); };
    std::ofstream out(path);
    out << "bodyPart,tubeVoltageKv,tubeCurrentMa,exposureTimeS,bodyThicknessCm,focusReceptorDistanceCm,focusSurfaceDistanceCm\r\n";
    for (std::size_t k = 0; k < count; ++k) {
        const bool chest = k % 2 == 1;
        const double thickness = pick({16, 18, 20, 22, 24, 26}), ffd = chest ? 180 : 100;
        out << (chest ? "胸部正面," : "腹部正面,") << (chest ? pick({110, 120, 125}) : pick({75, 80, 85})) << ','
            << pick({160, 200, 250, 320}) << ',' << (chest ? pick({0.008, 0.01, 0.0125}) : pick({0.08, 0.1, 0.125})) << ',' << thickness
            << ',' << ffd << ',' << ffd - thickness - 5 << "\r\n";
    }
}

double peakMemoryMb()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

// A survey of the CSV with its per-exposure file: seconds.
double survey(const std::filesystem::path& data, const std::filesystem::path& csv, unsigned threads)
{
    velnor::survey::SurveyOptions options;
    options.threads = threads;
    velnor::survey::SurveyCsv out(csv.parent_path() / "out.csv");
    velnor::survey::SurveyProgress progress;
    progress.exposure = [&](const velnor::survey::ExposureResult& r) { out.add(r); };
    const auto start = std::chrono::steady_clock::now();
    const velnor::survey::SurveyOutcome outcome = velnor::survey::runSurvey({csv}, data, options, progress);
    out.commit(outcome.examinations);
    if (outcome.computed == 0 || !outcome.failures.empty())
        std::printf("  (%zu computed, %zu failed)\n", outcome.computed, outcome.failures.size());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::puts("usage: velnor-bench-survey DATA");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    const std::filesystem::path data = argv[1];
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("velnor-bench-survey-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "dicom");
    writeExposures(folder / "10k.csv", 10000);
    std::printf("10000 flat exposures from a CSV, with effective doses and the per-exposure CSV:\n");
    const double oneThread = survey(data, folder / "10k.csv", 1);
    const double everyCore = survey(data, folder / "10k.csv", 0);
    std::printf("  one thread: %.2f s (aim: under 10 s); every core (%u): %.2f s; peak memory %.0f MB\n", oneThread,
                std::thread::hardware_concurrency(), everyCore, peakMemoryMb());
    writeExposures(folder / "100k.csv", 100000);
    const double seconds = survey(data, folder / "100k.csv", 0);
    std::printf("100000 exposures: %.2f s; peak memory %.0f MB (flat: the doses of the statistics only)\n", seconds, peakMemoryMb());

    for (int k = 0; k < 500; ++k)
        velnor::testing::writeImage(folder / "dicom" / ("i" + std::to_string(k) + ".dcm"),
                                    {{0x0018, 0x0060, "80"}, {0x0018, 0x1152, "20"}, {0x0018, 0x0015, "ABDOMEN"}, {0x0018, 0x5101, "AP"}});
    const auto start = Clock::now();
    std::size_t read = 0;
    for (const std::filesystem::path& file : velnor::dicom::filesUnder({folder / "dicom"}))
        read += velnor::dicom::readExposures(file).size();
    const double dicomSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::filesystem::remove_all(folder);
    std::printf("%zu DICOM headers: %.0f files/s (aim: 500 or more)\n", read, static_cast<double>(read) / dicomSeconds);
    return 0;
}
