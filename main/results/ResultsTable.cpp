#include "main/results/ResultsTable.h"

#include "common/DisplayFormat.h"
#include "common/Reasons.h"

#include <cmath>

namespace velnor {

std::optional<RecordFault> resultRowFault(const ResultRow& row)
{
    ExposureConditions c = row.conditions;
    // The row's exposure at 1 m is what it was computed with, measured or from
    // the output table (which the ranges of current and time let reach above
    // the limit of a measurement): it must be positive, nothing more.
    c.exposureSource = ExposureSource::Measured;
    c.exposureAt1mSet = true;
    if (c.exposureAt1m > limits::kMaxExposureCkg && std::isfinite(c.exposureAt1m))
        c.exposureAt1m = limits::kMaxExposureCkg;
    if (c.incidenceMode == IncidenceMode::NonPlanar)
        c.mcHistories = limits::kMaxHistories; // a file keeps no history count: any the engine could have run
    if (auto fault = exposureConditionsFault(c))
        return fault;
    if (auto fault = beamQualityFault(row.beamQuality))
        return fault;
    if (auto fault = doseResultsFault(row.dose))
        return fault;
    if (row.effectiveDoseMsv && (!std::isfinite(*row.effectiveDoseMsv) || *row.effectiveDoseMsv < 0))
    {
        const Reason r{ReasonCode::NotFiniteOrNegative, "effectiveDoseMsv", *row.effectiveDoseMsv, 0, 0, "mSv", {}};
        return RecordFault{RecordFault::Kind::NotPhysical, r.field, inEnglish(r), inJapanese(r)};
    }
    if (row.effectiveDoseMsv && *row.effectiveDoseMsv > kMaxEffectiveDoseMsv) {
        const Reason r{ReasonCode::AtMost, "effectiveDoseMsv", *row.effectiveDoseMsv, 0, kMaxEffectiveDoseMsv, "mSv", {}};
        return RecordFault{RecordFault::Kind::NotPhysical, r.field, inEnglish(r), inJapanese(r)};
    }
    return std::nullopt;
}

int ResultsTable::addRow(const ExposureConditions& conditions, const BeamQuality& beamQuality, const DoseResults& dose,
                         const std::optional<BinArray>& photonSpectrum)
{
    if (full())
        return 0;
    ResultRow& r = m_rows[static_cast<std::size_t>(m_nextFreeRow)];
    r = ResultRow{conditions, beamQuality, dose, std::nullopt, false, photonSpectrum};
    ExposureConditions& c = r.conditions;
    if (c.bodyPart.empty())
        c.bodyPart = "　";
    // A row describes its own surface only: values left from an earlier
    // choice of another surface would be saved as if they belonged to it.
    if (c.surfaceCode != SurfaceCode::Cylinder)
        c.cylinderRadiusCm = 0;
    if (c.surfaceCode != SurfaceCode::EllipticCylinder)
        c.ellipseHorizontalCm = c.ellipseVerticalCm = 0;
    if (c.surfaceCode != SurfaceCode::Racetrack)
        c.racetrackACm = c.racetrackBCm = c.racetrackLengthCm = 0;
    return m_nextFreeRow++;
}

bool ResultsTable::setEffectiveDoseOfRow(int k, double msv)
{
    if (k < 1 || k >= m_nextFreeRow)
        return false;
    m_rows[static_cast<std::size_t>(k)].effectiveDoseMsv = msv;
    return true;
}

void ResultsTable::setEffectiveDoseOfLastRow(double msv)
{
    if (!empty())
        m_rows[static_cast<std::size_t>(m_nextFreeRow - 1)].effectiveDoseMsv = msv;
}

void ResultsTable::replaceRows(const std::vector<ResultRow>& rows)
{
    clear();
    for (const ResultRow& r : rows) {
        if (full())
            break;
        m_rows[static_cast<std::size_t>(m_nextFreeRow++)] = r;
    }
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
        t.esdSoftTissue += r.dose.esdSoftTissue;
        t.esdSkin += r.dose.esdSkin;
        t.esdAir += r.dose.esdAir;
        t.effectiveDoseMsv += r.effectiveDoseMsv.value_or(0.0);
    }
    return t;
}

} // namespace velnor
