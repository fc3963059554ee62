#include "main/results/ResultsTable.h"

namespace velnor {

int ResultsTable::addRow(const CalculationState& s)
{
    if (full())
        return 0;
    const ExposureConditions& c = s.conditions;
    ResultRow& r = m_rows[static_cast<std::size_t>(m_nextFreeRow)];
    r.bodyPart = c.bodyPart.empty() ? "　" : c.bodyPart;
    r.rectification = c.rectification;
    r.exposureAt1m = c.exposureAt1m;
    r.targetAngleDeg = c.targetAngleDeg;
    r.inherentFiltrationCm = c.inherentFiltrationCm;
    r.addedAlCm = c.addedAlCm;
    r.addedCuCm = c.addedCuCm;
    r.otherFilterName = c.otherFilterName;
    r.otherFilterCm = c.otherFilterCm;
    r.tubeVoltageKv = c.tubeVoltageKv;
    r.tubeCurrentMa = c.tubeCurrentMa;
    r.exposureTimeS = c.exposureTimeS;
    r.focusReceptorDistanceCm = c.focusReceptorDistanceCm;
    r.focusSurfaceDistanceCm = c.focusSurfaceDistanceCm;
    r.bodyThicknessCm = c.bodyThicknessCm;
    r.fieldPresetName = c.fieldPresetName;
    r.fieldLongCm = c.fieldLongCm.value_or(0.0);
    r.fieldShortCm = c.fieldShortCm.value_or(0.0);
    r.hvl1Cm = s.beamQuality.hvl1Cm;
    r.hvl2Cm = s.beamQuality.hvl2Cm;
    r.effectiveEnergyKev = s.beamQuality.effectiveEnergyKev;
    r.qualityIndex = s.beamQuality.qualityIndex;
    r.bsfSoftTissue = s.dose.bsfSoftTissue;
    r.bsfAir = s.dose.bsfAir;
    r.bsfSkin = s.dose.bsfSkin;
    r.cfSoftTissue = s.dose.cfSoftTissue;
    r.cfSkin = s.dose.cfSkin;
    r.esdSoftTissue = s.dose.esdSoftTissue;
    r.esdSkin = s.dose.esdSkin;
    r.esdAir = s.dose.esdAir;
    r.effectiveDoseMsv.reset();
    r.surfaceCode = c.surfaceCode;
    switch (c.surfaceCode) {
    case kSurfaceCylinder:
        r.cylinderRadiusCm = c.cylinderRadiusCm;
        r.ellipseHorizontalCm = r.ellipseVerticalCm = 0;
        break;
    case kSurfaceEllipticCylinder:
        r.cylinderRadiusCm = 0;
        r.ellipseHorizontalCm = c.ellipseHorizontalCm;
        r.ellipseVerticalCm = c.ellipseVerticalCm;
        break;
    case kSurfaceRacetrack:
        r.racetrackACm = c.racetrackACm;
        r.racetrackBCm = c.racetrackBCm;
        r.racetrackLengthCm = c.racetrackLengthCm;
        break;
    default:
        r.cylinderRadiusCm = r.ellipseHorizontalCm = r.ellipseVerticalCm = 0;
        break;
    }
    return m_nextFreeRow++;
}

void ResultsTable::setEffectiveDoseOfLastRow(double msv)
{
    if (!empty())
        m_rows[static_cast<std::size_t>(m_nextFreeRow - 1)].effectiveDoseMsv = msv;
}

void ResultsTable::clear()
{
    m_rows = {};
    m_nextFreeRow = 1;
}

ResultsTable::Totals ResultsTable::totals() const
{
    Totals t;
    for (int k = 1; k < m_nextFreeRow; ++k) {
        const ResultRow& r = row(k);
        t.esdSoftTissue += r.esdSoftTissue;
        t.esdSkin += r.esdSkin;
        t.esdAir += r.esdAir;
        t.effectiveDoseMsv += r.effectiveDoseMsv.value_or(0.0);
    }
    return t;
}

} // namespace velnor
