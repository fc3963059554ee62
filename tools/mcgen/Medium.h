#pragma once

#include "tools/refdata/Materials.h"

#include <vector>

namespace velnor::mcgen {

class Random;

// Photon interaction data of one material for transport, tabulated from
// xraylib on a fine logarithmic energy grid (1 to 200 keV) and interpolated
// log-log: linear coefficients per cm of coherent, incoherent and
// photoelectric interaction, and the tables that sample the two scatterings
// (coherent: the squared form factor of the material; incoherent:
// Klein-Nishina corrected by the incoherent scattering function).
class Medium {
public:
    explicit Medium(const refdata::Material& material);

    struct Coefficients {
        double coherent, incoherent, photoelectric; // 1/cm
        double total() const { return coherent + incoherent + photoelectric; }
    };
    // E: photon energy [keV], 1 to 200.
    Coefficients coefficients(double energyKev) const;

    // Cosine of the scattering angle of a coherent scattering at E.
    double sampleCoherentCosine(double energyKev, Random& random) const;
    // Scattered energy and cosine of an incoherent scattering at E.
    void sampleIncoherent(double energyKev, Random& random, double& scatteredKev, double& cosine) const;

    // Probability density per steradian of scattering by angle theta, given a
    // scattering of that kind (for next-event estimators).
    double coherentDensity(double energyKev, double cosine) const;
    double incoherentDensity(double energyKev, double cosine) const;

    const refdata::Material& material() const { return m_material; }

private:
    double formFactorSquared(double x) const;
    double incoherentFunction(double x) const;
    double cumulativeFormFactor(double xSquared) const;
    // Unnormalised angular distributions and their integrals over the sphere.
    double coherentShape(double energyKev, double cosine) const;
    double incoherentShape(double energyKev, double cosine) const;
    void buildDensityNormalisation();
    double normalisation(const std::vector<double>& table, double energyKev) const;

    refdata::Material m_material;
    std::vector<double> m_lnEnergy, m_lnCoherent, m_lnIncoherent, m_lnPhoto;
    double m_lnEnergyStep = 0;
    // Per average atom, on x = sin(theta/2)/lambda from 0 to kMaxX.
    std::vector<double> m_xGrid, m_formFactorSquared, m_incoherentFunction, m_cumulative; // cumulative in x^2
    double m_maxIncoherentFunction = 0;
    std::vector<double> m_coherentNorm, m_incoherentNorm;
};

// Mass energy-absorption coefficient of a scoring medium [cm^2/g] on the same
// fine grid, for scoring kerma.
class EnergyAbsorption {
public:
    explicit EnergyAbsorption(const refdata::Material& material);
    double operator()(double energyKev) const;

private:
    std::vector<double> m_lnValues;
};

inline constexpr double kHcKevAngstrom = 12.398419843; // lambda [A] = hc / E
inline constexpr double kElectronRestKev = 510.99895;

} // namespace velnor::mcgen
