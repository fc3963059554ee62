#include "main/spectrum/SpectrumModel.h"

#include "common/DisplayFormat.h"
#include "main/records/CalculationError.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace velnor {
namespace spectrum_model {

// Thomson-Whiddington constant of tungsten as a function of voltage (kV):
// the depth of an electron of energy T below the surface is (V^2 - T^2) / (rho C).
double energyLossConstant(double v) { return 141766 + 12157 * v - 111.046 * v * v + 0.552536 * v * v * v - 0.000970158 * v * v * v * v; }

double stoppingTerm(double t) { return 1036.1 * std::exp(-0.04695 * t) + 202.41; }

double shapeFactor(double e, double t)
{
    const double u = e / t;
    return (0.03658 + 2.9e-5 * e) * (1 - 5.049 * u + 10.847 * u * u - 10.516 * u * u * u + 3.842 * u * u * u * u);
}

double kLineFractionPercent(double v) { return (std::sqrt(8.79856 * v - 595.149) - 4.55528) / 4.39928; }

std::vector<double> waveformPhasesDeg(Rectification rectification)
{
    std::vector<double> phases;
    if (rectification == Rectification::ConstantPotential) {
        phases.push_back(90);
    } else if (rectification == Rectification::ThreePhase12Peak) {
        for (int p = 75; p <= 90; ++p)
            phases.push_back(p);
    } else {
        for (int p = 2; p <= 90; p += 2)
            phases.push_back(p);
    }
    return phases;
}

// Single-phase: the tube current grows with the 1.5 power of the voltage until
// it saturates at three quarters of the peak.
double currentWeight(Rectification rectification, double s)
{
    return rectification == Rectification::SinglePhaseFullWave ? std::pow(std::min(1.0, s / 0.75), 1.5) : 1.0;
}

} // namespace spectrum_model

using namespace spectrum_model;

namespace {

int floorBin(double kv) { return static_cast<int>(std::floor(2.0 * kv)); }

// (1 + 511/T) / stoppingTerm(T) on the 0.5-keV electron-energy grid, T = 0.5 t:
// it does not depend on the photon energy or the voltage, so it is computed once.
const std::array<double, kBinCount + 1>& electronTerms()
{
    static const std::array<double, kBinCount + 1> terms = [] {
        std::array<double, kBinCount + 1> t{};
        for (int i = 1; i <= kBinCount; ++i) {
            const double T = 0.5 * i;
            t[static_cast<std::size_t>(i)] = (1 + kElectronRestEnergyKev / T) / stoppingTerm(T);
        }
        return t;
    }();
    return terms;
}

} // namespace

BinArray rawSpectrum(double tubeVoltageKv, double targetAngleDeg, Rectification rectification, const BinArray& muTungsten)
{
    BinArray raw{};
    const double cotAlpha = 1 / std::tan(targetAngleDeg * kPi / 180);
    const auto& terms = electronTerms();
    std::array<double, kBinCount + 1> pathOut{}; // d x cot(alpha) by electron-energy step
    BinArray phase{};
    for (double phi : waveformPhasesDeg(rectification)) {
        const double s = std::sin(phi * kPi / 180);
        const double v = tubeVoltageKv * s;
        const double w = currentWeight(rectification, s);
        const double c = energyLossConstant(v);
        const double k = v > kKLineThresholdKv ? kLineFractionPercent(v) : 0.0;
        const int top = floorBin(v);
        // Electron energies run over T = 0.5 t for t = j .. top (T <= V).
        for (int t = 1; t <= top; ++t) {
            const double T = 0.5 * t;
            pathOut[static_cast<std::size_t>(t)] = (v * v - T * T) / (kTungstenDensity * c) * cotAlpha;
        }
        for (int j = 2; j <= top; ++j) {
            const double e = 0.5 * j;
            const double mu = muTungsten[static_cast<std::size_t>(j)];
            double sum = 0;
            for (int t = j; t <= top; ++t) {
                const auto ti = static_cast<std::size_t>(t);
                sum += std::exp(-mu * pathOut[ti]) * shapeFactor(e, 0.5 * t) * terms[ti];
            }
            phase[static_cast<std::size_t>(j)] = sum;
        }
        if (v > kKLineThresholdKv) {
            double b = 0;
            for (int j = 2; j <= top; ++j)
                b += phase[static_cast<std::size_t>(j)];
            const double lines = 0.01 * k * b;
            for (int n = 0; n < 4; ++n)
                phase[static_cast<std::size_t>(kKLineBins[n])] += kKLineWeights[n] * lines;
        }
        for (int j = 2; j <= top; ++j)
            raw[static_cast<std::size_t>(j)] += w * phase[static_cast<std::size_t>(j)];
    }
    return raw;
}

