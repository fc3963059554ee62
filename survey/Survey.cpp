#include "survey/Survey.h"

#include "common/DataFileError.h"
#include "common/FileLookup.h"
#include "common/SettingsLines.h"
#include "common/TextFile.h"
#include "main/dose/CalculationState.h"
#include "main/records/ReferenceLoader.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace velnor::survey {
namespace {

// The depth-dose program's thickness: above 40 cm it computes for 40 cm (the
// answer OK of its question), as a survey does too.
constexpr double kMaxDepthDoseThicknessCm = 40;

// The mAs of a protocol's one calculation of the chain (100 mA, 0.1 s).
constexpr double kReferenceMa = 100, kReferenceS = 0.1;

// Everything of a case that its depth dose and organ rows depend on: the
// beam (voltage, waveform, angle, filters), the geometry and the body part.
std::string depthDoseKey(const ExposureConditions& c)
{
    std::string key = c.bodyPart;
    for (double v : {c.tubeVoltageKv, static_cast<double>(static_cast<int>(c.rectification)), c.targetAngleDeg, c.inherentFiltrationCm,
                     c.addedAlCm, c.addedCuCm, c.otherFilterActive ? c.otherFilterCm : 0.0, c.focusReceptorDistanceCm,
                     c.focusSurfaceDistanceCm, c.bodyThicknessCm, c.fieldLongCm.value_or(0), c.fieldShortCm.value_or(0),
                     static_cast<double>(static_cast<int>(c.fieldShape))}) {
        char text[32];
        key += '|';
        key.append(text, std::to_chars(text, text + sizeof text, v).ptr);
    }
    return c.otherFilterActive ? key + '|' + c.otherFilterName : key;
}

std::optional<double> medianOf(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    return percentileInc(values, 0.5);
}

} // namespace

Calculator::Calculator(const std::filesystem::path& folder)
    : m_folder(folder), m_depthDoseData(pdd::readDepthDoseData(folder)), m_levels(loadReferenceLevels(folder))
{
    m_state.tables = loadReferenceTables(folder);
}

