#pragma once

// Photon interaction data of the elements from xraylib, in cm^2/g, extended
// above xraylib's 800 keV limit for the filter material files:
//  - incoherent: free-electron Klein-Nishina (binding is negligible there),
//  - coherent and photoelectric: log-log extrapolation from 500 and 800 keV.
// Pair production is not included. Every function throws std::runtime_error
// with xraylib's message when it fails.

namespace velnor::refdata {

// E: photon energy [keV]; returns cm^2/g.
double coherentCrossSection(int Z, double energyKev);
double incoherentCrossSection(int Z, double energyKev);
double photoelectricCrossSection(int Z, double energyKev);

// Klein-Nishina cross-sections per free electron [cm^2]: total, and the
// energy-transfer cross-section (total weighted by the mean fraction of the
// photon energy given to the electron). E: photon energy [keV].
double kleinNishinaPerElectron(double energyKev);
double kleinNishinaEnergyTransferPerElectron(double energyKev);

// Mean energy [keV] carried away by K fluorescence per photoabsorption at E:
// P_K omega_K E(K-alpha) above the K edge, with P_K = (J - 1) / J the share of
// photoabsorptions in the K shell (J the K-edge jump ratio); 0 below the edge
// and for H and He.
double meanKFluorescenceEnergyKev(int Z, double energyKev);

// Atomic form factor F(x) and incoherent scattering function S(x) of element
// Z at momentum transfer x = sin(theta/2)/lambda [1/angstrom]; F(0) = Z, S(0) = 0.
double formFactor(int Z, double x);
double incoherentScatteringFunction(int Z, double x);

// Integral of f(cos theta) over cos theta in [-1, 1] by Simpson's rule with
// `intervals` (even) steps.
template <typename F>
double integrateOverCosine(F f, int intervals)
{
    const double h = 2.0 / intervals;
    double sum = f(-1.0) + f(1.0);
    for (int i = 1; i < intervals; ++i)
        sum += f(-1.0 + i * h) * (i % 2 ? 4.0 : 2.0);
    return sum * h / 3.0;
}

double atomicWeight(int Z);    // g/mol
double elementDensity(int Z);  // g/cm^3
double edgeEnergyKev(int Z, int shell); // 0 when xraylib has no such shell

inline constexpr double kAvogadro = 6.02214076e23;          // 1/mol
inline constexpr double kClassicalElectronRadiusCm = 2.8179403262e-13;
inline constexpr double kElectronRestEnergyKev = 510.99895;
inline constexpr double kXraylibMaxEnergyKev = 800.0;

} // namespace velnor::refdata
