#include "montecarlo/EngineRun.h"

#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "montecarlo/ConsoleText.h"
#include "montecarlo/ResultFile.h"

#include <chrono>
#include <cstdio>
#include <iostream>
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

void waitForEnter()
{
    std::string line;
    std::getline(std::cin, line);
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

// One self-overwriting line with the share done and the time left, on an
// interactive terminal only.
class ProgressLine {
public:
    ProgressLine() : m_enabled(::isatty(STDOUT_FILENO) != 0), m_start(std::chrono::steady_clock::now()) {}
    void operator()(double done)
    {
        if (!m_enabled || done <= 0)
            return;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        std::printf("\r    %3.0f %% done, about %.0f s left   ", 100 * done, elapsed * (1 - done) / done);
        std::fflush(stdout);
        m_shown = true;
    }
    void erase()
    {
        if (m_shown)
            std::printf("\r%50s\r", "");
    }

private:
    bool m_enabled;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_start;
};

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
    if (argc > 1) {
        const std::string arg = argv[1];
        std::printf("%s takes no arguments. It reads joken.txt, X_SPCTL.dat, ICRUSoft.dat and\n"
                    "Att_Coeff2020.dat from the working folder, simulates, writes ResultBSF.txt and waits for Enter.\n",
                    name.c_str());
        return arg == "--help" ? 0 : 2;
    }
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
    ProgressLine progress;
    const Tallies tallies = runEngineJob(job, weights, interactions, random, [&](double done) { progress(done); });
    progress.erase();
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