ExposureResult Calculator::compute(const Exposure& exposure)
{
    ExposureResult r;
    r.source = exposure.source;
    r.room = exposure.room;
    r.conditions = exposure.conditions;
    r.assumed = exposure.assumed;
    try {
        if (exposure.conditions.incidenceMode != IncidenceMode::Planar)
            throw WordedError(Reason{ReasonCode::SurveyCurved});
        auto table = m_outputTables.find(exposure.outputTable);
        if (table == m_outputTables.end())
            table = m_outputTables.emplace(exposure.outputTable, loadOutputDataTable(findFileIgnoringCase(m_folder, exposure.outputTable))).first;
        // One state for every exposure: the tables are not copied each time.
        CalculationState& state = m_state;
        state.outputData = table->second;
        state.conditions = exposure.conditions;
        state.checkConditions();
        // The doses from a tube output table grow with the mAs alone: the
        // exposures of one protocol share one calculation of the chain.
        const ExposureConditions& in = exposure.conditions;
        const double mas = in.tubeCurrentMa * in.exposureTimeS;
        const bool scalable = in.exposureSource == ExposureSource::OutputTable && mas > 0;
        const std::string chainKey = scalable ? exposure.outputTable + '|' + depthDoseKey(in) + '|' + std::to_string(in.headPhantom) : "";
        auto cached = scalable ? m_chain.find(chainKey) : m_chain.end();
        if (scalable && cached == m_chain.end()) {
            state.conditions.tubeCurrentMa = kReferenceMa;
            state.conditions.exposureTimeS = kReferenceS;
            state.calculate();
            cached = m_chain.emplace(chainKey, *state.lastCase).first;
        } else if (!scalable) {
            state.calculate();
        }
        CalculationState::ComputedCase c = scalable ? cached->second : *state.lastCase;
        if (scalable) {
            const double scale = mas / (kReferenceMa * kReferenceS);
            c.conditions.tubeCurrentMa = in.tubeCurrentMa;
            c.conditions.exposureTimeS = in.exposureTimeS;
            c.conditions.exposureAt1m *= scale;
            c.dose.esdSoftTissue *= scale;
            c.dose.esdSkin *= scale;
            c.dose.esdAir *= scale;
        }
        r.conditions = c.conditions;
        r.dose = c.dose;
        r.drl = compareWithReferenceLevel(m_levels, c.conditions.bodyPart, c.conditions.tubeVoltageKv, c.dose);

        // The effective dose as the depth-dose program gives it for the
        // hand-off of this case, per mGy, once for each protocol.
        const std::string key = depthDoseKey(c.conditions);
        const auto known = m_effectivePerMgy.find(key);
        if (known != m_effectivePerMgy.end()) {
            if (known->second)
                r.effectiveDoseMsv = *known->second * c.dose.esdSoftTissue;
            return r;
        }
        std::optional<double>& perMgy = m_effectivePerMgy[key];
        pdd::HandOff h;
        h.tubeVoltageKv = c.conditions.tubeVoltageKv;
        h.focusReceptorCm = c.conditions.focusReceptorDistanceCm;
        h.focusSurfaceCm = c.conditions.focusSurfaceDistanceCm;
        h.thicknessCm = c.conditions.bodyThicknessCm;
        h.fieldLongCm = c.conditions.fieldLongCm.value_or(0);
        h.fieldShortCm = c.conditions.fieldShape == FieldShape::Circular ? 0 : c.conditions.fieldShortCm.value_or(0);
        h.surfaceDoseMgy = 1;
        for (int j = 1; j <= pdd::kBins; ++j)
            h.spectrum[static_cast<std::size_t>(j)] = c.photonSpectrum[static_cast<std::size_t>(j)];
        h.bodyPart = c.conditions.bodyPart;
        const double thickness = std::min(h.thicknessCm, kMaxDepthDoseThicknessCm);
        // A case the depth dose cannot be computed for (a field beyond the
        // kernels) keeps its entrance doses, without an effective dose.
        try {
            if (const auto rows = pdd::readOrganDefaults(m_folder, h.bodyPart, thickness)) {
                const auto depthDose = pdd::computeDepthDose(h, thickness, m_depthDoseData);
                const pdd::EffectiveDose e = pdd::computeEffectiveDose(*rows, h.bodyPart, thickness, depthDose, h.surfaceDoseMgy);
                if (e.refusedRow < 0 && !e.notComputable)
                    perMgy = e.totalMsv;
            }
        } catch (const std::exception&) {
        }
        if (perMgy)
            r.effectiveDoseMsv = *perMgy * c.dose.esdSoftTissue;
    } catch (const std::exception& e) {
        r.error = e.what();
        r.errorJapanese = japaneseOf(e);
    }
    return r;
}

double percentileInc(const std::vector<double>& sorted, double p)
{
    const double rank = p * static_cast<double>(sorted.size() - 1);
    const std::size_t low = static_cast<std::size_t>(std::floor(rank));
    const std::size_t high = std::min(low + 1, sorted.size() - 1);
    return sorted[low] + (rank - static_cast<double>(low)) * (sorted[high] - sorted[low]);
}

ThicknessBands parseThicknessBands(const std::vector<std::string>& lines, const std::string& fileName)
{
    ThicknessBands bands;
    std::map<std::string, int> lineOf;
    for (const SettingsLine& line : settingsLines(lines, fileName, 3)) {
        const std::string& part = line.cells[0];
        if (part.empty())
            throw DataFileError(fileName, line.number, Reason{ReasonCode::TextEmpty, "bodyPart"});
        ThicknessBand b;
        b.fromCm = settingsNumber(line, 1, "bandFromCm", limits::kMinThicknessCm, limits::kMaxThicknessCm, "cm", fileName);
        b.toCm = settingsNumber(line, 2, "bandToCm", b.fromCm, limits::kMaxThicknessCm, "cm", fileName);
        if (!bands.emplace(part, b).second)
            throw DataFileError(fileName, line.number, Reason{ReasonCode::SurveyBandTwice, {}, static_cast<double>(lineOf[part]), 0, 0, {}, part});
        lineOf[part] = line.number;
    }
    return bands;
}

