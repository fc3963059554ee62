// velnor-survey: many exposures at once (DICOM files, a CSV of exposures or
// JSON Lines of cases), each computed as the main window computes a flat
// case with its effective dose and reference level; per examination the
// statistics compared with the national levels, as JSON, and CSV files.
#include "common/CsvFields.h"
#include "common/DisplayFormat.h"
#include "common/NumberReading.h"
#include "common/StandardOutput.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "common/WorkingFolder.h"
#include "dicom/DicomExposure.h"
#include "main/cli/CaseJson.h"
#include "main/form/DicomCase.h"
#include "survey/Survey.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdio>
#include <functional>
#include <set>

namespace {

constexpr const char* kUsage = R"(usage: velnor-survey [--data DIR] INPUT... [--csv FILE] [--by-room]
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
  --by-room    examinations per room too

Exit status: 0 when every exposure was computed, 1 when one failed, 2 for
unusable arguments or reference data, 3 when an output could not be written.
)";

constexpr int kOutputFailed = 3;

int usageError(const std::string& message)
{
    std::fprintf(stderr, "velnor-survey: %s\n(velnor-survey --help explains the arguments)\n", velnor::escapedText(message).c_str());
    return 2;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool endsWith(const std::string& s, const std::string& end) { return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0; }

// A case object of velnor-calc's keys made an exposure: "room" and
// "outputTable" are the survey's own.
velnor::survey::Exposure exposureOf(nlohmann::json object, const std::string& source)
{
    velnor::survey::Exposure e;
    e.source = source;
    if (object.contains("room")) {
        e.room = object["room"].is_string() ? object["room"].get<std::string>() : object["room"].dump();
        object.erase("room");
    }
    if (object.contains("outputTable")) {
        if (!object["outputTable"].is_string())
            throw std::invalid_argument("\"outputTable\" must be a file name");
        e.outputTable = object["outputTable"].get<std::string>();
        object.erase("outputTable");
    }
    velnor::cli::applyCase(object, e.conditions);
    return e;
}

// The rows of a CSV of exposures, each a case object of its header's keys,
// handed on in file order: computed, or failed with the reason.
void readCsv(const std::filesystem::path& path, const std::function<void(const velnor::survey::Exposure&)>& compute,
             const std::function<void(const std::string&, const std::string&)>& failed)
{
    static const std::set<std::string> kTextKeys = {"bodyPart", "fieldPresetName", "otherFilterName", "otherFilterFile", "room",
                                                    "outputTable", "measuredExposureUnit"};
    const std::vector<std::string> lines = velnor::readTextLines(path);
    std::vector<std::string> header;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string source = path.filename().string() + " row " + std::to_string(i + 1);
        velnor::survey::Exposure exposure;
        try {
            const std::vector<std::string> cells = velnor::csvCells(lines[i]);
            if (cells.empty())
                continue;
            if (header.empty()) {
                header = cells;
                continue;
            }
            if (cells.size() > header.size())
                throw velnor::RefusedValue(velnor::Reason{velnor::ReasonCode::TooManyValues});
            nlohmann::json object = nlohmann::json::object();
            for (std::size_t k = 0; k < cells.size(); ++k) {
                if (cells[k].empty())
                    continue;
                if (kTextKeys.count(header[k])) {
                    object[header[k]] = cells[k];
                } else {
                    const std::optional<double> v = velnor::parseNumber(cells[k]);
                    if (!v)
                        throw std::invalid_argument("column \"" + header[k] + "\": \"" + cells[k] + "\" is not a number");
                    object[header[k]] = *v;
                }
            }
            exposure = exposureOf(object, source);
        } catch (const std::exception& e) {
            failed(source, e.what());
            continue;
        }
        compute(exposure);
    }
}

// Full precision: the shortest text that reads back as the same number.
std::string number(const std::optional<double>& v)
{
    if (!v)
        return {};
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, *v).ptr;
    return std::string(text, end);
}

