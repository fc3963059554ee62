#include "main/spectrum/Fitting.h"

#include "common/DisplayFormat.h"
#include "main/records/CalculationError.h"
#include "main/spectrum/BeamQualityIndices.h"
#include "main/spectrum/SpectrumModel.h"

#include <cmath>
#include <functional>

namespace velnor {
namespace {

constexpr double kHvlStepCm = 0.01;
constexpr double kAtrSteps[4] = {0.01, 0.001, 0.0001, 0.00001};
// Each stage of a search stops after this many steps: 10 cm Al in 0.01-cm
// steps, and far more than a finer stage ever needs (10 steps).
constexpr int kMaxSteps = 1000;
// Within this distance of 0 a fitted filtration is 0 (rounding of the steps).
constexpr double kZeroFiltrationCm = 1e-9;

FitOutcome fitted(double value) { return {value, FitFailure::None, {}, {}}; }
FitOutcome failed(FitFailure f, const Wording& w) { return {std::nullopt, f, w.english, w.japanese}; }
FitOutcome failed(FitFailure f, const Reason& r) { return failed(f, worded(r)); }
// A calculation inside the fit failed: its own wording.
FitOutcome failedCalculation(const std::exception& e) { return failed(FitFailure::CalculationFailed, wordingOf(e)); }

// A layer in mm Al as the window shows it, to the micrometre.
double mm(double cm) { return std::round(10000 * cm) / 1000; }

// HVL of the beam with the inherent filtration x, from one raw spectrum.
class FiltrationTrials {
public:
    explicit FiltrationTrials(const FitStart& s)
        : m_start(s), m_conditions(s.conditions),
          m_raw(rawSpectrum(s.conditions.tubeVoltageKv, s.conditions.targetAngleDeg, s.conditions.rectification,
                            s.tables.attenuation.muTungsten))
    {
    }
    double hvl(double x)
    {
        m_conditions.inherentFiltrationCm = x;
        const SpectrumResult r = filteredSpectrum(m_raw, m_conditions, m_start.tables.attenuation, m_start.outputData);
        return computeHvl1Cm(r.airKermaSpectrum, r.topBin, m_start.tables.attenuation.muAluminium);
    }
    // The photon spectrum filtered by everything but the inherent filtration.
    SpectrumResult withoutInherent()
    {
        m_conditions.inherentFiltrationCm = 0;
        return filteredSpectrum(m_raw, m_conditions, m_start.tables.attenuation, m_start.outputData);
    }

private:
    const FitStart& m_start;
    ExposureConditions m_conditions;
    BinArray m_raw;
};

// The whole model at the tube voltage v.
SpectrumResult spectrumAt(const FitStart& s, double v)
{
    ExposureConditions c = s.conditions;
    c.tubeVoltageKv = v;
    return computeSpectrum(c, s.tables.attenuation, s.outputData);
}

double hvlAt(const FitStart& s, double v)
{
    const SpectrumResult r = spectrumAt(s, v);
    return computeHvl1Cm(r.airKermaSpectrum, r.topBin, s.tables.attenuation.muAluminium);
}

double atrAt(const FitStart& s, double v)
{
    const SpectrumResult r = spectrumAt(s, v);
    return computeAtrIndex(r.photonSpectrum, r.topBin, s.tables.atr);
}

// Steps the voltage up or down by 0.2 kV from the starting voltage until the
// index crosses the measurement, within 30 .. 150 kV and +-10 % of the start;
// the nearer of the last two voltages wins, the previous one on a tie.
FitOutcome stepVoltage(const FitStart& s, double measured, double startIndex, bool up,
                       const std::function<double(double)>& indexAt)
{
    const double v0 = s.conditions.tubeVoltageKv;
    const double limit = up ? (1 + kFitVoltageRange) * v0 : (1 - kFitVoltageRange) * v0;
    double v = v0, index = startIndex, previous = startIndex;
    // The voltages lie on the grid v0 + n x 0.2 kV, computed from n and rounded
    // to 1e-6 kV: repeated additions would drift (78.80000000000005).
    auto onGrid = [v0, up](int n) {
        return std::round((v0 + (up ? n : -n) * kFitVoltageStepKv) * 1e6) / 1e6;
    };
    try {
        for (int n = 1;; ++n) {
            v = onGrid(n);
            if (up && v > kFitMaxVoltageKv)
                return failed(FitFailure::VoltageAboveMaximum, Reason{ReasonCode::FitVoltageAbove, {}, 150});
            if (up && v > limit)
                return failed(FitFailure::VoltageAboveLimit, Reason{ReasonCode::FitVoltageAbove, {}, limit, 0, 0, {}, " (+10 %)"});
            if (!up && v < kFitMinVoltageKv)
                return failed(FitFailure::VoltageBelowMinimum, Reason{ReasonCode::FitVoltageBelow, {}, kFitMinVoltageKv});
            if (!up && v < limit)
                return failed(FitFailure::VoltageBelowLimit, Reason{ReasonCode::FitVoltageBelow, {}, limit, 0, 0, {}, " (-10 %)"});
            previous = index;
            index = indexAt(v);
            if (up ? index >= measured : index <= measured)
                break;
        }
    } catch (const std::exception& e) {
        return failedCalculation(e);
    }
    const double before = std::round((up ? v - kFitVoltageStepKv : v + kFitVoltageStepKv) * 1e6) / 1e6;
    return fitted(std::fabs(previous - measured) <= std::fabs(index - measured) ? before : v);
}

} // namespace

FitOutcome fitInherentFiltrationToHvl(const FitStart& s, double m)
{
    try {
        FiltrationTrials trials(s);
        double x = s.conditions.inherentFiltrationCm;
        double h = trials.hvl(x);
        int steps = 0;
        if (h > m) {
            // Less filtration softens the beam, down to none at all.
            double previous = h, step = 0;
            while (h > m) {
                if (x <= kZeroFiltrationCm)
                    return failed(FitFailure::BelowNoFiltration, Reason{ReasonCode::FitHvlBelowNoFiltration, {}, mm(m), mm(h)});
                if (++steps > kMaxSteps)
                    return failed(FitFailure::NotReached, Reason{ReasonCode::FitHvlNotReached});
                step = std::min(kHvlStepCm, x);
                x -= step;
                previous = h;
                h = trials.hvl(x);
            }
            const double xFit = x + step * (m - h) / (previous - h);
            return fitted(std::max(0.0, xFit));
        }
        double previous = h;
        while (h < m) {
            if (++steps > kMaxSteps || x + kHvlStepCm > kFitMaxFiltrationCm)
                return failed(FitFailure::NotReached, Reason{ReasonCode::FitHvlNotReached, {}, mm(m)});
            x += kHvlStepCm;
            previous = h;
            h = trials.hvl(x);
        }
        return fitted((x - kHvlStepCm) + kHvlStepCm * (m - previous) / (h - previous));
    } catch (const std::exception& e) {
        return failedCalculation(e);
    }
}

FitOutcome raiseVoltageToHvl(const FitStart& s, double m)
{
    if (s.beamQuality.hvl1Cm > m)
        return lowerVoltageToHvl(s, m);
    return stepVoltage(s, m, s.beamQuality.hvl1Cm, true, [&](double v) { return hvlAt(s, v); });
}

FitOutcome lowerVoltageToHvl(const FitStart& s, double m)
{
    return stepVoltage(s, m, s.beamQuality.hvl1Cm, false, [&](double v) { return hvlAt(s, v); });
}

FitOutcome fitInherentFiltrationToAtr(const FitStart& s, double m)
{
    if (m > kFitMaxAtr || m < kFitMinAtr)
        return failed(FitFailure::AtrOutOfRange, Reason{ReasonCode::FitAtrOutOfRange, {}, m, kFitMinAtr, kFitMaxAtr});
    try {
        FiltrationTrials trials(s);
        const SpectrumResult base = trials.withoutInherent();
        const BinArray& mu = s.tables.attenuation.muAluminium;
        // ATR(x): the base spectrum behind x cm of aluminium more.
        auto atr = [&](double x) {
            BinArray p = base.photonSpectrum;
            for (int j = 2; j <= base.topBin; ++j)
                p[static_cast<std::size_t>(j)] *= std::exp(-x * mu[static_cast<std::size_t>(j)]);
            return computeAtrIndex(p, base.topBin, s.tables.atr);
        };
        double x = s.conditions.inherentFiltrationCm;
        double a = s.beamQuality.atrIndex;
        const bool up = m > s.beamQuality.atrIndex; // more filtration hardens the beam: a larger index
        // Four stages, each stepping while it has not crossed the measurement.
        for (int stage = 0; stage < 4; ++stage) {
            const bool increase = (stage % 2 == 0) == up;
            int steps = 0;
            while (increase ? a < m : a > m) {
                if (++steps > kMaxSteps || x > kFitMaxFiltrationCm)
                    return failed(FitFailure::NotReached, Reason{ReasonCode::FitAtrNotReached});
                x += increase ? kAtrSteps[stage] : -kAtrSteps[stage];
                a = atr(x);
                if (!increase && x < 0 && a > m)
                    return failed(FitFailure::BelowNoFiltration, Reason{ReasonCode::FitAtrBelowNoFiltration, {}, m});
            }
        }
        const double h = kAtrSteps[3];
        double xFit;
        if (up) {
            const double b = atr(x + h);
            xFit = x + h * (m - a) / (b - a);
        } else {
            const double b = atr(x - h);
            xFit = (x - h) + h * (m - b) / (a - b);
        }
        if (!std::isfinite(xFit))
            return failed(FitFailure::CalculationFailed, Reason{ReasonCode::FitAtrUnchanged});
        if (xFit < -kZeroFiltrationCm)
            return failed(FitFailure::BelowNoFiltration, Reason{ReasonCode::FitAtrBelowNoFiltration, {}, m});
        return fitted(std::max(0.0, xFit));
    } catch (const std::exception& e) {
        return failedCalculation(e);
    }
}

FitOutcome raiseVoltageToAtr(const FitStart& s, double m)
{
    if (s.beamQuality.atrIndex > m)
        return lowerVoltageToAtr(s, m);
    return stepVoltage(s, m, s.beamQuality.atrIndex, true, [&](double v) { return atrAt(s, v); });
}

FitOutcome lowerVoltageToAtr(const FitStart& s, double m)
{
    return stepVoltage(s, m, s.beamQuality.atrIndex, false, [&](double v) { return atrAt(s, v); });
}

} // namespace velnor
