// Surveys: each exposure as the single-case programs compute it, and the
// statistics per examination as an independent computation gives them.
#include "survey/Survey.h"

#include "common/TextFile.h"
#include "main/dose/CalculationState.h"
#include "main/dose/DepthDoseHandOff.h"
#include "main/records/ReferenceLoader.h"
#include "tests/TempFolder.h"
#include "tests/dicom/DicomFiles.h"
#include "tests/support/Shell.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

namespace velnor::survey {
namespace {

const std::filesystem::path kData = VELNOR_DATA_DIR;

std::string output(const std::string& command, int* status = nullptr)
{
    const testing::CommandResult r = testing::shell(command);
    if (status)
        *status = r.status;
    return r.output;
}

TEST(SurveyStatistics, QuartilesInterpolateBetweenOrderStatistics)
{
    // PERCENTILE.INC / numpy: rank p (n - 1), linear between its neighbours.
    EXPECT_DOUBLE_EQ(percentileInc({1, 2, 3, 4}, 0.25), 1.75);
    EXPECT_DOUBLE_EQ(percentileInc({1, 2, 3, 4}, 0.5), 2.5);
    EXPECT_DOUBLE_EQ(percentileInc({1, 2, 3, 4}, 0.75), 3.25);
    EXPECT_DOUBLE_EQ(percentileInc({1, 2, 3, 4, 10}, 0.5), 3);
    EXPECT_DOUBLE_EQ(percentileInc({7}, 0.25), 7);
    EXPECT_DOUBLE_EQ(percentileInc({1, 3}, 1), 3);

    // Exposures of a level are one examination, those of a body part without
    // one another; by room they split; a band leaves the others out, counted.
    std::vector<ExposureResult> results;
    auto add = [&](const char* part, const char* room, double esdAir, double thickness, bool level) {
        ExposureResult r;
        r.room = room;
        r.conditions.bodyPart = part;
        r.conditions.bodyThicknessCm = thickness;
        r.dose.esdAir = esdAir;
        r.dose.esdSoftTissue = 2 * esdAir;
        if (level) {
            r.drl.kind = DrlComparison::Kind::Compared;
            r.drl.name = std::string(part) + "（DRL）";
            r.drl.levelMgy = 2.5;
            r.drl.dose = DrlDose::Air;
        }
        results.push_back(r);
    };
    for (double d : {1.0, 2.0, 3.0, 4.0})
        add("腹部正面", d < 2.5 ? "R1" : "R2", d, 20 + d, true);
    add("膝関節正面", "R1", 0.1, 10, false);
    ExposureResult failed;
    failed.error = "refused";
    results.push_back(failed);
    const std::vector<ExaminationSummary> all = summarize(results, DrlDose::Air, false);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].name, "腹部正面（DRL）");
    EXPECT_EQ(all[0].count, 4);
    EXPECT_DOUBLE_EQ(all[0].median, 2.5);
    EXPECT_DOUBLE_EQ(all[0].q3, 3.25);
    EXPECT_DOUBLE_EQ(*all[0].ratio, 1.0);
    EXPECT_DOUBLE_EQ(*all[0].medianThicknessCm, 22.5);
    EXPECT_EQ(all[1].name, "膝関節正面");
    EXPECT_FALSE(all[1].ratio);
    EXPECT_EQ(summarize(results, DrlDose::Air, true).size(), 3u);
    const std::map<std::string, ThicknessBand> bands = {{"腹部正面", {20.5, 22.5}}};
    const std::vector<ExaminationSummary> banded = summarize(results, DrlDose::Air, false, bands);
    EXPECT_EQ(banded[0].count, 2);
    EXPECT_EQ(banded[0].outsideBand, 2);
    EXPECT_DOUBLE_EQ(banded[0].median, 1.5);
}

// Each exposure of a survey is the single case: the same doses as the main
// chain, and the effective dose the depth-dose program gives for the case's
// hand-off (within the hand-off's rounding).
TEST(SurveyExposures, EachExposureIsTheSingleCase)
{
    testing::TempFolder folder;
    for (const auto& entry : std::filesystem::directory_iterator(kData))
        std::filesystem::copy(entry.path(), folder / entry.path().filename().string(), std::filesystem::copy_options::recursive);
    Calculator calculator(folder.path());
    const StartupData startup = loadStartupData(folder.path());
    for (const char* part : {"胸部正面", "腹部正面", "腰椎側面"}) {
        Exposure e;
        e.conditions.bodyPart = part;
        e.conditions.tubeVoltageKv = 90;
        e.conditions.bodyThicknessCm = 24;
        e.conditions.focusSurfaceDistanceCm = 70;
        const ExposureResult r = calculator.compute(e);
        ASSERT_TRUE(r.error.empty()) << r.error;
        ASSERT_TRUE(r.effectiveDoseMsv) << part;
        CalculationState state;
        state.tables = startup.tables;
        state.outputData = startup.outputData;
        state.conditions = e.conditions;
        state.calculate();
        EXPECT_EQ(r.dose.esdAir, state.lastCase->dose.esdAir);
        writeTextLines(folder / "Velnor2PDD.dat",
                       depthDoseHandOffLines(state.lastCase->conditions, state.lastCase->dose.esdSoftTissue, state.lastCase->photonSpectrum));
        const auto pdd = nlohmann::json::parse(output(std::string(VELNOR_PDD) + " --data '" + folder.path().string() + "' --organ-defaults"));
        const double expected = pdd["effectiveDoseMsv"];
        EXPECT_NEAR(*r.effectiveDoseMsv, expected, 0.002 * expected) << part;
    }
    Exposure curved;
    curved.conditions.incidenceMode = IncidenceMode::NonPlanar;
    EXPECT_NE(calculator.compute(curved).error.find("flat surfaces only"), std::string::npos);
}