std::vector<std::string> exposureLines(const std::vector<velnor::survey::ExposureResult>& results)
{
    std::vector<std::string> lines = {
        "source,room,bodyPart,tubeVoltageKv,tubeCurrentMa,exposureTimeS,focusReceptorDistanceCm,focusSurfaceDistanceCm,"
        "bodyThicknessCm,fieldLongCm,fieldShortCm,esdSoftTissue (mGy),esdSkin (mGy),esdAir (mGy),effectiveDose (mSv),"
        "drlName,drl (mGy),drlRatio,assumed,error"};
    for (const velnor::survey::ExposureResult& r : results) {
        const velnor::ExposureConditions& c = r.conditions;
        const bool ok = r.error.empty();
        const bool level = r.drl.kind == velnor::DrlComparison::Kind::Compared;
        std::string assumed;
        for (const std::string& key : r.assumed)
            assumed += (assumed.empty() ? "" : " ") + key;
        std::vector<std::string> cells = {velnor::csvField(r.source), velnor::csvField(r.room)};
        if (ok) {
            for (const std::string& v : {velnor::csvField(c.bodyPart), number(c.tubeVoltageKv), number(c.tubeCurrentMa), number(c.exposureTimeS),
                                         number(c.focusReceptorDistanceCm), number(c.focusSurfaceDistanceCm), number(c.bodyThicknessCm),
                                         number(c.fieldLongCm), number(c.fieldShortCm), number(r.dose.esdSoftTissue), number(r.dose.esdSkin),
                                         number(r.dose.esdAir), number(r.effectiveDoseMsv), velnor::csvField(level ? r.drl.name : ""),
                                         level ? number(r.drl.levelMgy) : "", level ? number(r.drl.ratio) : ""})
                cells.push_back(v);
        } else {
            cells.resize(cells.size() + 16);
        }
        cells.push_back(velnor::csvField(assumed));
        cells.push_back(velnor::csvField(r.error));
        std::string line;
        for (std::size_t k = 0; k < cells.size(); ++k)
            line += (k ? "," : "") + cells[k];
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> summaryLines(const std::vector<velnor::survey::ExaminationSummary>& summaries)
{
    std::vector<std::string> lines = {"examination,room,count,outsideBand,dose,median (mGy),q1 (mGy),q3 (mGy),min (mGy),max (mGy),"
                                      "medianThicknessCm,medianEffectiveDose (mSv),drl (mGy),ratio,edition"};
    for (const auto& s : summaries)
        lines.push_back(velnor::csvField(s.name) + "," + velnor::csvField(s.room) + "," + std::to_string(s.count) + "," +
                        std::to_string(s.outsideBand) + "," + velnor::drlDoseKey(s.dose) + "," + (s.count ? number(s.median) : "") + "," +
                        (s.count ? number(s.q1) : "") + "," + (s.count ? number(s.q3) : "") + "," + (s.count ? number(s.min) : "") + "," +
                        (s.count ? number(s.max) : "") + "," + number(s.medianThicknessCm) + "," + number(s.medianEffectiveDoseMsv) + "," +
                        number(s.levelMgy) + "," + number(s.ratio) + "," + velnor::csvField(s.edition));
    return lines;
}

nlohmann::json optionalJson(const std::optional<double>& v) { return v ? nlohmann::json(*v) : nlohmann::json(nullptr); }

} // namespace

int main(int argc, char** argv)
{
    velnor::openClosedStandardStreams();
    std::filesystem::path dataFolder, csvPath;
    std::vector<std::filesystem::path> inputs;
    bool byRoom = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return velnor::writeStandardOutput(kUsage) ? 0 : kOutputFailed;
        if (arg == "--data" || arg == "--csv") {
            if (++i == argc)
                return usageError(arg + " needs a value");
            (arg == "--data" ? dataFolder : csvPath) = argv[i];
        } else if (arg == "--by-room") {
            byRoom = true;
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

    std::optional<velnor::survey::Calculator> calculator;
    try {
        if (dataFolder.empty())
            dataFolder = velnor::defaultWorkingFolder();
        calculator.emplace(dataFolder);
    } catch (const std::exception& e) {
        return usageError(std::string("cannot read the reference data: ") + e.what());
    }
    std::optional<velnor::form::DicomSettings> dicomSettings; // read when a DICOM input needs them

    std::vector<velnor::survey::ExposureResult> results;
    auto computeAll = [&](const std::vector<velnor::survey::Exposure>& exposures) {
        for (const velnor::survey::Exposure& e : exposures) {
            results.push_back(calculator->compute(e));
            if (results.size() % 1000 == 0)
                std::fprintf(stderr, "velnor-survey: %zu exposures\n", results.size());
        }
    };
    auto failed = [&](const std::string& source, const std::string& error) {
        velnor::survey::ExposureResult r;
        r.source = source;
        r.error = error;
        results.push_back(r);
    };
    for (const std::filesystem::path& input : inputs) {
        const std::string name = lower(input.filename().string());
        std::error_code ec;
        try {
            if (!std::filesystem::is_directory(input, ec) && endsWith(name, ".csv")) {
                readCsv(input, [&](const velnor::survey::Exposure& e) { computeAll({e}); }, failed);
            } else if (!std::filesystem::is_directory(input, ec) && (endsWith(name, ".jsonl") || endsWith(name, ".json"))) {
                nlohmann::json cases = velnor::cli::parseCases(velnor::readFileBytes(input));
                if (cases.is_object())
                    cases = nlohmann::json::array({cases});
                std::vector<velnor::survey::Exposure> exposures;
                for (std::size_t k = 0; k < cases.size(); ++k) {
                    const std::string source = input.filename().string() + " case " + std::to_string(k + 1);
                    try {
                        exposures.push_back(exposureOf(cases[k], source));
                    } catch (const std::exception& e) {
                        failed(source, e.what());
                    }
                }
                computeAll(exposures);
            } else {
                if (!dicomSettings)
                    dicomSettings = velnor::form::loadDicomSettings(dataFolder);
                for (const std::filesystem::path& file : velnor::dicom::filesUnder({input})) {
                    try {
                        for (const velnor::dicom::Exposure& d : velnor::dicom::readExposures(file)) {
                            const std::string source = file.string() + (d.event > 0 ? " event " + std::to_string(d.event) : "");
                            try {
                                const velnor::form::DicomCase c = velnor::form::completeExposure(d, *dicomSettings);
                                velnor::survey::Exposure e;
                                e.source = source;
                                e.room = d.stationName;
                                e.conditions = c.conditions;
                                e.outputTable = c.outputTable;
                                for (const velnor::form::ValueOrigin& v : c.assumed)
                                    e.assumed.push_back(v.key);
                                computeAll({e});
                            } catch (const std::exception& e) {
                                failed(source, e.what());
                            }
                        }
                    } catch (const std::exception& e) {
                        failed(file.string(), e.what());
                    }
                }
            }
        } catch (const std::exception& e) {
            failed(input.string(), e.what());
        }
    }

    const velnor::ReferenceLevels& levels = calculator->referenceLevels();
    const velnor::DrlDose dose = levels.table ? levels.table->dose : velnor::DrlDose::Air;
    const std::vector<velnor::survey::ExaminationSummary> summaries = velnor::survey::summarize(results, dose, byRoom);
    nlohmann::json out;
    nlohmann::json errors = nlohmann::json::array(), examinations = nlohmann::json::array();
    int computed = 0;
    for (const auto& r : results) {
        if (r.error.empty())
            ++computed;
        else
            errors.push_back({{"source", velnor::escapedText(r.source)}, {"error", velnor::escapedText(r.error)}});
    }
    for (const auto& s : summaries)
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
    out["exposures"] = computed;
    out["failed"] = static_cast<int>(errors.size());
    out["errors"] = errors;
    out["examinations"] = examinations;
    try {
        if (!csvPath.empty()) {
            velnor::writeTextLines(csvPath, exposureLines(results), {true});
            std::filesystem::path summary = csvPath;
            summary.replace_filename(csvPath.stem().string() + "-summary" + csvPath.extension().string());
            velnor::writeTextLines(summary, summaryLines(summaries), {true});
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-survey: %s\n", velnor::escapedText(e.what()).c_str());
        return kOutputFailed;
    }
    if (!velnor::writeStandardOutput(out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n"))
        return kOutputFailed;
    return errors.empty() ? 0 : 1;
}
