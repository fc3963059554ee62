#include "montecarlo/EngineRun.h"

#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "montecarlo/ConsoleText.h"
#include "montecarlo/ResultFile.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <thread>
#include <unistd.h>

namespace velnor::mc {
namespace {

float halfField(float fieldCm, const CylinderJob& c) { return fieldCm * c.focusSurfaceCm * 0.5f / c.focusReceptorCm; }

const char* programName(SurfaceKind kind)
{
    switch (kind) {
    case SurfaceKind::Ellipse:
        return "bsfmc_ellipse";
    case SurfaceKind::Racetrack:
        return "bsfmc_racetrack";
    case SurfaceKind::Cylinder:
        break;
    }
    return "bsfmc_cylinder";
}

// Set by SIGTERM or SIGINT: the run stops at the next block boundary.
std::atomic<bool> g_stop{false};
extern "C" void requestStop(int) { g_stop.store(true); }

// The console stays open until Enter; a stop asked for before or during the
// wait ends the program at once (the signals' default action from here on).
void waitForEnter()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    if (g_stop.load())
        return;
    std::string line;
    std::getline(std::cin, line);
}

// The most threads a run asks for: beyond it a machine only loses time.
constexpr long long kMaxThreads = 256;

// A whole number from 1 to kMaxThreads, all of the text, or nothing.
std::optional<int> threadCount(const std::string& text)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long long n = std::stoll(text);
    if (n < 1 || n > kMaxThreads)
        return std::nullopt;
    return static_cast<int>(n);
}

// The one way out after a fault: the reason, then the wait, so a console
// window stays open long enough to read it.
int fail(const std::string& reason)
{
    std::printf("\n *** %s\n *** No result file was written.\n\n  ---    Hit Enter key     ---\n\n", reason.c_str());
    std::fflush(stdout);
    waitForEnter();
    return 1;
}

// One progress line about once a second: histories done, share, elapsed
// time and the time left. The console window and the main window read it.
class ProgressPrinter {
public:
    explicit ProgressPrinter(long long planned) : m_planned(std::max(1LL, planned)), m_start(std::chrono::steady_clock::now()) {}
    void operator()(long long done)
    {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        const double share = static_cast<double>(done) / static_cast<double>(m_planned);
        const double left = share > 0 ? elapsed * (1 - share) / share : 0;
        std::printf(" Progress: %lld / %lld histories, %.0f %%, %.0f s elapsed, about %.0f s left\n", done, m_planned, 100 * share,
                    elapsed, left);
        std::fflush(stdout);
    }

private:
    long long m_planned;
    std::chrono::steady_clock::time_point m_start;
};

// The exact single-stream run reports its share done; it is stopped by an
// exception from its progress callback.
struct Stopped {};

} // namespace

EllipseGeometry ellipseOf(const EngineJob& job)
{
    const CylinderJob& c = job.common;
    EllipseGeometry g;
    g.horizontalCm = job.shapeCm[0];
    g.verticalCm = job.shapeCm[1];
    g.thicknessCm = c.thicknessCm;
    g.focusSurfaceCm = c.focusSurfaceCm;
    g.halfFieldX = std::min(halfField(c.fieldAcrossCm, c), g.horizontalCm);
    g.halfFieldY = halfField(c.fieldAlongCm, c);
    return g;
}

RacetrackGeometry racetrackOf(const EngineJob& job)
{
    const CylinderJob& c = job.common;
    RacetrackGeometry g;
    g.flatHalfWidthCm = 0.5f * job.shapeCm[0];
    g.endRadiusCm = 0.5f * job.shapeCm[1];
    g.halfLengthCm = 0.5f * job.shapeCm[2];
    g.thicknessCm = c.thicknessCm;
    g.focusSurfaceCm = c.focusSurfaceCm;
    g.halfFieldX = std::min(halfField(c.fieldAcrossCm, c), g.flatHalfWidthCm + g.endRadiusCm);
    g.halfFieldY = halfField(c.fieldAlongCm, c);
    return g;
}

BlockedRunResult runEngineJobBlocked(const EngineJob& job, const SpectrumWeights& weights, const Interactions& interactions,
                                     const BlockedRunOptions& options)
{
    const long long planned = plannedHistories(job.common, weights);
    auto on = [&](const auto& surface) {
        return runBlocked(planned, [&](long long first, long long last, LaggedGenerator& random, Tallies& t) {
            runRangeOn(surface, job.common, weights, interactions, random, first, last, t);
        }, options);
    };
    switch (job.kind) {
    case SurfaceKind::Ellipse:
        return on(ellipseOf(job));
    case SurfaceKind::Racetrack:
        return on(racetrackOf(job));
    case SurfaceKind::Cylinder:
        break;
    }
    return on(geometryOf(job.common));
}

Tallies runEngineJob(const EngineJob& job, const SpectrumWeights& weights, const Interactions& interactions,
                     LaggedGenerator& random, const std::function<void(double)>& progress)
{
    switch (job.kind) {
    case SurfaceKind::Ellipse:
        return runHistoriesOn(ellipseOf(job), job.common, weights, interactions, random, progress);
    case SurfaceKind::Racetrack:
        return runHistoriesOn(racetrackOf(job), job.common, weights, interactions, random, progress);
    case SurfaceKind::Cylinder:
        break;
    }
    return runHistoriesOn(geometryOf(job.common), job.common, weights, interactions, random, progress);
}

