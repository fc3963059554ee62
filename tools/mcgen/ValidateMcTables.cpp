// velnor-mcgen-validate [--quick] DATA: checks the Monte Carlo tables in DATA.
//  1. Water backscatter tables made by the same generator, used by the planar
//     method with our spectrum model, against published backscatter factors
//     for water (Benmakhlouf, Bouchard, Fazel and Andreo, Phys. Med. Biol. 56
//     (2011) 7179; W anode, 2.5 mm Al total filtration, square fields at the
//     surface, 100 cm from the focus).
//  2. Reciprocity: direct simulations of a 20 x 20 cm field at the surface
//     against the ring sums of the shipped tables, for the backscatter factor
//     at the field centre and the scatter kerma on the central axis (kernel
//     sum of the depth-dose program). A parallel beam must agree within
//     three standard deviations; a focus at 100 cm shows what the ring sums
//     leave out for a divergent beam (the obliquity of the rays).
#include "common/FreeFormatReader.h"
#include "main/dose/PlanarBackscatter.h"
#include "main/records/ReferenceLoader.h"
#include "main/spectrum/SpectrumModel.h"
#include "tools/mcgen/BroadField.h"
#include "tools/mcgen/McTables.h"
#include "tools/refdata/Materials.h"

#include <cmath>
#include <limits>
#include <cstdio>
#include <string>
#include <thread>

