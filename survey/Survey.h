#pragma once

#include "depthdose/DepthDose.h"
#include "depthdose/OrganDose.h"
#include "main/dose/CalculationState.h"
#include "main/records/DoseResults.h"
#include "main/records/ExposureConditions.h"
#include "main/records/OutputDataTable.h"
#include "main/records/ReferenceLevels.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Dose surveys: many exposures computed in one process, each as the main
// window computes a flat-surface case, with its effective dose from the body
// part's organ data (the depth-dose calculation in the same process, no
// hand-off files) and its diagnostic reference level; then, per examination,
// the statistics that are compared with the national levels.
namespace velnor::survey {

// One exposure to compute: its conditions, the tube output table they need,
// where it came from (a file, a row) and its room (for per-room statistics).
struct Exposure {
    std::string source;
    std::string room;
    ExposureConditions conditions;
    std::string outputTable = "default-output.op";
    std::vector<std::string> assumed; // input keys whose values were assumed
};

struct ExposureResult {
    std::string source, room;
    ExposureConditions conditions;
    DoseResults dose;
    std::optional<double> effectiveDoseMsv; // none when the body part has no organ data
    DrlComparison drl;
    std::vector<std::string> assumed;
    std::string error; // why the exposure could not be computed (then nothing else holds)
    std::string errorJapanese; // the same for the windows
};

// The reference data of a working folder, read once, and the exposures
// computed with them.
class Calculator {
public:
    // Throws DataFileError when the folder's reference data cannot be read.
    explicit Calculator(const std::filesystem::path& folder);
    ExposureResult compute(const Exposure& exposure);
    const ReferenceLevels& referenceLevels() const { return m_levels; }

private:
    std::filesystem::path m_folder;
    CalculationState m_state;
    std::map<std::string, OutputDataTable> m_outputTables;
    pdd::DepthDoseData m_depthDoseData;
    ReferenceLevels m_levels;
    // Effective dose per mGy of soft-tissue entrance dose, by everything of a
    // case but its mAs (the depth dose scales with the entrance dose): the
    // exposures of one protocol share one depth-dose calculation.
    std::map<std::string, std::optional<double>> m_effectivePerMgy;
    // The chain's case of a protocol (all but the mAs) at 10 mAs,
    // whose doses scale with the mAs: every exposure of a protocol is that
    // one case scaled, whichever came first, so the results do not depend on
    // the order of the exposures or on how they are shared among threads.
    std::map<std::string, CalculationState::ComputedCase> m_chain;
};

// The p-th percentile (0..1) of sorted values, by linear interpolation
// between order statistics (rank p (n - 1)): spreadsheets' PERCENTILE.INC and
// numpy's default. Requires at least one value.
double percentileInc(const std::vector<double>& sorted, double p);

// One examination: the exposures of a reference level (or of a body part
// without one), optionally of one room.
struct ExaminationSummary {
    std::string name;     // the level's name, or the body part
    std::string room;     // empty unless by room
    std::optional<double> levelMgy;
    std::string edition;
    DrlDose dose = DrlDose::Air; // the entrance dose summarised: the one the level names
    int count = 0;                // exposures within the thickness band
    int outsideBand = 0;          // exposures left out by the band
    double median = 0, q1 = 0, q3 = 0, min = 0, max = 0; // mGy
    std::optional<double> medianThicknessCm, medianEffectiveDoseMsv;
    std::optional<double> ratio; // median over the level
};

// A standard-size range of thickness for a body part (cm, both included).
struct ThicknessBand {
    double fromCm = 0, toCm = 0;
};
using ThicknessBands = std::map<std::string, ThicknessBand>; // by body part

// The bands of a working folder: "体厚範囲.txt", a header line, then
// 撮影部位,下限(cm),上限(cm) a line. Throws DataFileError naming the line for
// an empty body part, a body part given twice, or bounds that are not
// numbers within the thickness range with the lower below the upper.
inline constexpr const char* kThicknessBandsFile = "体厚範囲.txt";
ThicknessBands parseThicknessBands(const std::vector<std::string>& lines, const std::string& fileName = kThicknessBandsFile);
ThicknessBands readThicknessBands(const std::filesystem::path& folder);

// The statistics of a survey, gathered one exposure at a time: per
// examination only its doses, thicknesses and effective doses are kept.
class Statistics {
public:
    // `dose`: the entrance dose of examinations without a level. With
    // `bands`, exposures whose thickness lies outside their body part's band
    // are counted apart, not summarised.
    Statistics(DrlDose dose, bool byRoom, ThicknessBands bands = {});
    void add(const ExposureResult& result); // a failed one is left out
    // The examinations in the order of their first exposure (by room, an
    // examination's rooms together).
    std::vector<ExaminationSummary> summaries() const;

private:
    struct Group {
        ExaminationSummary summary;
        std::vector<double> doses, thicknesses, effectiveDoses;
    };
    DrlDose m_dose;
    bool m_byRoom;
    ThicknessBands m_bands;
    std::vector<Group> m_groups;
};

// The statistics of computed exposures at once.
std::vector<ExaminationSummary> summarize(const std::vector<ExposureResult>& results, DrlDose dose, bool byRoom,
                                          const ThicknessBands& bands = {});

} // namespace velnor::survey