int runEngineProgram(SurfaceKind kind, int argc, char** argv)
{
    const std::string name = programName(kind);
    bool exact = false;
    int threads = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--exact") {
            exact = true;
        } else if (arg == "--threads" && i + 1 < argc && threadCount(argv[i + 1])) {
            threads = *threadCount(argv[++i]);
        } else {
            std::printf("usage: %s [--threads N] [--exact]\n"
                        "Reads joken.txt, X_SPCTL.dat, ICRUSoft.dat and Att_Coeff2020.dat from the working folder,\n"
                        "simulates, writes ResultBSF.txt and waits for Enter. The histories run in blocks of %lld,\n"
                        "each with its own random stream, on every core (--threads N: N threads, 1 to %lld, fewer\n"
                        "when the system gives fewer); the factors are\n"
                        "the same on any number of threads. --exact runs the single stream of one generator on one\n"
                        "thread. Progress is printed about once a second; SIGTERM or SIGINT stops the run at a\n"
                        "block boundary without a result file.\n",
                        name.c_str(), kBlockHistories, kMaxThreads);
            return arg == "--help" ? 0 : 2;
        }
    }
    std::signal(SIGTERM, requestStop);
    std::signal(SIGINT, requestStop);
    LaggedGenerator random;
    std::printf("\n Monte Carlo Simulation  --- %s ---\n\n", name.c_str());
    const std::filesystem::path here = ".";
    EngineJob job;
    SpectrumWeights weights;
    TissueData tissue;
    AbsorptionTable absorption;
    try {
        job = readEngineJob(findFileIgnoringCase(here, files::kJob), kind);
        for (const std::string& line : jobEchoLines(job))
            std::printf("%s\n", line.c_str());
        const std::string fault = jobFault(job);
        if (!fault.empty())
            return fail(std::string(files::kJob) + ": " + fault);
        weights = readSpectrumWeights(findFileIgnoringCase(here, files::kSpectrum));
        tissue = readTissueData(findFileIgnoringCase(here, files::kTissueData));
        absorption = readAbsorptionTable(findFileIgnoringCase(here, files::kCoefficients));
        if (const std::string coverage = tableCoverageFault(job.common, weights, tissue, absorption); !coverage.empty())
            return fail(coverage);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    const Interactions interactions(tissue, absorption);

    std::printf(" <<< Monte Carlo Simulation >>>\n");
    std::printf(" Start time =%s\n\n", timeOfDay().c_str());
    std::printf("    ***  Please wait few minutes  ***\n");
    std::fflush(stdout);
    const long long planned = plannedHistories(job.common, weights);
    ProgressPrinter progress(planned);
    Tallies tallies;
    bool stopped = false;
    if (exact) {
        auto last = std::chrono::steady_clock::now();
        try {
            tallies = runEngineJob(job, weights, interactions, random, [&](double share) {
                if (g_stop.load())
                    throw Stopped{};
                if (std::chrono::steady_clock::now() - last >= std::chrono::seconds(1)) {
                    last = std::chrono::steady_clock::now();
                    progress(static_cast<long long>(share * static_cast<double>(planned)));
                }
            });
        } catch (const Stopped&) {
            stopped = true;
        }
    } else {
        BlockedRunOptions options;
        options.threads = threads;
        options.stop = &g_stop;
        options.progress = [&](long long done) { progress(done); };
        const BlockedRunResult run = runEngineJobBlocked(job, weights, interactions, options);
        tallies = run.tallies;
        stopped = run.stopped;
    }
    if (stopped) {
        std::printf("\n *** Stopped on request: no result file was written.\n");
        std::fflush(stdout);
        return 3;
    }
    progress(planned);
    std::printf(" Finish time =%s\n", timeOfDay().c_str());

    const auto factors = backscatterFactors(tallies);
    if (!factors)
        return fail("Only " + std::to_string(tallies.scoringHistories) + " primary photons crossed the 0.5 cm scoring disc at the apex\n"
                    " *** (at least " + std::to_string(kMinScoringHistories) + " are needed): too few histories or too small a field,\n"
                    " *** so the backscatter factors and their uncertainties are undefined.");
    const Factor& air = (*factors)[0];
    const Factor& soft = (*factors)[1];
    const Factor& skin = (*factors)[2];
    std::printf("\n Back Scatter Factor by Air dose   = %s\n", fixedField(air.value, 7, 4).c_str());
    std::printf(" Back Scatter Factor by Soft-tisue dose = %s\n", fixedField(soft.value, 7, 4).c_str());
    std::printf(" Back Scatter Factor by Skin dose = %s\n", fixedField(skin.value, 7, 4).c_str());
    std::printf("   (one standard deviation: air %.4f, soft tissue %.4f, skin %.4f)\n", air.sigma, soft.sigma, skin.sigma);
    if (g_stop.load()) { // asked to stop (or the parent ended) after the last block
        std::printf("\n *** Stopped on request: no result file was written.\n");
        std::fflush(stdout);
        return 3;
    }
    try {
        writeResultFile(here, air.value, soft.value, skin.value);
        writeResultSdFile(here, air.sigma, soft.sigma, skin.sigma);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    std::printf("\n  --- Calculation finished ---\n  ---    Hit Enter key     ---\n\n");
    std::fflush(stdout);
    waitForEnter();
    return 0;
}

} // namespace velnor::mc