// velnor-survey over a CSV, JSON Lines and DICOM: the summary's medians are
// those an independent computation gives from its own per-exposure file.
TEST(SurveyProgram, SummaryAgreesWithItsExposures)
{
    testing::TempFolder folder;
    std::vector<std::string> rows = {"\xEF\xBB\xBF" "bodyPart,tubeVoltageKv,tubeCurrentMa,exposureTimeS,bodyThicknessCm,focusSurfaceDistanceCm,room"};
    for (int k = 0; k < 9; ++k)
        rows.push_back("腹部正面,80," + std::to_string(150 + 25 * k) + ",0.1," + std::to_string(18 + k % 4) + "," + std::to_string(77 - k % 4) + ",R" +
                       std::to_string(1 + k % 2));
    rows.push_back("腹部正面,eighty,200,0.1,20,75,R1");
    writeTextLines(folder / "exposures.csv", rows);
    writeTextLines(folder / "cases.jsonl", {R"({"bodyPart": "胸部正面", "tubeVoltageKv": 120, "focusReceptorDistanceCm": 180, "focusSurfaceDistanceCm": 155, "room": "R2"})",
                                            R"({"bodyPart": "胸部正面", "tubeVoltageKv": 90, "focusReceptorDistanceCm": 180, "focusSurfaceDistanceCm": 155})"});
    std::filesystem::create_directories(folder / "dicom");
    testing::writeImage(folder / "dicom" / "a.dcm", {{0x0018, 0x0060, "80"}, {0x0018, 0x1152, "20"}, {0x0018, 0x0015, "ABDOMEN"}, {0x0018, 0x5101, "AP"}});
    int status = 0;
    const std::string json = output(std::string(VELNOR_SURVEY) + " --data '" + kData.string() + "' '" + (folder / "exposures.csv").string() +
                                        "' '" + (folder / "cases.jsonl").string() + "' '" + (folder / "dicom").string() + "' --csv '" +
                                        (folder / "survey.csv").string() + "' 2>/dev/null",
                                    &status);
    EXPECT_EQ(status, 1); // the row with "eighty"
    const auto summary = nlohmann::json::parse(json);
    EXPECT_EQ(summary["exposures"], 12);
    EXPECT_EQ(summary["failed"], 1);
    EXPECT_NE(summary["errors"][0]["source"].get<std::string>().find("row 11"), std::string::npos);

    // The per-exposure file, read back: esdAir of the abdomen level's exposures.
    const std::vector<std::string> lines = readTextLines(folder / "survey.csv");
    ASSERT_EQ(lines.size(), 14u); // header, 13 exposures in input order
    std::vector<double> abdomen;
    for (const std::string& line : lines)
        if (line.find("腹部正面（臥位）") != std::string::npos) {
            std::vector<std::string> cells;
            std::size_t start = 0;
            for (std::size_t at; (at = line.find(',', start)) != std::string::npos; start = at + 1)
                cells.push_back(line.substr(start, at - start));
            abdomen.push_back(std::stod(cells[13]));
        }
    ASSERT_EQ(abdomen.size(), 10u);
    std::sort(abdomen.begin(), abdomen.end());
    const double median = 0.5 * (abdomen[4] + abdomen[5]);
    const double q1 = abdomen[2] + 0.25 * (abdomen[3] - abdomen[2]); // rank 2.25
    bool found = false;
    for (const auto& exam : summary["examinations"])
        if (exam["name"] == "腹部正面（臥位）") {
            found = true;
            EXPECT_EQ(exam["count"], 10);
            EXPECT_NEAR(exam["median"].get<double>(), median, 1e-12 * median);
            EXPECT_NEAR(exam["q1"].get<double>(), q1, 1e-12 * q1);
            EXPECT_NEAR(exam["ratio"].get<double>(), median / 2.5, 1e-12);
            EXPECT_EQ(exam["dose"], "esdAir");
            EXPECT_GT(exam["medianEffectiveDoseMsv"].get<double>(), 0);
        }
    EXPECT_TRUE(found);
    EXPECT_TRUE(std::filesystem::exists(folder / "survey-summary.csv"));
    EXPECT_NE(output(std::string(VELNOR_SURVEY) + " --help").find("PERCENTILE.INC"), std::string::npos);
}

} // namespace
} // namespace velnor::survey