ThicknessBands readThicknessBands(const std::filesystem::path& folder)
{
    return parseThicknessBands(readTextLines(findFileIgnoringCase(folder, kThicknessBandsFile)));
}

Statistics::Statistics(DrlDose dose, bool byRoom, ThicknessBands bands) : m_dose(dose), m_byRoom(byRoom), m_bands(std::move(bands)) {}

void Statistics::add(const ExposureResult& r)
{
    if (!r.error.empty())
        return;
    const bool level = r.drl.kind == DrlComparison::Kind::Compared;
    const std::string name = level ? r.drl.name : r.conditions.bodyPart;
    const std::string room = m_byRoom ? r.room : std::string();
    auto g = std::find_if(m_groups.begin(), m_groups.end(), [&](const Group& x) { return x.summary.name == name && x.summary.room == room; });
    if (g == m_groups.end()) {
        Group fresh;
        fresh.summary.name = name;
        fresh.summary.room = room;
        fresh.summary.dose = level ? r.drl.dose : m_dose;
        if (level) {
            fresh.summary.levelMgy = r.drl.levelMgy;
            fresh.summary.edition = r.drl.edition;
        }
        m_groups.push_back(fresh);
        g = m_groups.end() - 1;
    }
    const auto band = m_bands.find(r.conditions.bodyPart);
    const double t = r.conditions.bodyThicknessCm;
    if (band != m_bands.end() && (t < band->second.fromCm || t > band->second.toCm)) {
        ++g->summary.outsideBand;
        return;
    }
    g->doses.push_back(doseCompared(g->summary.dose, r.dose));
    g->thicknesses.push_back(t);
    if (r.effectiveDoseMsv)
        g->effectiveDoses.push_back(*r.effectiveDoseMsv);
}

std::vector<ExaminationSummary> Statistics::summaries() const
{
    // By room, an examination's rooms stand together, where its first
    // exposure put it; otherwise the order is that of the first exposures.
    std::vector<Group> groups = m_groups;
    std::stable_sort(groups.begin(), groups.end(), [&](const Group& a, const Group& b) {
        auto first = [&](const std::string& name) {
            return std::find_if(m_groups.begin(), m_groups.end(), [&](const Group& g) { return g.summary.name == name; });
        };
        return first(a.summary.name) < first(b.summary.name);
    });
    std::vector<ExaminationSummary> out;
    for (Group& g : groups) {
        ExaminationSummary& s = g.summary;
        s.count = static_cast<int>(g.doses.size());
        if (s.count > 0) {
            std::sort(g.doses.begin(), g.doses.end());
            s.median = percentileInc(g.doses, 0.5);
            s.q1 = percentileInc(g.doses, 0.25);
            s.q3 = percentileInc(g.doses, 0.75);
            s.min = g.doses.front();
            s.max = g.doses.back();
            s.medianThicknessCm = medianOf(g.thicknesses);
            s.medianEffectiveDoseMsv = medianOf(g.effectiveDoses);
            if (s.levelMgy)
                s.ratio = s.median / *s.levelMgy;
        }
        out.push_back(s);
    }
    return out;
}

std::vector<ExaminationSummary> summarize(const std::vector<ExposureResult>& results, DrlDose dose, bool byRoom, const ThicknessBands& bands)
{
    Statistics statistics(dose, byRoom, bands);
    for (const ExposureResult& r : results)
        statistics.add(r);
    return statistics.summaries();
}

} // namespace velnor::survey
