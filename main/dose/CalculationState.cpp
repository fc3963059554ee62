#include "main/dose/CalculationState.h"

#include "common/DisplayFormat.h"
#include "main/dose/ConversionFactors.h"
#include "main/dose/EntranceSurfaceDose.h"
#include "main/dose/ExposureAt1m.h"
#include "main/records/CalculationError.h"
#include "main/records/DisplayPatterns.h"
#include "main/spectrum/BeamQualityIndices.h"
#include "main/spectrum/SpectrumFile.h"
#include "main/spectrum/SpectrumModel.h"

#include <cmath>

namespace velnor {

void CalculationState::computeSpectrum()
{
    const SpectrumResult s = velnor::computeSpectrum(conditions, tables.attenuation, outputData);
    topBin = s.topBin;
    photonSpectrum = s.photonSpectrum;
    beamQuality.atrIndex = computeAtrIndex(photonSpectrum, topBin, tables.atr);
    if (exchangeFolder)
        writeSpectrumFile(*exchangeFolder, photonSpectrum);
    kermaRatio = s.kermaRatio;
    airKermaSpectrum = s.airKermaSpectrum;
    beamQuality.hvl1Cm = computeHvl1Cm(airKermaSpectrum, topBin, tables.attenuation.muAluminium);
    beamQuality.effectiveEnergyKev = computeEffectiveEnergyKev(beamQuality.hvl1Cm, tables.attenuation.muAluminium);
    labels.label65 = formatNumber(10 * beamQuality.hvl1Cm, patterns::kHvlMm);
    labels.label66 = formatNumber(beamQuality.effectiveEnergyKev, patterns::kEffectiveEnergyKev);
    labels.label67 = formatNumber(beamQuality.atrIndex, patterns::kAtrIndex);
}

void CalculationState::computeExposureAt1m()
{
    if (conditions.exposureSource != ExposureSource::OutputTable)
        return;
    conditions.exposureAt1m = velnor::computeExposureAt1m(outputData, conditions.rectification, conditions.tubeVoltageKv,
                                                          kermaRatio, conditions.tubeCurrentMa, conditions.exposureTimeS);
    conditions.exposureAt1mSet = true;
    labels.label78 = formatNumber(conditions.exposureAt1m, patterns::kExposureAt1m);
}

void CalculationState::computeBackscatterAndDose()
{
    dose.cfSoftTissue = dose.cfSkin = dose.cfAir = 0;
    const ConversionFactors cf = computeConversionFactors(airKermaSpectrum, conditions.tubeVoltageKv, tables.attenuation,
                                                          tables.airWOverE);
    dose.cfSoftTissue = cf.softTissue;
    dose.cfSkin = cf.skin;
    dose.cfAir = cf.air;
    labels.label71 = formatNumber(dose.cfSoftTissue, patterns::kConversionFactor);
    labels.label72 = formatNumber(dose.cfSkin, patterns::kConversionFactor);

    BackscatterFactors bsf;
    if (conditions.incidenceMode == IncidenceMode::Planar) {
        bsf = planarBackscatter(conditions, tables, photonSpectrum);
    } else {
        if (!nonPlanarBackscatter)
            throw CalculationError(Reason{ReasonCode::CurvedUnavailable});
        bsf = nonPlanarBackscatter(conditions, photonSpectrum);
    }
    if (const auto fault = backscatterFactorsFault(bsf))
        throw CalculationError(fault->wording());
    dose.bsfSoftTissue = bsf.softTissue;
    dose.bsfSkin = bsf.skin;
    dose.bsfAir = bsf.air;
    dose.bsfSoftTissueSd = bsf.softTissueSd;
    dose.bsfSkinSd = bsf.skinSd;
    dose.bsfAirSd = bsf.airSd;
    dose.mcHistoriesRun = bsf.histories;
    labels.label68 = formatNumber(dose.bsfSoftTissue, patterns::kBackscatterFactor);
    labels.label69 = formatNumber(dose.bsfSkin, patterns::kBackscatterFactor);
    labels.label70 = formatNumber(dose.bsfAir, patterns::kBackscatterFactor);
    auto sdText = [](const std::optional<double>& sd) { return sd ? "±" + formatNumber(*sd, patterns::kBackscatterFactor) : std::string(); };
    labels.sd68 = sdText(dose.bsfSoftTissueSd);
    labels.sd69 = sdText(dose.bsfSkinSd);
    labels.sd70 = sdText(dose.bsfAirSd);

    if (!conditions.exposureAt1mSet)
        throw CalculationError(Reason{ReasonCode::NoExposureAt1m});
    const double fsd = conditions.focusSurfaceDistanceCm;
    const double x = conditions.exposureAt1m;
    const double soft = entranceSurfaceDoseMgy(dose.bsfSoftTissue, dose.cfSoftTissue, x, fsd);
    const double skin = entranceSurfaceDoseMgy(dose.bsfSkin, dose.cfSkin, x, fsd);
    const double air = entranceSurfaceDoseMgy(dose.bsfAir, dose.cfAir, x, fsd);
    dose.esdSoftTissue = soft;
    dose.esdSkin = skin;
    dose.esdAir = air;
    if (const std::optional<RecordFault> fault = doseResultsFault(dose))
        throw CalculationError(fault->wording());
    labels.label73 = formatKeepingDigits(soft, patterns::kSurfaceDoseMgy);
    labels.label74 = formatKeepingDigits(skin, patterns::kSurfaceDoseMgy);
    labels.label75 = formatKeepingDigits(air, patterns::kSurfaceDoseMgy);
}

void CalculationState::checkConditions() const
{
    if (std::optional<RecordFault> fault = exposureConditionsFault(conditions))
        throw InputRefused(std::move(*fault));
}

CalculationState::Results CalculationState::results() const
{
    return {conditions, topBin, photonSpectrum, airKermaSpectrum, kermaRatio, beamQuality, dose, labels, lastCase};
}

void CalculationState::restore(const Results& before)
{
    conditions = before.conditions;
    topBin = before.topBin;
    photonSpectrum = before.photonSpectrum;
    airKermaSpectrum = before.airKermaSpectrum;
    kermaRatio = before.kermaRatio;
    beamQuality = before.beamQuality;
    dose = before.dose;
    labels = before.labels;
    lastCase = before.lastCase;
    if (exchangeFolder && before.topBin > 0) { // the spectrum file of the earlier beam
        try {
            writeSpectrumFile(*exchangeFolder, photonSpectrum);
        } catch (const std::exception&) {
            // The failure being reported matters more; the file is rewritten by the next calculation.
        }
    }
}

void CalculationState::calculate()
{
    // Half a calculation is never left behind: an air conversion factor of 0
    // from a failed step would be saved into every column of a results file.
    const Results before = results();
    try {
        checkConditions();
        computeSpectrum();
        computeExposureAt1m();
        computeBackscatterAndDose();
    } catch (...) {
        restore(before);
        throw;
    }
    lastCase = ComputedCase{conditions, beamQuality, dose, photonSpectrum};
}

void CalculationState::recalculateWith(const std::function<void(ExposureConditions&)>& change)
{
    const Results before = results();
    try {
        change(conditions);
        calculate();
    } catch (...) {
        restore(before);
        throw;
    }
}

} // namespace velnor
