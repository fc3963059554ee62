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
#include <cmath>

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

    // The band file: one band a body part, its bounds in order, a fault by line.
    const ThicknessBands shipped = readThicknessBands(kData);
    EXPECT_EQ(shipped.at("胸部正面").fromCm, 17);
    EXPECT_EQ(shipped.at("胸部正面").toCm, 23);
    for (const auto& [line, fault] : std::vector<std::pair<std::string, std::string>>{{",17,23", "line 3"},
                                                                                     {"腹部正面,23,17", "line 3"},
                                                                                     {"胸部正面,16,24", "line 2"},
                                                                                     {"腹部正面,17,x", "line 3"}}) {
        try {
            parseThicknessBands({"撮影部位,下限(cm),上限(cm)", "胸部正面,17,23", line});
            ADD_FAILURE() << line;
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(fault), std::string::npos) << e.what();
        }
    }
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

        // Another mAs of the protocol is the scaled case, whichever
        // calculator (thread) meets the protocol first.
        Exposure more = e;
        more.conditions.tubeCurrentMa = 320;
        more.conditions.exposureTimeS = 0.08;
        Calculator fresh(folder.path());
        const ExposureResult scaled = calculator.compute(more), first = fresh.compute(more);
        EXPECT_EQ(scaled.dose.esdAir, first.dose.esdAir);
        EXPECT_EQ(*scaled.effectiveDoseMsv, *first.effectiveDoseMsv);
        state.conditions = more.conditions;
        state.calculate();
        EXPECT_NEAR(scaled.dose.esdAir, state.lastCase->dose.esdAir, 1e-12 * scaled.dose.esdAir);
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
    writeTextLines(folder / "spreadsheet.csv", {"bodyPart,kV,mAs", "腹部正面,80,20", "腹部正面,85,25"}); // its own column names
    writeTextLines(folder / "cases.jsonl", {R"({"bodyPart": "胸部正面", "tubeVoltageKv": 120, "focusReceptorDistanceCm": 180, "focusSurfaceDistanceCm": 155, "room": "R2"})",
                                            R"({"bodyPart": "胸部正面", "tubeVoltageKv": 90, "focusReceptorDistanceCm": 180, "focusSurfaceDistanceCm": 155})"});
    std::filesystem::create_directories(folder / "dicom");
    testing::writeImage(folder / "dicom" / "a.dcm", {{0x0018, 0x0060, "80"}, {0x0018, 0x1152, "20"}, {0x0018, 0x0015, "ABDOMEN"}, {0x0018, 0x5101, "AP"}});
    int status = 0;
    const std::string json = output(std::string(VELNOR_SURVEY) + " --data '" + kData.string() + "' '" + (folder / "exposures.csv").string() +
                                        "' '" + (folder / "spreadsheet.csv").string() + "' '" + (folder / "cases.jsonl").string() + "' '" + (folder / "dicom").string() + "' --csv '" +
                                        (folder / "survey.csv").string() + "' 2>/dev/null",
                                    &status);
    EXPECT_EQ(status, 1); // the row with "eighty", and the spreadsheet's header once
    const auto summary = nlohmann::json::parse(json);
    EXPECT_EQ(summary["exposures"], 12);
    EXPECT_EQ(summary["failed"], 2);
    EXPECT_NE(summary["errors"][0]["source"].get<std::string>().find("row 11"), std::string::npos);
    EXPECT_NE(summary["errors"][1]["error"].get<std::string>().find("the columns \"kV\", \"mAs\""), std::string::npos);

    // The per-exposure file, read back: esdAir of the abdomen level's exposures.
    const std::vector<std::string> lines = readTextLines(folder / "survey.csv");
    ASSERT_EQ(lines.size(), 15u); // header, 13 exposures and the spreadsheet in input order
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