namespace velnor::mcgen {
namespace {

// Fraction of the ring between radii r0 and r1 inside the rectangle |x| <= a, |y| <= b.
double ringFractionInRectangle(double r0, double r1, double a, double b)
{
    auto quarterDiscInside = [&](double r) {
        const int n = 2000;
        const double xMax = std::min(a, r);
        double sum = 0;
        for (int i = 0; i < n; ++i) {
            const double x = (i + 0.5) * xMax / n;
            sum += std::min(b, std::sqrt(std::max(0.0, r * r - x * x)));
        }
        return sum * xMax / n;
    };
    return (quarterDiscInside(r1) - quarterDiscInside(r0)) / (M_PI / 4 * (r1 * r1 - r0 * r0));
}

std::vector<double> readKernel(const std::filesystem::path& path)
{
    FreeFormatReader reader = FreeFormatReader::fromFile(path);
    std::vector<double> k;
    for (int i = 0; i < kKernelSize * kKernelSize; ++i)
        k.push_back(reader.readNumber());
    return k;
}

int validateWater(const std::filesystem::path& data, const RunSettings& base)
{
    const refdata::Material waterMaterial = refdata::water();
    const Medium water(waterMaterial);
    const EnergyAbsorption waterKerma(waterMaterial);
    ReferenceTables tables;
    tables.attenuation = readAttenuationTable(data / "Att_coeff2020.dat");
    const OutputDataTable output = loadOutputDataTable(data / "default-output.op");
    for (int j = 1; j <= kBinCount; ++j)
        tables.attenuation.muenSoftTissue[static_cast<std::size_t>(j)] = waterKerma(std::max(1.0, 0.5 * j));
    int node = 1;
    for (double e : bsfNodeEnergies()) {
        RunSettings run = base;
        run.seed += 500 + static_cast<std::uint64_t>(node);
        const RingResult r = simulateBackscatterRings(water, bodyPhantom(), e, {&waterKerma, &waterKerma, &waterKerma}, run);
        for (int i = 1; i <= kBsfRings; ++i)
            tables.bsfSoftTissue.at(kPhantomBody, node, i) = r.rings[0][static_cast<std::size_t>(i)];
        ++node;
    }
    struct Published {
        double kv, hvlMm, field, bsf;
    };
    const Published published[] = {{50, 1.78, 10, 1.239}, {50, 1.78, 20, 1.260}, {80, 2.77, 10, 1.312},
                                   {80, 2.77, 20, 1.364}, {100, 3.52, 10, 1.339}, {100, 3.52, 20, 1.408}};
    std::printf("Water backscatter factors (water kerma), planar method, our spectrum model at 12 degrees, 2.5 mm Al:\n");
    std::printf("  kV  field     ours  published  difference\n");
    int failures = 0;
    for (const Published& p : published) {
        ExposureConditions c;
        c.tubeVoltageKv = p.kv;
        c.inherentFiltrationCm = 0.25;
        c.addedAlCm = 0;
        c.addedCuCm = 0;
        c.focusSurfaceDistanceCm = 100;
        c.focusReceptorDistanceCm = 100;
        c.fieldLongCm = p.field;
        c.fieldShortCm = p.field;
        const SpectrumResult s = computeSpectrum(c, tables.attenuation, output);
        const double bsf = planarBackscatter(c, tables, s.photonSpectrum).softTissue;
        const double difference = (bsf - p.bsf) / p.bsf;
        failures += std::fabs(difference) > 0.03;
        std::printf("  %3.0f  %2.0fx%-2.0f  %7.3f  %9.3f  %+8.1f %%\n", p.kv, p.field, p.field, bsf, p.bsf, 100 * difference);
    }
    return failures;
}

// Ring sum of a differential table for a detector point (x0, y0) on the
// surface of a square field of half side `half`, averaged over a disc of
// radius `discCm` around the centre: each ring is centred on the detector
// point, and the part of it inside the field counts with the primary's
// inverse-square weight at its entry points (1 for a parallel beam).
double discAveragedRingSum(const std::vector<double>& rings, double half, double fsdCm, double discCm)
{
    auto at = [&](double x0, double y0) {
        double sum = 0;
        for (int i = 1; i <= kRingCount; ++i) {
            const double r = (i - 0.5) * kRingWidthCm;
            const int n = 360;
            double inside = 0;
            for (int q = 0; q < n; ++q) {
                const double a = 2 * M_PI * (q + 0.5) / n;
                const double x = x0 + r * std::cos(a), y = y0 + r * std::sin(a);
                if (std::fabs(x) <= half && std::fabs(y) <= half)
                    inside += std::isfinite(fsdCm) ? fsdCm * fsdCm / (fsdCm * fsdCm + x * x + y * y) : 1.0;
            }
            sum += rings[static_cast<std::size_t>(i)] * inside / n;
        }
        return 1 + sum;
    };
    double sum = 0, weights = 0;
    for (int k = 0; k < 8; ++k)
        for (int q = 0; q < 6; ++q) {
            const double rho = (k + 0.5) * discCm / 8, phi = 2 * M_PI * (q + 0.5) / 6;
            sum += rho * at(rho * std::cos(phi), rho * std::sin(phi));
            weights += rho;
        }
    return sum / weights;
}

int validateReciprocity(const std::filesystem::path& data, const RunSettings& base, long long directHistories)
{
    const refdata::Material softMaterial = refdata::icruSoftTissue();
    const Medium soft(softMaterial);
    const EnergyAbsorption softKerma(softMaterial);
    ReferenceTables tables;
    readDifferentialBsfFile(data / "dBSF-SoftDose-SoftPhantom.dat", tables.bsfSoftTissue, kPhantomBody);
    const double inf = std::numeric_limits<double>::infinity();
    const double disc = 1.0;
    int failures = 0;
    std::printf("\nBackscatter factor at the centre of a 20 x 20 cm field, body phantom, soft-tissue kerma\n");
    std::printf("(direct: exits through a 1 cm disc at the centre; table: ring sum averaged over the same disc):\n");
    std::printf("  keV  beam             direct               table     difference\n");
    for (int node : {7, 13, 21}) { // 30, 60, 100 keV
        const double e = bsfColumnEnergyKev(node);
        std::vector<double> rings(kRingCount + 1, 0.0);
        for (int i = 1; i <= kRingCount; ++i)
            rings[static_cast<std::size_t>(i)] = tables.bsfSoftTissue.at(kPhantomBody, node, i);
        for (double fsd : {inf, 100.0}) {
            RunSettings run = base;
            run.histories = directHistories;
            run.seed += 7000 + static_cast<std::uint64_t>(node) + (std::isfinite(fsd) ? 100u : 0u);
            const Estimate direct = simulateCentralBackscatter(soft, bodyPhantom(), softKerma, e, fsd, 20, disc, run);
            const double table = discAveragedRingSum(rings, 10, fsd, disc);
            const bool agrees = std::fabs(direct.mean - table) <= 3 * direct.sigma;
            if (!std::isfinite(fsd))
                failures += !agrees;
            std::printf("  %3.0f  %-15s  %7.4f +- %.4f   %7.4f   %+6.2f %%%s\n", e, std::isfinite(fsd) ? "focus at 100 cm" : "parallel",
                        direct.mean, direct.sigma, table, 100 * (table - direct.mean) / direct.mean, agrees ? "" : "  (beyond 3 sd)");
        }
    }

    std::printf("\nScatter kerma on the central axis per unit surface fluence (keV cm2/g), 20 x 20 cm field,\n");
    std::printf("cylinder phantom 50 cm in radius and depth (direct: 1 cm radius on the axis; kernels: ring sum):\n");
    std::printf("  keV  beam             slab (cm)    direct              kernels    difference\n");
    const std::vector<int> slabs = {1, 3, 9, 19}; // 0.5-1, 1.5-2, 4.5-5, 9.5-10 cm
    for (int e : {30, 60, 100}) {
        const std::vector<double> kernel = readKernel(data / "PDS-data" / (std::to_string(e) + ".dat"));
        for (double fsd : {inf, 100.0}) {
            RunSettings run = base;
            run.histories = directHistories;
            run.seed += 9000 + static_cast<std::uint64_t>(e) + (std::isfinite(fsd) ? 100u : 0u);
            const std::vector<Estimate> direct =
                simulateCentralScatterKerma(soft, Cylinder{50, 50}, softKerma, e, fsd, 20, disc, slabs, run);
            for (std::size_t s = 0; s < slabs.size(); ++s) {
                const int m = slabs[s];
                const double d = 0.5 * (m + 1) - 0.25;
                // The depth-dose program's divergence: the field widens and the fluence falls with depth.
                const double half = std::isfinite(fsd) ? 10 * (fsd + d) / fsd : 10;
                const double g = std::isfinite(fsd) ? std::pow(fsd / (fsd + d), 2) : 1;
                double sum = 0;
                for (int j = 1; j <= kKernelSize; ++j)
                    sum += ringFractionInRectangle(0.5 * (j - 1), 0.5 * j, half, half) * g
                        * kernel[static_cast<std::size_t>(m * kKernelSize + j - 1)];
                const bool agrees = std::fabs(sum - direct[s].mean) <= 3 * direct[s].sigma;
                if (!std::isfinite(fsd))
                    failures += !agrees;
                std::printf("  %3d  %-15s  %4.1f-%-4.1f  %8.4f +- %.4f   %8.4f   %+6.2f %%%s\n", e,
                            std::isfinite(fsd) ? "focus at 100 cm" : "parallel", 0.5 * m, 0.5 * (m + 1), direct[s].mean,
                            direct[s].sigma, sum, 100 * (sum - direct[s].mean) / direct[s].mean, agrees ? "" : "  (beyond 3 sd)");
            }
        }
    }
    return failures;
}

} // namespace
} // namespace velnor::mcgen

int main(int argc, char** argv)
{
    velnor::mcgen::RunSettings run;
    run.histories = 2'000'000;
    run.threads = std::max(1u, std::thread::hardware_concurrency());
    long long directHistories = 20'000'000;
    std::string data;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            run.histories = 5000;
            directHistories = 20000;
        } else if (arg == "--help") {
            std::puts("usage: velnor-mcgen-validate [--quick] DATA\n"
                      "Compares water backscatter factors with published values and checks the shipped\n"
                      "backscatter tables and kernels in DATA against direct broad-field simulations.");
            return 0;
        } else {
            data = arg;
        }
    }
    if (data.empty()) {
        std::fprintf(stderr, "velnor-mcgen-validate: no data folder (see --help)\n");
        return 2;
    }
    try {
        const int failures = velnor::mcgen::validateWater(data, run) + velnor::mcgen::validateReciprocity(data, run, directHistories);
        std::printf("\n%s\n", failures == 0 ? "all checks within their limits" : "some checks are outside their limits");
        return failures == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-mcgen-validate: %s\n", e.what());
        return 2;
    }
}
