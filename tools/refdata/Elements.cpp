#include "tools/refdata/Elements.h"

#include <xraylib/xraylib.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace velnor::refdata {
namespace {

template <typename Function, typename... Args>
double call(const char* name, Function function, Args... args)
{
    xrl_error* error = nullptr;
    const double value = function(args..., &error);
    if (error) {
        const std::string message = std::string("xraylib ") + name + ": " + error->message;
        xrl_error_free(error);
        throw std::runtime_error(message);
    }
    return value;
}

// The same call, giving `fallback` where xraylib has no value.
template <typename Function, typename... Args>
double callOr(double fallback, Function function, Args... args)
{
    xrl_error* error = nullptr;
    const double value = function(args..., &error);
    if (error) {
        xrl_error_free(error);
        return fallback;
    }
    return value;
}

// Log-log extrapolation beyond xraylib's range from its values at 500 and 800 keV.
template <typename Function>
double extrapolateHigh(const char* name, Function function, int Z, double energyKev)
{
    const double e1 = 500.0;
    const double e2 = kXraylibMaxEnergyKev;
    const double v1 = call(name, function, Z, e1);
    const double v2 = call(name, function, Z, e2);
    const double slope = std::log(v2 / v1) / std::log(e2 / e1);
    return v2 * std::pow(energyKev / e2, slope);
}

} // namespace

double coherentCrossSection(int Z, double energyKev)
{
    if (energyKev > kXraylibMaxEnergyKev)
        return extrapolateHigh("CS_Rayl", CS_Rayl, Z, energyKev);
    return call("CS_Rayl", CS_Rayl, Z, energyKev);
}

double incoherentCrossSection(int Z, double energyKev)
{
    if (energyKev > kXraylibMaxEnergyKev)
        return kleinNishinaPerElectron(energyKev) * Z * kAvogadro / atomicWeight(Z);
    return call("CS_Compt", CS_Compt, Z, energyKev);
}

double photoelectricCrossSection(int Z, double energyKev)
{
    if (energyKev > kXraylibMaxEnergyKev)
        return extrapolateHigh("CS_Photo", CS_Photo, Z, energyKev);
    return call("CS_Photo", CS_Photo, Z, energyKev);
}

namespace {

// The Klein-Nishina integrands are smooth: 2000 intervals give 1e-10 relative.
constexpr int kCosineIntervals = 2000;

// Klein-Nishina d(sigma)/d(Omega) per electron [cm^2/sr] and the ratio k'/k.
double kleinNishinaDifferential(double alpha, double mu, double& ratio)
{
    ratio = 1.0 / (1.0 + alpha * (1.0 - mu));
    const double sin2 = 1.0 - mu * mu;
    return 0.5 * kClassicalElectronRadiusCm * kClassicalElectronRadiusCm * ratio * ratio * (ratio + 1.0 / ratio - sin2);
}

} // namespace

double kleinNishinaPerElectron(double energyKev)
{
    const double alpha = energyKev / kElectronRestEnergyKev;
    return 2.0 * M_PI * integrateOverCosine([alpha](double mu) {
               double ratio = 0;
               return kleinNishinaDifferential(alpha, mu, ratio);
           }, kCosineIntervals);
}

double kleinNishinaEnergyTransferPerElectron(double energyKev)
{
    const double alpha = energyKev / kElectronRestEnergyKev;
    return 2.0 * M_PI * integrateOverCosine([alpha](double mu) {
               double ratio = 0;
               const double d = kleinNishinaDifferential(alpha, mu, ratio);
               return d * (1.0 - ratio);
           }, kCosineIntervals);
}

double meanKFluorescenceEnergyKev(int Z, double energyKev)
{
    if (Z <= 2)
        return 0.0;
    const double edge = call("EdgeEnergy", EdgeEnergy, Z, K_SHELL);
    if (energyKev <= edge)
        return 0.0;
    const double jump = call("JumpFactor", JumpFactor, Z, K_SHELL);
    const double yield = call("FluorYield", FluorYield, Z, K_SHELL);
    const double kAlpha = call("LineEnergy", LineEnergy, Z, KA_LINE);
    return (jump - 1.0) / jump * yield * kAlpha;
}

double formFactor(int Z, double x) { return x > 0 ? call("FF_Rayl", FF_Rayl, Z, x) : Z; }

double incoherentScatteringFunction(int Z, double x)
{
    // xraylib's tables of S(x) start near x = 1e-3 for Z > 1; below, S is
    // vanishingly small (it grows as x^2 from 0).
    constexpr double kTableStart = 1e-3;
    if (x <= 0)
        return 0.0;
    if (x < kTableStart)
        return callOr(0.0, SF_Compt, Z, x);
    return call("SF_Compt", SF_Compt, Z, x);
}

double atomicWeight(int Z) { return call("AtomicWeight", AtomicWeight, Z); }

double elementDensity(int Z) { return call("ElementDensity", ElementDensity, Z); }

double edgeEnergyKev(int Z, int shell) { return callOr(0.0, EdgeEnergy, Z, shell); }

} // namespace velnor::refdata
