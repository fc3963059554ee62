// velnor-survey: many exposures at once (DICOM files, a CSV of exposures or
// JSON Lines of cases), each computed as the main window computes a flat
// case with its effective dose and reference level; per examination the
// statistics compared with the national levels, as JSON, and CSV files, a
// workbook and a PDF report.
#include "common/NumberReading.h"
#include "common/StandardOutput.h"
#include "common/TextEncoding.h"
#include "common/WorkingFolder.h"
#include "main/cli/ReportPdf.h"
#include "survey/SurveyFiles.h"
#include "survey/SurveyReport.h"
#include "survey/SurveyRun.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>

namespace {

constexpr const char* kUsage = R"(usage: velnor-survey [--data DIR] INPUT... [--csv FILE] [--xlsx FILE] [--report FILE.pdf]
                     [--band] [--by-room] [--threads N]
       velnor-survey --help

Computes every exposure of the inputs as the main window computes a case
with a flat surface (curved surfaces are not surveyed: such an exposure is
reported as failed), its effective dose from the body part's organ data (as
the depth-dose program gives it for the case's hand-off) and its diagnostic
reference level ("診断参考レベル.txt"), then summarises each examination.

Inputs (a failed file, row or exposure is reported and the survey goes on):
  a folder or a DICOM file  image headers and dose reports, completed as
               velnor-calc --dicom completes them (the settings
               "撮影装置.txt" and "DICOM撮影部位.txt" of DIR); folders are
               searched recursively
  FILE.csv     one exposure a row: a header row of velnor-calc's input keys
               (tubeVoltageKv, tubeCurrentMa, exposureTimeS,
               focusReceptorDistanceCm, focusSurfaceDistanceCm,
               bodyThicknessCm, fieldLongCm, fieldShortCm, bodyPart,
               rectification, inherentFiltrationCm, addedAlCm, addedCuCm,
               targetAngleDeg, ...; a key left out takes the main window's
               start-up value), and optionally "room" and "outputTable" (a
               ".op" file of DIR); UTF-8 with or without a byte-order mark or
               Shift_JIS, CR LF or LF, RFC 4180 quoting
  FILE.jsonl   JSON Lines (or FILE.json: an array) of velnor-calc's cases,
               with "room" and "outputTable" as above

Each examination is the exposures of one reference level (its name), or of
one body part that has none; with --by-room, of one room too. Its entrance
dose is the one the levels name (esdAir for Japan DRLs 2020). Quartiles and
medians interpolate linearly between order statistics (rank p (n - 1)), as
spreadsheets' PERCENTILE.INC and numpy's default do. A level applies to the
median of a group of standard-size patients, not to one patient.

Output (standard output): one JSON object: "exposures" (computed), "failed",
"errors" (each {"source", "error"}), and "examinations": [{"name", "room",
"drl" (mGy, or null), "edition", "count", "median", "q1", "q3", "min", "max"
(mGy), "medianThicknessCm", "medianEffectiveDoseMsv", "ratio" (median over
the level), "dose" (esdSoftTissue, esdSkin or esdAir)}].
Progress goes to standard error every 1000 exposures.

Options:
  --data DIR   the working folder (reference data, levels, organ data,
               settings), as for velnor-calc
  --csv FILE   also writes FILE, one row per exposure (full precision, units
               in the column names, the source file or row, the assumed
               inputs; no patient identifiers), and FILE's name with
               "-summary" before ".csv", one row per examination
  --xlsx FILE  also writes the same two tables as the sheets "summary" and
               "exposures" of a workbook
  --report FILE.pdf
               also writes the survey report: the summary table, then a box
               plot of each examination's entrance doses with its level
  --band       summarises only exposures whose body thickness lies within
               their body part's band in "体厚範囲.txt" of DIR (body parts
               without a band are not restricted); the others are counted
               as "outsideBand"
  --by-room    examinations per room too
  --threads N  computes on N threads (default: one per core); the results
               do not depend on N

Each output file is written whole or not at all. Exit status: 0 when every
exposure was computed, 1 when one failed, 2 for unusable arguments,
reference data or band file, 3 when an output could not be written.
)";

constexpr int kOutputFailed = 3;

int usageError(const std::string& message)
{
    std::fprintf(stderr, "velnor-survey: %s\n(velnor-survey --help explains the arguments)\n", velnor::escapedText(message).c_str());
    return 2;
}

nlohmann::json optionalJson(const std::optional<double>& v) { return v ? nlohmann::json(*v) : nlohmann::json(nullptr); }