// The files of a survey (CSV, workbook, report) and its independence of the
// thread count; outputs that cannot be written leave nothing behind.
TEST(SurveyProgram, FilesAreWholeAndTheSameOnAnyNumberOfThreads)
{
    testing::TempFolder folder;
    std::vector<std::string> rows = {"bodyPart,tubeVoltageKv,tubeCurrentMa,exposureTimeS,bodyThicknessCm,focusSurfaceDistanceCm"};
    for (int k = 0; k < 1200; ++k)
        rows.push_back(std::string(k % 3 ? "腹部正面,80," : "胸部正面,110,") + std::to_string(100 + k % 7 * 40) + ",0.05," +
                       std::to_string(15 + k % 10) + ",70");
    rows.push_back("\x95\xA0\x95\x94\x90\xB3\x96\xCA,80,200,0.1,20,75"); // 腹部正面 in Shift_JIS
    writeTextLines(folder / "exposures.csv", rows);
    const std::string survey = std::string(VELNOR_SURVEY) + " --data '" + kData.string() + "' '" + (folder / "exposures.csv").string() + "' --band";
    int status = -1;
    const std::string one = output(survey + " --threads 1 --csv '" + (folder / "one.csv").string() + "' 2>/dev/null", &status);
    EXPECT_EQ(status, 0);
    const std::string three = output(survey + " --threads 3 --csv '" + (folder / "three.csv").string() + "' --xlsx '" +
                                         (folder / "s.xlsx").string() + "' --report '" + (folder / "s.pdf").string() + "' 2>/dev/null",
                                     &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(one, three);
    EXPECT_EQ(readFileBytes(folder / "one.csv"), readFileBytes(folder / "three.csv"));
    const auto summary = nlohmann::json::parse(one);
    EXPECT_EQ(summary["exposures"], 1201);
    const auto& abdomen = summary["examinations"][1];
    EXPECT_EQ(abdomen["name"], "腹部正面（臥位）");
    EXPECT_EQ(abdomen["outsideBand"], 240); // 15, 16 and 24 cm: outside 17-23
    EXPECT_EQ(abdomen["count"], 801 - 240);

    // The workbook's cells, read from its sheets' XML.
    const std::string cells = output("python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                                     "print(z.read('xl/worksheets/sheet1.xml').decode()); print(len(z.read('xl/worksheets/sheet2.xml').decode().split('<row ')) - 1)\" '" +
                                     (folder / "s.xlsx").string() + "'");
    EXPECT_NE(cells.find("腹部正面（臥位）"), std::string::npos);
    const double median = abdomen["median"];
    bool found = false;
    for (std::size_t at = 0; (at = cells.find("<v>", at)) != std::string::npos; at += 3)
        found = found || std::abs(std::stod(cells.substr(at + 3)) - median) < 1e-14 * median;
    EXPECT_TRUE(found) << "no cell holds the median " << median;
    EXPECT_NE(cells.find("\n1202\n"), std::string::npos); // a header and 1201 exposures

    // The report: the summary, then the box plots, each with its level.
    EXPECT_NE(output("pdfinfo '" + (folder / "s.pdf").string() + "' | tr -s ' '").find("Pages: 2"), std::string::npos);
    const std::string text = output("pdftotext '" + (folder / "s.pdf").string() + "' -");
    EXPECT_NE(text.find("臥位"), std::string::npos);
    EXPECT_NE(text.find("箱は第1から第3四分位"), std::string::npos);
    EXPECT_NE(text.find("レベル 2.5 mGy"), std::string::npos); // numbers a reader can copy

    // No file where one cannot be written; none half-made beside another.
    output(survey + " --csv '" + (folder / "none" / "x.csv").string() + "' 2>/dev/null", &status);
    EXPECT_EQ(status, 3);
    output(survey + " --csv '" + (folder / "new.csv").string() + "' --report '" + (folder / "none" / "x.pdf").string() + "' 2>/dev/null", &status);
    EXPECT_EQ(status, 3);
    // The report is written first: its failure leaves the CSV unwritten too.
    EXPECT_FALSE(std::filesystem::exists(folder / "new.csv"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 7); // input, 2 × 2 CSV, workbook, report
}

} // namespace
} // namespace velnor::survey
