#include "tools/mcgen/McTables.h"

#include "common/TextFile.h"
#include "tools/refdata/Materials.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace velnor::mcgen {

GenerationPlan GenerationPlan::quick()
{
    GenerationPlan plan;
    plan.bsfHistories = 2000;
    plan.atrHistories = 200;
    plan.kernelHistories = 2000;
    return plan;
}

Box bodyPhantom() { return {15, 15, 15}; }

Box headPhantom() { return {7.5, 10, 19}; }

std::vector<double> bsfNodeEnergies()
{
    std::vector<double> e = {1};
    for (int m = 2; m <= 31; ++m)
        e.push_back(5.0 * (m - 1));
    return e;
}

namespace {

std::string formatted(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

std::vector<std::string> bsfFileLines(const std::vector<std::vector<double>>& byNode, const std::string& header)
{
    std::vector<std::string> lines = {header};
    for (int ring = 1; ring <= kRingCount; ++ring) {
        std::string line = formatted("%.2f", (ring - 0.5) * kRingWidthCm);
        for (const auto& node : byNode)
            line += formatted(",%.6E", node[static_cast<std::size_t>(ring)]);
        lines.push_back(line);
    }
    return lines;
}

void fillEmptyKernelEntries(std::vector<double>& values, const std::vector<long long>& collisions, double mu)
{
    const double perStep = std::exp(-mu * kKernelStepCm);
    auto at = [&](int m, int j) -> double& { return values[static_cast<std::size_t>(m * kKernelSize + j)]; };
    auto scored = [&](int m, int j) { return collisions[static_cast<std::size_t>(m * kKernelSize + j)] > 0; };
    for (int j = 0; j < kKernelSize; ++j) {
        bool any = false;
        for (int m = 0; m < kKernelSize; ++m)
            any = any || scored(m, j);
        for (int m = 0; m < kKernelSize; ++m) {
            if (scored(m, j))
                continue;
            if (!any) {
                at(m, j) = j > 0 ? at(m, j - 1) * perStep : 0.0;
                continue;
            }
            int shallower = m - 1;
            while (shallower >= 0 && !scored(shallower, j))
                --shallower;
            if (shallower >= 0) {
                at(m, j) = at(shallower, j) * std::pow(perStep, m - shallower);
            } else {
                int deeper = m + 1;
                while (!scored(deeper, j))
                    ++deeper;
                at(m, j) = at(deeper, j) * std::pow(perStep, deeper - m);
            }
        }
    }
    for (double& v : values)
        v = std::max(v, 1e-300); // strictly positive for the log interpolation between energies
}

std::vector<std::string> kernelFileLines(const std::vector<double>& values)
{
    std::vector<std::string> lines;
    for (int m = 0; m < kKernelSize; ++m)
        for (int run = 0; run < 4; ++run) {
            std::string line;
            for (int k = 0; k < 20; ++k)
                line += formatted(k == 0 ? "%.5E" : " %.5E", values[static_cast<std::size_t>(m * kKernelSize + run * 20 + k)]);
            lines.push_back(line);
        }
    return lines;
}

void generateTables(const std::filesystem::path& folder, const GenerationPlan& plan, std::FILE* log)
{
    const auto start = std::chrono::steady_clock::now();
    const refdata::Material softMaterial = refdata::icruSoftTissue();
    const Medium soft(softMaterial);
    const EnergyAbsorption softKerma(softMaterial), airKerma(refdata::dryAir()), skinKerma(refdata::icruSkin());
    std::filesystem::create_directories(folder);

    // Differential backscatter: [phantom][medium] tables of 31 nodes.
    struct PhantomRun {
        const char* name;
        Box box;
        const char* suffix;
    };
    const PhantomRun phantoms[2] = {{"body 30 x 30 x 15 cm", bodyPhantom(), "SoftPhantom"},
                                    {"head 15 x 20 x 19 cm", headPhantom(), "Soft_Head"}};
    const char* mediumNames[kScoringMedia] = {"Soft", "Air", "Skin"};
    for (int p = 0; p < 2; ++p) {
        std::array<std::vector<std::vector<double>>, kScoringMedia> byNode;
        int node = 0;
        for (double e : bsfNodeEnergies()) {
            RunSettings run{plan.bsfHistories, 10000, plan.seed + 1000 * static_cast<std::uint64_t>(p) + static_cast<std::uint64_t>(node++),
                            plan.threads};
            const RingResult r = simulateBackscatterRings(soft, phantoms[p].box, e, {&softKerma, &airKerma, &skinKerma}, run);
            for (int x = 0; x < kScoringMedia; ++x)
                byNode[x].push_back(r.rings[x]);
            std::fprintf(log, "%s phantom, %5.0f keV: face backscatter soft tissue %.4f +- %.4f, air %.4f +- %.4f, skin %.4f +- %.4f (%.0f s)\n",
                         phantoms[p].name, e, r.faceTotal[0].mean, r.faceTotal[0].sigma, r.faceTotal[1].mean, r.faceTotal[1].sigma,
                         r.faceTotal[2].mean, r.faceTotal[2].sigma, seconds(start));
            std::fflush(log);
        }
        for (int x = 0; x < kScoringMedia; ++x) {
            const std::string name = std::string("dBSF-") + mediumNames[x] + "Dose-" + phantoms[p].suffix + ".dat";
            const std::string header = std::string("ring mid radius (cm), differential BSF of ") + mediumNames[x]
                + " dose at 1,5,10,...,150 keV; " + phantoms[p].name + " ICRU-44 soft tissue phantom, velnor-mcgen "
                + std::to_string(plan.bsfHistories) + " histories per energy";
            writeTextLines(folder / name, bsfFileLines(byNode[x], header));
        }
    }

    // ATR response.
    const Medium pmma(refdata::pmma());
    const AtrGeometry geometry;
    std::vector<std::string> atr = {"E(keV), X0 free in air, X1 behind 2 cm PMMA (keV cm2/g per unit fluence), X1/X0"};
    for (int j = 1; j <= 300; ++j) {
        const double e = 0.5 * j;
        const double x0 = refdata::massEnergyAbsorption(refdata::dryAir(), e) * e;
        double ratio = 0;
        if (e >= 5.0) {
            RunSettings run{plan.atrHistories, 10000, plan.seed + 100000 + static_cast<std::uint64_t>(j), plan.threads};
            const Estimate scatter = simulateAtrScatter(pmma, airKerma, e, geometry, run);
            ratio = std::exp(-pmma.coefficients(e).total() * geometry.plateThicknessCm) + scatter.mean;
        }
        atr.push_back(formatted("%.1f", e) + formatted(", %.6E", x0) + formatted(", %.6E", x0 * ratio) + formatted(", %.6E", ratio));
    }
    writeTextLines(folder / "dATR.dat", atr);
    std::fprintf(log, "ATR response: 300 bins (%.0f s)\n", seconds(start));

    // Depth-dose scatter kernels.
    std::filesystem::create_directories(folder / "PDS-data");
    const Cylinder cylinder{50, 50};
    for (int e = 10; e <= 150; e += 5) {
        RunSettings run{plan.kernelHistories, 10000, plan.seed + 200000 + static_cast<std::uint64_t>(e), plan.threads};
        KernelResult k = simulateScatterKernel(soft, cylinder, softKerma, e, run);
        long long empty = 0;
        for (long long c : k.collisions)
            empty += c == 0;
        fillEmptyKernelEntries(k.values, k.collisions, soft.coefficients(e).total());
        writeTextLines(folder / "PDS-data" / (std::to_string(e) + ".dat"), kernelFileLines(k.values));
        std::fprintf(log, "kernel %3d keV: %lld of 6400 entries extrapolated (%.0f s)\n", e, empty, seconds(start));
        std::fflush(log);
    }
}

} // namespace velnor::mcgen
