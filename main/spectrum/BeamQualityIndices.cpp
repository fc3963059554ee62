#include "main/spectrum/BeamQualityIndices.h"

#include "common/DisplayFormat.h"
#include "main/records/CalculationError.h"

#include <cmath>

namespace velnor {

double computeAtrIndex(const BinArray& photonSpectrum, int topBin, const AtrTable& atr)
{
    double behindPlate = 0, free = 0;
    for (int j = 2; j <= topBin; ++j) {
        const auto i = static_cast<std::size_t>(j);
        behindPlate += atr.x1[i] * photonSpectrum[i];
        free += atr.x0[i] * photonSpectrum[i];
    }
    if (!(free != 0) || !std::isfinite(behindPlate / free))
        throw CalculationError(Reason{ReasonCode::AtrNoResponse});
    return behindPlate / free;
}

double computeHvl1Cm(const BinArray& airKermaSpectrum, int topBin, const BinArray& muAluminium)
{
    constexpr int kSteps = 300; // of 0.1 mm
    BinArray k = airKermaSpectrum;
    double sum0 = 0;
    for (int j = 2; j <= topBin; ++j)
        sum0 += k[static_cast<std::size_t>(j)];
    std::array<double, kSteps + 1> transmissionPercent{};
    for (int m = 1; m <= kSteps; ++m) {
        double sum = 0;
        for (int j = 2; j <= topBin; ++j) {
            const auto i = static_cast<std::size_t>(j);
            k[i] *= std::exp(-0.01 * muAluminium[i]);
            sum += k[i];
        }
        transmissionPercent[static_cast<std::size_t>(m)] = 100 * sum / sum0;
    }
    if (!(sum0 > 0) || !std::isfinite(sum0))
        throw CalculationError(Reason{ReasonCode::HvlEmpty});
    // No aluminium transmits 100 %. A beam so soft that 0.1 mm already
    // halves it is interpolated between no aluminium and that first step;
    // extrapolating from the first two steps would give a negative layer.
    transmissionPercent[0] = 100;
    int step = transmissionPercent[1] < 50 ? 1 : 2;
    while (step <= kSteps && !(transmissionPercent[static_cast<std::size_t>(step)] < 50))
        ++step;
    if (step > kSteps)
        throw CalculationError(Reason{ReasonCode::HvlAbove30mm});
    const double t0 = transmissionPercent[static_cast<std::size_t>(step - 1)];
    const double t1 = transmissionPercent[static_cast<std::size_t>(step)];
    const double f = (std::log(50.0) - std::log(t0)) / (std::log(t1) - std::log(t0));
    const double hvl = 0.01 * (step - 1 + f);
    if (!std::isfinite(hvl))
        throw CalculationError(Reason{ReasonCode::HvlNoInterpolation});
    return hvl;
}

double computeEffectiveEnergyKev(double hvl1Cm, const BinArray& muAluminium)
{
    const double muEff = kLn2 / hvl1Cm;
    int j = 2;
    while (j <= kBinCount && !(muAluminium[static_cast<std::size_t>(j)] < muEff))
        ++j;
    if (j > kBinCount)
        throw CalculationError(Reason{ReasonCode::EffectiveEnergyAbove150, {}, std::round(10000 * hvl1Cm) / 1000});
    const double mu1 = muAluminium[static_cast<std::size_t>(j)];
    const double mu0 = muAluminium[static_cast<std::size_t>(j - 1)];
    const double lnE = std::log(0.5 * j)
        - (std::log(mu1) - std::log(muEff)) / (std::log(mu1) - std::log(mu0)) * (std::log(0.5 * j) - std::log(0.5 * (j - 1)));
    const double e = std::exp(lnE);
    if (!std::isfinite(e))
        throw CalculationError(Reason{ReasonCode::EffectiveEnergyNoInterpolation});
    return e;
}

} // namespace velnor
