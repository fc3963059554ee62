#include "tools/refdata/DataFiles.h"

#include "common/DisplayFormat.h"
#include "common/TextFile.h"
#include "tools/refdata/Elements.h"
#include "tools/refdata/Materials.h"

#include <xraylib/xraylib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace velnor::refdata {
namespace {

std::string printf1(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Densities of the anode and filter metals as the spectrum model uses them, g/cm^3.
constexpr double kTungstenDensity = 19.3;
constexpr double kAluminiumDensity = 2.699;
constexpr double kCopperDensity = 8.96;

} // namespace

std::vector<std::string> attenuationTableLines()
{
    const Material w{"W", kTungstenDensity, {{74, 1.0}}};
    const Material al{"Al", kAluminiumDensity, {{13, 1.0}}};
    const Material cu{"Cu", kCopperDensity, {{29, 1.0}}};
    const Material air = dryAir();
    const Material soft = icruSoftTissue();
    const Material skin = icruSkin();
    std::vector<std::string> lines;
    for (int j = 1; j <= 300; ++j) {
        // Each bin is evaluated at its own energy: the tungsten K edge
        // (69.525 keV) falls between bins 139 (69.5) and 140 (70.0).
        const double e = 0.5 * j;
        std::string line = printf1("%10.3E", e);
        for (const Material* m : {&w, &al, &cu})
            line += printf1("%15.6E", massAttenuation(*m, e).total() * m->densityGPerCm3);
        for (const Material* m : {&air, &soft, &skin})
            line += printf1("%15.6E", massEnergyAbsorption(*m, e));
        lines.push_back(line);
    }
    return lines;
}

namespace {

// Energies of the tissue attenuation rows, keV: denser where the coefficients
// bend (the K edges of Na to K lie between 1 and 4 keV), last row above 150 keV.
const double kTissueEnergiesKev[] = {1,  1.25, 1.5, 2,  2.5, 3,  3.5, 4,   5,   6,   7,   8,   10,  12.5, 15,  17.5, 20,  25,
                                     30, 35,   40,  45, 50,  60, 70,  80,  90,  100, 110, 120, 130, 140,  150, 175,  200};

// Momentum transfer x = sin(theta/2)/lambda [1/angstrom] of the scattering-function
// rows: fine where the form factors of H, C, N and O fall and S(x) rises (x < 2),
// coarser towards 10 where both are nearly flat.
const double kMomentumTransfer[] = {0,    0.025, 0.05, 0.075, 0.1,  0.125, 0.15, 0.175, 0.2, 0.25, 0.3, 0.35,
                                    0.4,  0.45,  0.5,  0.55,  0.6,  0.7,   0.8,  0.9,   1.0, 1.1,  1.2, 1.35,
                                    1.5,  1.65,  1.8,  2.0,   2.25, 2.5,   2.75, 3.0,   3.5, 4.0,  4.5, 5.0,
                                    5.5,  6.0,   6.5,  7.0,   7.5,  8.0,   8.5,  9.0,   10.0};
static_assert(sizeof kMomentumTransfer / sizeof kMomentumTransfer[0] == 45);

// Squared form factor and incoherent scattering function of the material per
// average atom: sums over its atoms weighted by their number fractions.
struct ScatteringFunctions {
    double formFactorSquared;
    double incoherent;
};

ScatteringFunctions scatteringFunctions(const Material& m, double x)
{
    double atoms = 0.0;
    for (const Constituent& c : m.constituents)
        atoms += c.massFraction / atomicWeight(c.Z);
    ScatteringFunctions s{0, 0};
    for (const Constituent& c : m.constituents) {
        const double fraction = c.massFraction / atomicWeight(c.Z) / atoms;
        const double f = formFactor(c.Z, x);
        s.formFactorSquared += fraction * f * f;
        s.incoherent += fraction * incoherentScatteringFunction(c.Z, x);
    }
    return s;
}

// C(x) = integral from 0 to x of F^2(x') d(x'^2), by Simpson's rule on a fine
// grid in x' (d(x'^2) = 2 x' dx').
double cumulativeCoherent(const Material& m, double x)
{
    if (x <= 0)
        return 0.0;
    const int n = 2000;
    const double h = x / n;
    double sum = 0.0;
    for (int i = 0; i <= n; ++i) {
        const double xi = i * h;
        const double weight = (i == 0 || i == n) ? 1.0 : (i % 2 ? 4.0 : 2.0);
        sum += weight * scatteringFunctions(m, xi).formFactorSquared * 2.0 * xi;
    }
    return sum * h / 3.0;
}

} // namespace

std::vector<std::string> tissueDataLines()
{
    const Material soft = icruSoftTissue();
    std::vector<std::string> lines;
    const int rows = static_cast<int>(sizeof kTissueEnergiesKev / sizeof kTissueEnergiesKev[0]);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%3d", rows);
    lines.push_back(buffer);
    lines.push_back(printf1("%9.6f", soft.densityGPerCm3));
    for (double e : kTissueEnergiesKev) {
        const MassAttenuation a = massAttenuation(soft, e);
        std::string line = printf1("%9.3E", e / 1000.0);
        line += printf1("%10.3E", a.coherent * soft.densityGPerCm3);
        line += printf1("%10.3E", a.incoherent * soft.densityGPerCm3);
        line += printf1("%10.3E", a.photoelectric * soft.densityGPerCm3);
        lines.push_back(line);
    }
    for (double x : kMomentumTransfer) {
        std::string line = printf1("%10.3E", x);
        line += printf1("%12.5E", cumulativeCoherent(soft, x));
        line += printf1("%12.5E", scatteringFunctions(soft, x).incoherent);
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> primaryLines()
{
    const Material soft = icruSoftTissue();
    std::vector<std::string> lines;
    for (int e = 10; e <= 150; e += 5)
        lines.push_back(std::to_string(e) + ", " + printf1("%.5E", e * massEnergyAbsorption(soft, e)));
    for (int e : {160, 200})
        lines.push_back(std::to_string(e) + ", " + printf1("%.5E", e * massEnergyAbsorption(soft, e)));
    return lines;
}

namespace {

// Where xraylib's photoelectric cross-section of element Z jumps near the
// tabulated edge energy: bisection between points 0.5 % either side. Returns
// the pair of energies [keV] just below and just above the jump.
std::pair<double, double> locateEdge(int Z, double edgeKev)
{
    double below = edgeKev * (1 - 5e-3);
    double above = edgeKev * (1 + 5e-3);
    const double threshold = std::sqrt(photoelectricCrossSection(Z, below) * photoelectricCrossSection(Z, above));
    for (int i = 0; i < 60; ++i) {
        const double middle = 0.5 * (below + above);
        (photoelectricCrossSection(Z, middle) > threshold ? above : below) = middle;
    }
    return {below, above};
}

// Rounds to the 8 significant digits written in the files, in the direction given.
double roundedMev(double kev, bool up)
{
    const double mev = kev / 1000.0;
    const double scale = std::pow(10.0, 7 - std::floor(std::log10(mev)));
    return (up ? std::ceil(mev * scale) : std::floor(mev * scale)) / scale;
}

// Row energies of a filter material file, MeV: 24 per decade from 1 keV to
// 150 keV, where the spectrum needs them, then 6 per decade to 10 MeV, which
// only bracket the interpolation; and a pair of rows just below and just
// above every absorption edge between 1 and 150 keV, so that interpolation
// never crosses an edge.
std::vector<double> filterRowEnergies(const Material& m)
{
    std::vector<std::pair<double, double>> edgePairs;
    for (const Constituent& c : m.constituents)
        for (int shell = K_SHELL; shell <= M5_SHELL; ++shell) {
            const double edge = edgeEnergyKev(c.Z, shell);
            if (edge > 1.0 && edge < 150.0) {
                const auto [below, above] = locateEdge(c.Z, edge);
                edgePairs.emplace_back(roundedMev(below, false), roundedMev(above, true));
            }
        }
    std::vector<double> gridKev;
    for (int i = 0; std::pow(10.0, i / 24.0) < 150.0; ++i)
        gridKev.push_back(std::pow(10.0, i / 24.0));
    for (int i = 0; i <= 11; ++i)
        gridKev.push_back(150.0 * std::pow(10000.0 / 150.0, i / 11.0));
    std::vector<double> energies;
    for (double kev : gridKev) {
        const double mev = std::round(kev * 1e4) / 1e7;
        const bool nearEdge = std::any_of(edgePairs.begin(), edgePairs.end(), [&](const auto& p) {
            return mev >= p.first * (1 - 5e-3) && mev <= p.second * (1 + 5e-3);
        });
        if (!nearEdge)
            energies.push_back(mev);
    }
    for (const auto& [below, above] : edgePairs) {
        energies.push_back(below);
        energies.push_back(above);
    }
    std::sort(energies.begin(), energies.end());
    energies.front() = 0.001;
    energies.back() = 10.0;
    return energies;
}

FilterMaterialFile filterFile(const std::string& fileName, const Material& m, double secondValue)
{
    FilterMaterialFile file{fileName, {m.name, printf1("%.5g", m.densityGPerCm3) + " " + printf1("%.5g", secondValue)}};
    for (double e : filterRowEnergies(m)) {
        // The written energy (8 significant digits) is the one evaluated.
        const double mev = std::stod(printf1("%.7E", e));
        const MassAttenuation a = massAttenuation(m, mev * 1000.0);
        std::string line = printf1("%.7E", mev);
        for (double v : {a.coherent, a.incoherent, a.photoelectric, a.total(), a.incoherent + a.photoelectric})
            line += printf1(" %.5E", v);
        file.lines.push_back(line);
    }
    return file;
}

double meanZOverA(const Material& m)
{
    double sum = 0;
    for (const Constituent& c : m.constituents)
        sum += c.massFraction * c.Z / atomicWeight(c.Z);
    return sum;
}

} // namespace

std::vector<FilterMaterialFile> filterMaterialFiles()
{
    struct ElementFilter {
        int Z;
        const char* symbol;
        const char* name;
    };
    const ElementFilter elements[] = {
        {13, "Al", "Al アルミニウム"}, {22, "Ti", "Ti チタン"},     {26, "Fe", "Fe 鉄"},       {29, "Cu", "Cu 銅"},
        {41, "Nb", "Nb ニオブ"},       {42, "Mo", "Mo モリブデン"}, {45, "Rh", "Rh ロジウム"}, {47, "Ag", "Ag 銀"},
        {50, "Sn", "Sn スズ"},         {64, "Gd", "Gd ガドリニウム"}, {68, "Er", "Er エルビウム"}, {73, "Ta", "Ta タンタル"},
        {74, "W", "W タングステン"},   {82, "Pb", "Pb 鉛"},
    };
    std::vector<FilterMaterialFile> files;
    for (const ElementFilter& e : elements)
        files.push_back(filterFile(std::string(e.symbol) + ".ele", element(e.Z, e.name), e.Z));
    Material w = water();
    w.name = "水 (H2O)";
    files.push_back(filterFile("Water.mix", w, meanZOverA(w)));
    Material p = pmma();
    p.name = "アクリル (PMMA)";
    files.push_back(filterFile("PMMA.mix", p, meanZOverA(p)));
    return files;
}

namespace {

// Air kerma of a Kramers thick-target spectrum at tube voltage V behind
// `alCm` of aluminium (relative units): energy fluence per keV proportional to
// (V - E), attenuated, weighted by muen/rho of air; 0.5-keV steps.
double kramersAirKerma(double kv, double alCm)
{
    const Material al{"Al", kAluminiumDensity, {{13, 1.0}}};
    const Material air = dryAir();
    double sum = 0.0;
    for (double e = 1.0; e < kv; e += 0.5) {
        const double mu = massAttenuation(al, e).total() * al.densityGPerCm3;
        sum += (kv - e) * std::exp(-mu * alCm) * massEnergyAbsorption(air, e);
    }
    return sum;
}

// Ratio of the exposure per mAs of a waveform to that of constant potential at
// the same peak voltage: the current-weighted mean of the air kerma over the
// waveform's phases (the phases and current weights of the spectrum model),
// divided by the air kerma at the peak voltage.
double waveformFactor(int rectification, double kv, double alCm)
{
    std::vector<double> phases;
    if (rectification == 2)
        for (int p = 75; p <= 90; ++p)
            phases.push_back(p);
    else
        for (int p = 2; p <= 90; p += 2)
            phases.push_back(p);
    double weighted = 0.0;
    double weights = 0.0;
    for (double phase : phases) {
        const double s = std::sin(phase * M_PI / 180.0);
        const double w = rectification == 3 ? std::pow(std::min(1.0, s / 0.75), 1.5) : 1.0;
        weighted += w * kramersAirKerma(kv * s, alCm);
        weights += w;
    }
    return weighted / weights / kramersAirKerma(kv, alCm);
}

} // namespace

std::vector<std::string> defaultOutputLines()
{
    // Measured fleet average for constant potential: air kerma per mAs at 1 m
    // about 0.00864 kV^1.98 uGy/mAs (about 51 uGy/mAs at 80 kV) with 2.5 mm Al
    // total filtration; exposure = air kerma / 33.97 Gy per C/kg.
    const double filtrationMm = 2.5;
    std::vector<std::string> lines;
    lines.push_back("標準管球出力 (焦点から1m, 総濾過 2.5 mmAl): 定電圧 0.00864*kV^1.98 uGy/mAs, "
                    "三相12ピーク・単相全波は Kramers 厚ターゲットモデルで換算");
    std::string voltages;
    for (int row = 1; row <= 12; ++row)
        voltages += formatNumber(30.0 + 10.0 * row, "###.# ");
    lines.push_back(voltages);
    for (int code = 1; code <= 3; ++code) {
        std::string line;
        for (int row = 1; row <= 12; ++row) {
            const double kv = 30.0 + 10.0 * row;
            const double constantPotential = 0.00864e-6 * std::pow(kv, 1.98) / 33.97;
            const double factor = code == 1 ? 1.0 : waveformFactor(code, kv, filtrationMm / 10.0);
            line += formatNumber(constantPotential * factor, "0.00E+00 ");
        }
        line += formatNumber(filtrationMm, "#0.00 ") + formatNumber(0.0, "#0.00");
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> bodyPartLines()
{
    return {"腹部正面", "胸部正面", "胸部側面", "頭部正面", "頭部側面", "頸椎正面", "頸椎側面", "胸椎正面",
            "胸椎側面", "腰椎正面", "腰椎側面", "骨盤正面", "股関節正面", "腹部側面"};
}

void writeAll(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    writeTextLines(folder / "Att_coeff2020.dat", attenuationTableLines());
    writeTextLines(folder / "ICRUSoft.dat", tissueDataLines());
    writeTextLines(folder / "Primary.dat", primaryLines());
    writeTextLines(folder / "default-output.op", defaultOutputLines());
    writeTextLines(folder / "撮影部位.txt", bodyPartLines());
    for (const FilterMaterialFile& f : filterMaterialFiles())
        writeTextLines(folder / f.fileName, f.lines);
}

} // namespace velnor::refdata
