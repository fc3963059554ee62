// bsfmc_cylinder: backscatter factors of a cylindrical body surface by Monte
// Carlo. Reads "joken.txt", "X_SPCTL.dat", "ICRUSoft.dat" and
// "Att_Coeff2020.dat" from the working folder, writes "ResultBSF.txt", and
// waits for Enter (end of input counts as Enter).
#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "montecarlo/ConsoleText.h"
#include "montecarlo/CylinderRun.h"
#include "montecarlo/ResultFile.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>

using namespace velnor::mc;
using velnor::findFileIgnoringCase;

namespace {

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

int main(int argc, char** argv)
{
    if (argc > 1) {
        const std::string arg = argv[1];
        std::puts("bsfmc_cylinder takes no arguments. It reads joken.txt, X_SPCTL.dat, ICRUSoft.dat and\n"
                  "Att_Coeff2020.dat from the working folder, simulates, writes ResultBSF.txt and waits for Enter.");
        return arg == "--help" ? 0 : 2;
    }
    LaggedGenerator random;
    std::printf("\n Monte Carlo Simulation  --- bsfmc_cylinder ---\n\n");
    const std::filesystem::path here = ".";
    CylinderJob job;
    SpectrumWeights weights;
    TissueData tissue;
    AbsorptionTable absorption;
    try {
        job = readJobFile(findFileIgnoringCase(here, velnor::files::kJob));
        for (const std::string& line : jobEchoLines(job))
            std::printf("%s\n", line.c_str());
        const std::string fault = jobFault(job);
        if (!fault.empty())
            return fail("joken.txt: " + fault);
        weights = readSpectrumWeights(findFileIgnoringCase(here, velnor::files::kSpectrum));
        tissue = readTissueData(findFileIgnoringCase(here, velnor::files::kTissueData));
        absorption = readAbsorptionTable(findFileIgnoringCase(here, velnor::files::kCoefficients));
        if (const std::string coverage = tableCoverageFault(job, weights, tissue, absorption); !coverage.empty())
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
    const Tallies tallies = runHistories(job, weights, interactions, random, [&](double done) { progress(done); });
    progress.erase();
    std::printf(" Finish time =%s\n", timeOfDay().c_str());

    const auto factors = backscatterFactors(tallies);
    if (!factors)
        return fail("No history reached the 0.5 cm scoring disc at the apex (too few histories or too small a field),\n"
                    " *** so the backscatter factors are undefined.");
    const Factor& air = (*factors)[0];
    const Factor& soft = (*factors)[1];
    const Factor& skin = (*factors)[2];
    std::printf("\n Back Scatter Factor by Air dose   = %s\n", fixedField(air.value, 7, 4).c_str());
    std::printf(" Back Scatter Factor by Soft-tisue dose = %s\n", fixedField(soft.value, 7, 4).c_str());
    std::printf(" Back Scatter Factor by Skin dose = %s\n", fixedField(skin.value, 7, 4).c_str());
    std::printf("   (one standard deviation: air %.4f, soft tissue %.4f, skin %.4f)\n", air.sigma, soft.sigma, skin.sigma);
    try {
        writeResultFile(here, air.value, soft.value, skin.value);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    std::printf("\n  --- Calculation finished ---\n  ---    Hit Enter key     ---\n\n");
    std::fflush(stdout);
    waitForEnter();
    return 0;
}
