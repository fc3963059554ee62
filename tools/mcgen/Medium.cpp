#include "tools/mcgen/Medium.h"

#include "tools/mcgen/Random.h"
#include "tools/refdata/Elements.h"

#include <algorithm>
#include <cmath>

namespace velnor::mcgen {
namespace {

constexpr double kMinEnergyKev = 1.0;
constexpr double kMaxEnergyKev = 200.0;
constexpr int kEnergyPoints = 4000;
constexpr double kMaxX = 13.0; // above 200 keV / 12.4 keV A for coherent use at 150 keV
constexpr int kXPoints = 6000;
constexpr int kNormalisationPoints = 300;

double lnEnergyAt(int i) { return std::log(kMinEnergyKev) + i * std::log(kMaxEnergyKev / kMinEnergyKev) / (kEnergyPoints - 1); }

// Position in the log-energy grid: index and fraction.
void locate(double energyKev, double step, int& i, double& f)
{
    const double t = (std::log(energyKev) - std::log(kMinEnergyKev)) / step;
    i = std::clamp(static_cast<int>(t), 0, kEnergyPoints - 2);
    f = t - i;
}

} // namespace

Medium::Medium(const refdata::Material& material) : m_material(material)
{
    m_lnEnergyStep = std::log(kMaxEnergyKev / kMinEnergyKev) / (kEnergyPoints - 1);
    for (int i = 0; i < kEnergyPoints; ++i) {
        const double e = std::exp(lnEnergyAt(i));
        const refdata::MassAttenuation a = refdata::massAttenuation(material, e);
        m_lnEnergy.push_back(lnEnergyAt(i));
        m_lnCoherent.push_back(std::log(a.coherent * material.densityGPerCm3));
        m_lnIncoherent.push_back(std::log(a.incoherent * material.densityGPerCm3));
        m_lnPhoto.push_back(std::log(a.photoelectric * material.densityGPerCm3));
    }
    // Number fractions of the atoms, for per-atom form factors.
    double atoms = 0;
    for (const auto& c : material.constituents)
        atoms += c.massFraction / refdata::atomicWeight(c.Z);
    for (int k = 0; k < kXPoints; ++k) {
        // Quadratic spacing: fine at small x where the form factors fall.
        const double x = kMaxX * std::pow(static_cast<double>(k) / (kXPoints - 1), 2);
        double f2 = 0, s = 0;
        for (const auto& c : material.constituents) {
            const double fraction = c.massFraction / refdata::atomicWeight(c.Z) / atoms;
            const double f = refdata::formFactor(c.Z, x);
            f2 += fraction * f * f;
            s += fraction * refdata::incoherentScatteringFunction(c.Z, x);
        }
        m_xGrid.push_back(x);
        m_formFactorSquared.push_back(f2);
        m_incoherentFunction.push_back(s);
        m_maxIncoherentFunction = std::max(m_maxIncoherentFunction, s);
    }
    // C(x^2) = integral of F^2 d(x^2), trapezoids in x^2.
    m_cumulative.assign(kXPoints, 0.0);
    for (int k = 1; k < kXPoints; ++k) {
        const double dx2 = m_xGrid[k] * m_xGrid[k] - m_xGrid[k - 1] * m_xGrid[k - 1];
        m_cumulative[k] = m_cumulative[k - 1] + 0.5 * (m_formFactorSquared[k] + m_formFactorSquared[k - 1]) * dx2;
    }
    buildDensityNormalisation();
}

Medium::Coefficients Medium::coefficients(double energyKev) const
{
    int i;
    double f;
    locate(energyKev, m_lnEnergyStep, i, f);
    auto interpolate = [&](const std::vector<double>& v) { return std::exp(v[i] + f * (v[i + 1] - v[i])); };
    return {interpolate(m_lnCoherent), interpolate(m_lnIncoherent), interpolate(m_lnPhoto)};
}

namespace {

double tableValue(const std::vector<double>& grid, const std::vector<double>& values, double x)
{
    if (x >= grid.back())
        return values.back();
    const auto it = std::upper_bound(grid.begin(), grid.end(), x);
    const std::size_t k = static_cast<std::size_t>(it - grid.begin());
    const double f = (x - grid[k - 1]) / (grid[k] - grid[k - 1]);
    return values[k - 1] + f * (values[k] - values[k - 1]);
}

} // namespace

double Medium::formFactorSquared(double x) const { return tableValue(m_xGrid, m_formFactorSquared, x); }

double Medium::incoherentFunction(double x) const { return tableValue(m_xGrid, m_incoherentFunction, x); }

double Medium::cumulativeFormFactor(double xSquared) const
{
    return tableValue(m_xGrid, m_cumulative, std::sqrt(xSquared));
}

double Medium::sampleCoherentCosine(double energyKev, Random& random) const
{
    // x^2 from the distribution F^2(x) d(x^2) up to the largest x at this
    // energy, then the Thomson factor (1 + cos^2) / 2 by rejection.
    const double lambda = kHcKevAngstrom / energyKev;
    const double xMax = 1.0 / lambda;
    const double cMax = cumulativeFormFactor(xMax * xMax);
    for (;;) {
        const double u = random.uniform() * cMax;
        const auto it = std::upper_bound(m_cumulative.begin(), m_cumulative.end(), u);
        const std::size_t k = std::min(static_cast<std::size_t>(it - m_cumulative.begin()), m_cumulative.size() - 1);
        const double x0 = m_xGrid[k - 1] * m_xGrid[k - 1];
        const double x1 = m_xGrid[k] * m_xGrid[k];
        const double c0 = m_cumulative[k - 1];
        const double c1 = m_cumulative[k];
        const double x2 = c1 > c0 ? x0 + (u - c0) / (c1 - c0) * (x1 - x0) : x0;
        const double cosine = std::clamp(1.0 - 2.0 * x2 * lambda * lambda, -1.0, 1.0);
        if (2.0 * random.uniform() <= 1.0 + cosine * cosine)
            return cosine;
    }
}

void Medium::sampleIncoherent(double energyKev, Random& random, double& scatteredKev, double& cosine) const
{
    // Klein-Nishina by the method of Butcher and Messel (as in EGS and
    // Geant4), then rejection by S(x) / S_max for electron binding.
    const double k = energyKev / kElectronRestKev;
    const double eps0 = 1.0 / (1.0 + 2.0 * k);
    const double eps0Squared = eps0 * eps0;
    const double alpha1 = -std::log(eps0);
    const double alpha2 = alpha1 + 0.5 * (1.0 - eps0Squared);
    for (;;) {
        double eps, epsSquared;
        if (alpha1 > alpha2 * random.uniform()) {
            eps = std::exp(-alpha1 * random.uniform());
            epsSquared = eps * eps;
        } else {
            epsSquared = eps0Squared + (1.0 - eps0Squared) * random.uniform();
            eps = std::sqrt(epsSquared);
        }
        const double oneMinusCos = (1.0 - eps) / (eps * k);
        const double sinSquared = oneMinusCos * (2.0 - oneMinusCos);
        const double reject = 1.0 - eps * sinSquared / (1.0 + epsSquared);
        if (reject < random.uniform())
            continue;
        const double c = std::clamp(1.0 - oneMinusCos, -1.0, 1.0);
        const double x = std::sqrt(std::max(0.0, (1.0 - c) / 2.0)) * energyKev / kHcKevAngstrom;
        if (incoherentFunction(x) < random.uniform() * m_maxIncoherentFunction)
            continue;
        scatteredKev = eps * energyKev;
        cosine = c;
        return;
    }
}

double Medium::coherentShape(double energyKev, double c) const
{
    const double x = std::sqrt(std::max(0.0, (1.0 - c) / 2.0)) * energyKev / kHcKevAngstrom;
    return (1.0 + c * c) * formFactorSquared(x);
}

double Medium::incoherentShape(double energyKev, double c) const
{
    const double k = energyKev / kElectronRestKev;
    const double ratio = 1.0 / (1.0 + k * (1.0 - c));
    const double x = std::sqrt(std::max(0.0, (1.0 - c) / 2.0)) * energyKev / kHcKevAngstrom;
    return ratio * ratio * (ratio + 1.0 / ratio - (1.0 - c * c)) * incoherentFunction(x);
}

void Medium::buildDensityNormalisation()
{
    for (int i = 0; i < kNormalisationPoints; ++i) {
        const double e = std::exp(std::log(kMinEnergyKev) + i * std::log(kMaxEnergyKev / kMinEnergyKev) / (kNormalisationPoints - 1));
        m_coherentNorm.push_back(2.0 * M_PI * refdata::integrateOverCosine([&](double c) { return coherentShape(e, c); }, 400));
        m_incoherentNorm.push_back(2.0 * M_PI * refdata::integrateOverCosine([&](double c) { return incoherentShape(e, c); }, 400));
    }
}

double Medium::normalisation(const std::vector<double>& table, double energyKev) const
{
    const double t = (std::log(energyKev) - std::log(kMinEnergyKev)) / std::log(kMaxEnergyKev / kMinEnergyKev) * (kNormalisationPoints - 1);
    const int i = std::clamp(static_cast<int>(t), 0, kNormalisationPoints - 2);
    const double f = t - i;
    return table[static_cast<std::size_t>(i)] + f * (table[static_cast<std::size_t>(i + 1)] - table[static_cast<std::size_t>(i)]);
}

double Medium::coherentDensity(double energyKev, double cosine) const
{
    return coherentShape(energyKev, cosine) / normalisation(m_coherentNorm, energyKev);
}

double Medium::incoherentDensity(double energyKev, double cosine) const
{
    return incoherentShape(energyKev, cosine) / normalisation(m_incoherentNorm, energyKev);
}

EnergyAbsorption::EnergyAbsorption(const refdata::Material& material)
{
    for (int i = 0; i < kEnergyPoints; ++i)
        m_lnValues.push_back(std::log(refdata::massEnergyAbsorption(material, std::exp(lnEnergyAt(i)))));
}

double EnergyAbsorption::operator()(double energyKev) const
{
    int i;
    double f;
    locate(energyKev, std::log(kMaxEnergyKev / kMinEnergyKev) / (kEnergyPoints - 1), i, f);
    return std::exp(m_lnValues[i] + f * (m_lnValues[i + 1] - m_lnValues[i]));
}

} // namespace velnor::mcgen