std::string today()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    velnor::openClosedStandardStreams();
    std::filesystem::path dataFolder, csvPath, xlsxPath, reportPath;
    std::vector<std::filesystem::path> inputs;
    velnor::survey::SurveyOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return velnor::writeStandardOutput(kUsage) ? 0 : kOutputFailed;
        if (arg == "--data" || arg == "--csv" || arg == "--xlsx" || arg == "--report" || arg == "--threads") {
            if (++i == argc)
                return usageError(arg + " needs a value");
            if (arg == "--threads") {
                const std::optional<double> n = velnor::parseNumber(argv[i]);
                if (!n || *n < 1 || *n > 256 || *n != static_cast<unsigned>(*n))
                    return usageError("--threads takes a whole number from 1 to 256");
                options.threads = static_cast<unsigned>(*n);
            } else {
                (arg == "--data" ? dataFolder : arg == "--csv" ? csvPath : arg == "--xlsx" ? xlsxPath : reportPath) = argv[i];
            }
        } else if (arg == "--by-room") {
            options.byRoom = true;
        } else if (arg == "--band") {
            options.band = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            inputs.emplace_back(arg);
        }
    }
    if (inputs.empty())
        return usageError("no input: give DICOM files or folders, a CSV of exposures or JSON Lines of cases");
    if (!dataFolder.empty())
        if (const std::optional<velnor::Reason> fault = velnor::workingFolderFault(dataFolder))
            return usageError("--data " + dataFolder.string() + ": " + velnor::inEnglish(*fault));
    if (dataFolder.empty())
        dataFolder = velnor::defaultWorkingFolder();

    // The files are begun before the survey so that an unwritable place is
    // found at once; none of them appears unless the survey completes.
    std::optional<velnor::survey::SurveyCsv> csv;
    std::optional<velnor::survey::SurveyWorkbook> workbook;
    try {
        if (!csvPath.empty())
            csv.emplace(csvPath);
        if (!xlsxPath.empty())
            workbook.emplace(xlsxPath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-survey: %s\n", velnor::escapedText(e.what()).c_str());
        return kOutputFailed;
    }

    velnor::survey::SurveyProgress progress;
    std::string writeError;
    progress.exposure = [&](const velnor::survey::ExposureResult& r) {
        try {
            if (csv)
                csv->add(r);
            if (workbook)
                workbook->add(r);
        } catch (const std::exception& e) {
            if (writeError.empty())
                writeError = e.what();
        }
    };
    std::size_t reported = 0;
    progress.progress = [&](std::size_t done) {
        if (done / 1000 > reported) {
            reported = done / 1000;
            std::fprintf(stderr, "velnor-survey: %zu exposures\n", done);
        }
    };
    velnor::survey::SurveyOutcome outcome;
    try {
        outcome = velnor::survey::runSurvey(inputs, dataFolder, options, progress);
    } catch (const std::exception& e) {
        return usageError(std::string("cannot read the reference data: ") + e.what());
    }

    nlohmann::json out;
    nlohmann::json errors = nlohmann::json::array(), examinations = nlohmann::json::array();
    for (const auto& f : outcome.failures)
        errors.push_back({{"source", velnor::escapedText(f.source)}, {"error", velnor::escapedText(f.error)}});
    for (const auto& s : outcome.examinations)
        examinations.push_back({{"name", s.name},
                                {"room", s.room},
                                {"drl", optionalJson(s.levelMgy)},
                                {"edition", s.edition},
                                {"count", s.count},
                                {"outsideBand", s.outsideBand},
                                {"median", s.median},
                                {"q1", s.q1},
                                {"q3", s.q3},
                                {"min", s.min},
                                {"max", s.max},
                                {"medianThicknessCm", optionalJson(s.medianThicknessCm)},
                                {"medianEffectiveDoseMsv", optionalJson(s.medianEffectiveDoseMsv)},
                                {"ratio", optionalJson(s.ratio)},
                                {"dose", velnor::drlDoseKey(s.dose)}});
    out["exposures"] = outcome.computed;
    out["failed"] = outcome.failures.size();
    out["errors"] = errors;
    out["examinations"] = examinations;
    try {
        if (!writeError.empty())
            throw std::runtime_error(writeError);
        if (!reportPath.empty()) {
            velnor::survey::SurveyReportInfo info;
            info.date = today();
            for (const auto& input : inputs)
                info.inputs += (info.inputs.empty() ? "" : "、") + input.string();
            info.computed = outcome.computed;
            info.failed = outcome.failures.size();
            info.dose = outcome.dose;
            info.band = options.band;
            velnor::cli::writePdfWithPlugIn(velnor::survey::surveyReportPages(outcome.examinations, info), "線量調査", reportPath);
        }
        // After the report: a missing plug-in is the likeliest failure, and
        // then no file is new.
        if (csv)
            csv->commit(outcome.examinations);
        if (workbook)
            workbook->commit(outcome.examinations);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-survey: %s\n", velnor::escapedText(e.what()).c_str());
        return kOutputFailed;
    }
    if (!velnor::writeStandardOutput(out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n"))
        return kOutputFailed;
    return outcome.failures.empty() ? 0 : 1;
}