SpectrumResult computeSpectrum(const ExposureConditions& c, const AttenuationTable& a, const OutputDataTable& outputData)
{
    const double kv = c.tubeVoltageKv;
    if (!(kv >= 1.0))
        throw CalculationError(Reason{ReasonCode::AtLeast, "tubeVoltageKv", kv, 1, 0, "kV"});
    if (kv > 150.0)
        throw CalculationError(Reason{ReasonCode::AtMost, "tubeVoltageKv", kv, 0, 150, "kV"});
    if (!(c.targetAngleDeg > 0.0))
        throw CalculationError(Reason{ReasonCode::NotPositive, "targetAngleDeg", c.targetAngleDeg, 0, 0, "°"});
    if (!(c.targetAngleDeg <= 90.0))
        throw CalculationError(Reason{ReasonCode::AtMost, "targetAngleDeg", c.targetAngleDeg, 0, 90, "°"});
    for (const auto& [value, field] : {std::pair{c.inherentFiltrationCm, "inherentFiltrationCm"}, std::pair{c.addedAlCm, "addedAlCm"},
                                      std::pair{c.addedCuCm, "addedCuCm"}, std::pair{c.otherFilterCm, "otherFilterCm"}})
        if (!(value >= 0.0) || !std::isfinite(value))
            throw CalculationError(Reason{ReasonCode::NegativeFilter, field, 10 * value, 0, 0, "mm"});
    return filteredSpectrum(rawSpectrum(kv, c.targetAngleDeg, c.rectification, a.muTungsten), c, a, outputData);
}

SpectrumResult filteredSpectrum(const BinArray& raw, const ExposureConditions& c, const AttenuationTable& a,
                                const OutputDataTable& outputData)
{
    const double kv = c.tubeVoltageKv;
    const auto r = static_cast<std::size_t>(codeOf(c.rectification));
    SpectrumResult result;
    result.topBin = floorBin(kv);
    BinArray photons{};
    BinArray kerma{};
    double sumPhotons = 0, sumKerma = 0, sumReference = 0;
    for (int j = 2; j <= result.topBin; ++j) {
        const auto i = static_cast<std::size_t>(j);
        // Reference: only the filtration under which the output table was measured.
        const double reference = a.muenAir[i]
            * std::exp(-outputData.filtrationAl[r] * a.muAluminium[i] - outputData.filtrationCu[r] * a.muCopper[i]) * raw[i];
        double transmission = std::exp(-(c.inherentFiltrationCm + c.addedAlCm) * a.muAluminium[i] - c.addedCuCm * a.muCopper[i]);
        if (c.otherFilterActive)
            transmission *= std::exp(-c.otherFilterCm * c.otherFilterMu[i]);
        kerma[i] = a.muenAir[i] * transmission * raw[i];
        photons[i] = transmission * raw[i] / (0.5 * j);
        sumPhotons += photons[i];
        sumKerma += kerma[i];
        sumReference += reference;
    }
    if (!(sumPhotons > 0 && sumKerma > 0 && sumReference > 0) || !std::isfinite(sumPhotons) || !std::isfinite(sumKerma)
        || !std::isfinite(sumReference))
        throw CalculationError(Reason{ReasonCode::FiltersAbsorbAll});
    for (int j = 2; j <= result.topBin; ++j) {
        const auto i = static_cast<std::size_t>(j);
        const double p = photons[i] / sumPhotons;
        result.photonSpectrum[i] = p < kZeroThreshold ? 0.0 : p;
        result.airKermaSpectrum[i] = kerma[i] / sumKerma;
    }
    result.kermaRatio = sumKerma / sumReference;
    return result;
}

} // namespace velnor
