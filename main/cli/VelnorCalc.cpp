// velnor-calc: the main program's dose calculation without windows, JSON in,
// JSON out. See usage() for everything it does.
#include "main/cli/CaseJson.h"
#include "main/cli/ReportPdf.h"
#include "main/cli/DicomJson.h"
#include "common/StandardOutput.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "common/FileLookup.h"
#include "common/Version.h"
#include "common/WorkingFolder.h"
#include "main/dose/DepthDoseHandOff.h"
#include "main/dose/NonPlanarBackscatter.h"
#include "main/form/ExposureForm.h"
#include "main/records/CalculationError.h"
#include "main/records/ReferenceLoader.h"
#include "main/records/UserFiles.h"
#include "main/results/ReportLayout.h"
#include "main/results/ResultsFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>

namespace {

const char* const kUsage = R"(usage: velnor-calc [--data DIR] [--no-files] [--jsonl] [CASE.json | -]
       velnor-calc --read RESULTS.csv
       velnor-calc --version

Computes the entrance surface dose of diagnostic X-ray exposures exactly as the
main program Velnor_V17 does when "この条件で計算する" is pressed: spectrum and
beam quality, exposure at 1 m, conversion factors, backscatter factors and
entrance surface doses.

Input (CASE.json, or standard input when it is "-" or absent): a JSON object
whose keys are the exposure-condition field names in their stored units, an
array of such objects, or JSON Lines (one object a line). An unknown key, at
any depth, and a key given twice in one object are refused. The keys of a
case's output (photonSpectrum, kermaRatio, hvl1Cm, hvl2Cm, effectiveEnergyKev,
atrIndex, qualityIndex, cf*, bsf*, esd*, effectiveDoseMsv, labels, version,
histories) are ignored, so an output or a row printed by --read computes
again. Missing keys keep the main window's start-up values:
  targetAngleDeg 12, inherentFiltrationCm 0.25, addedAlCm 0.1, addedCuCm 0,
  tubeVoltageKv 75, tubeCurrentMa 200, exposureTimeS 0.05,
  focusReceptorDistanceCm 100, bodyThicknessCm 20, focusSurfaceDistanceCm 80,
  fieldShape 1 (2 circular), fieldLongCm 43.2, fieldShortCm 35.6 (cm at the
  image receptor; "-" reads as 0; a circle's diameter is fieldLongCm),
  fieldPresetName "半切サイズ 縦" (a preset named without sizes brings its
  sizes; sizes without a name are stored as "その他", a circle as
  "円形照射野" with short axis 0), rectification 1 (1 constant potential or
  inverter, 2 three-phase 12-peak, 3 single-phase full-wave), exposureSource 2
  (2 tube output table; 1 measured: give exposureAt1m in C/kg), incidenceMode 1
  (flat surface), headPhantom 0 (1 head), otherFilterActive false with
  otherFilterCm and otherFilterMu (300 values, 1/cm, bin 1 first), and the text
  fields otherFilterName, fieldPresetName, bodyPart; "outputTable": "NAME.op"
  computes with another tube output table of DIR, as the main window's
  selector would (default: default-output.op). Lengths are in cm, also
  filtrations (2.5 mm is 0.25).
  The main window's dialogs, as keys:
    "otherFilterFile": "Cu.ele", "otherFilterMm": 0.5   a material file of DIR
        as the other filter ("任意フィルタ")
    "measuredExposure": 2.58e-4, "measuredExposureUnit": "C/kg" | "R" | "Gy"
        a measured exposure (or air kerma) at 1 m instead of the output table
    "fluoroscopy": {"pulsed": true, "mA": 2, "ms": 5, "pps": 15}   the average
        tube current of fluoroscopy (continuous: {"mA": 2})
    "fit": {"target": "hvl" | "atr", "method": "filtration" | "voltage",
            "measured": VALUE}   fits the inherent filtration or the tube
        voltage (0.2-kV steps) to a measured HVL (mm Al) or ATR index before
        the doses, as "再計算する" does; the output then holds the fitted
        inherentFiltrationCm or tubeVoltageKv
  A case is refused, with the same reasons as in the main window, when
  bodyThicknessCm exceeds focusReceptorDistanceCm - focusSurfaceDistanceCm,
  or when a value lies outside its physical range: distances 1 to 1000 cm,
  body thickness 0.1 to 100 cm, field sizes 0.1 to 200 cm (a field size of
  "-" counts as 0), tube current 0.001 to 10000 mA and exposure time 0.0001
  to 3600 s (with the tube output table), a measured exposure above 0 and at
  most 1 C/kg, tube voltage 1 to 150 kV, target angle between 0 and 90
  degrees, filtrations 0 to 100 mm each; a number that is not finite, a code
  outside its values, a text with a line break or tab. Pulsed fluoroscopy
  needs a positive current, width and rate, and pulses no longer than the
  second (ms x pps at most 1000).

Curved surfaces: incidenceMode 2 with surfaceCode 1 (cylinder, give
cylinderRadiusCm), 2 (elliptic cylinder: ellipseHorizontalCm,
ellipseVerticalCm) or 4 (racetrack: racetrackACm, racetrackBCm,
racetrackLengthCm), and mcHistories (default 50000000, as in the surface
dialog; a whole number up to 2147483647, and at least what the field and
distances need: the engine needs 100 primary photons through its scoring
disc of 0.5 cm radius at the centre of the field, so a case is refused,
naming the fewest that suffice, when fewer than 150 are expected (for the
start-up field at 80 of 100 cm: 200000; never fewer than 100000)). Dimensions and distances
up to 1000 cm and field sizes up to 200 cm. velnor-calc runs the surface's
Monte Carlo program (found in DIR, else beside velnor-calc; bsfmc_cylinder
for the cylinder) to its end in a folder of this run's own inside DIR, with
its job file joken.txt and the spectrum, reads its result and goes on with
the doses; the folder is removed afterwards, so runs side by side never
share their files. The program's console text goes to standard error; its
reason for a failure is the case's "error"; it ends when velnor-calc ends,
however that happens. The output names the histories run ("histories").
This needs the spectrum file, so not --no-files.

Output (standard output): for each case a JSON object with its bodyPart,
photonSpectrum
(300 values, bin j = 0.5 j keV, bin 1 first), kermaRatio, hvl1Cm,
effectiveEnergyKev, atrIndex, exposureAt1m (C/kg), cfSoftTissue, cfSkin, cfAir
(Gy per C/kg), bsfSoftTissue, bsfSkin, bsfAir, esdSoftTissue, esdSkin, esdAir
(mGy), labels: the main window's texts Label65..Label75 and Label78, and
version: {"program", "data"} (the data's fingerprint, as --version prints
it), and drl: the case held against its diagnostic reference level from
"診断参考レベル.txt" in DIR, {"edition", "name", "valueMgy", "dose" (the
entrance dose compared: esdSoftTissue, esdSkin or esdAir), "ratio" (that
dose over the level)}; null where the body part has no level, {"error":
"<reason>"} where the table cannot be read (the exit status does not change).
A level applies to the median dose of a group of standard-size patients,
not to one patient. A case that fails gives {"error": "<reason>", "version"}. An array of
cases or JSON Lines give an array; with --jsonl one object a line, each
written as soon as its case is done (for long batches).

Options:
  --data DIR   read the reference files from DIR, as the main program reads
               them at start-up (default: the current folder; installed, the
               user's folder ~/.local/share/velnor, prepared as the main
               window prepares it)
  --no-files   do not write the spectrum file X_SPCTL.dat into DIR
  --csv FILE   save the computed cases as a results file, exactly as the results
               window's "データ保存" would (at most 15 cases; more is refused;
               when a case fails no file is written: a table holds every
               case or none)
  --report FILE  the printed page of the same table as a PDF file (A4
               landscape; the user name from Primary.dat in DIR)
  --comment TEXT  line 1 of the results file (default "velnor-calc")
  --brief      leave the 300-value photonSpectrum out of each output
  --handoff FILE  write the depth-dose hand-off (Velnor2PDD.dat) of each
               computed case, as "実効線量概算" would (the last case stays)
  --read FILE.csv  check a results file as the results window's "データ読込"
               does (every line and value present, every row a case that could
               have been computed) and print its rows as a JSON array, one
               object per row: the conditions under the input keys above (so a
               row can be computed again), hvl1Cm, effectiveEnergyKev,
               exposureAt1m, cf*, bsf*, esd* as in a case's output, and
               hvl2Cm, qualityIndex, effectiveDoseMsv when the row has them,
               and drl as above.
               A file that is refused gives {"error": "<file, line, column
               and reason>"} and exit status 1.
  --jsonl      one result a line (JSON Lines) instead of one JSON document
  --dicom PATH...  compute the exposures recorded in DICOM files (folders are
               searched recursively, in name order): an image header of a
               projection radiograph (DX, CR, RF, XA, MG) gives one case, an
               X-ray radiation dose report one case per irradiation event.
               What a file lacks comes from the settings of DIR:
               "撮影装置.txt" (per station name, "manufacturer/model" or "*":
               tube output table, waveform, target angle, inherent
               filtration, exit surface to receptor distance) and
               "DICOM撮影部位.txt" (body part examined, view position or a word
               of the protocol name -> the body part of "撮影部位.txt", its
               thickness, FFD and field). FSD is the source-entrance distance
               where the file gives it, else FFD - thickness - that distance.
               One JSON object a line, in file order: the case's input and
               result keys (as a --read row), drl, "source": {"file",
               "sopInstanceUid", "event", "studyDate", "stationName",
               "protocolName", "bodyPartExamined", "viewPosition"},
               "fromFile" and "assumed" (input keys), "origins" (each key's
               attribute, concept or settings line), "outputTable", and
               "system": the file's own figures ("entranceDoseMgy",
               "dapDgyCm2", "exposureIndex", "targetExposureIndex",
               "deviationIndex") with ours ("oursIncidentAirKermaMgy": air
               kerma free in air at the entrance plane; "oursDapDgyCm2": it
               times the field's area there) and the ratios
               "entranceDoseRatio" and "dapRatio" (the system's over ours),
               with "note" when one lies outside 0.7 to 1.4 (a wrong
               assumption or calibration). A file or an
               exposure that cannot be used gives {"source", "error"} on its
               line (a missing tube voltage, neither mAs nor current and
               time, an anode that is not tungsten) and the others go on.
               Patient names and identifiers are never read.
  --version    the program's version and the fingerprint of the reference
               data in DIR
  --help       this text

The output files are checked before anything is computed (their folder must
exist and take files; --comment must be one line).

Exit status: 0 when every case succeeded, 1 when a case failed (or --read
refused the file, or --dicom could not use a file or an exposure), 2 for unusable arguments or input, or reference files that
cannot be read, 3 when an output could not be written (standard output or a
file); every message on standard error.
)";

// The surface dialog's default history count.
constexpr double kDefaultHistories = 50000000;

// The printed page as PDF, by the plug-in beside this program: only a run
// with --report loads Qt's GUI libraries.
void writeReport(const velnor::ResultsTable& table, double cfAir, const std::string& userName, const velnor::ReferenceLevels& levels,
                 const std::filesystem::path& path)
{
    velnor::cli::writePdfWithPlugIn({velnor::reportPage(table, cfAir, userName, &levels)}, "診断Ｘ線の入射表面線量", path);
}

bool tableWantedBy(const std::filesystem::path& csv, const std::filesystem::path& report) { return !csv.empty() || !report.empty(); }

int usageError(const std::string& message)
{
    std::fprintf(stderr, "velnor-calc: %s\n(velnor-calc --help explains the arguments)\n", velnor::escapedText(message).c_str());
    return 2;
}

// Exit status of an output that could not be written.
constexpr int kOutputFailed = 3;

// The JSON text of a value: bytes that are not UTF-8 (a file name of the
// system) never stop the output.
std::string jsonText(const nlohmann::json& value, int indent)
{
    return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Standard output, whole, or a failure: a full disk or a closed pipe is not success.
bool emit(const std::string& text)
{
    if (velnor::writeStandardOutput(text))
        return true;
    std::fprintf(stderr, "velnor-calc: the output could not be written to standard output (%s)\n", std::strerror(errno));
    return false;
}

nlohmann::json errorJson(const std::exception& e) { return {{"error", velnor::escapedText(e.what())}}; }

// --read: the rows of a results file, checked as the read window checks them.
int readResults(const std::filesystem::path& path, const velnor::ReferenceLevels& levels)
{
    nlohmann::json out;
    int status = 0;
    try {
        const velnor::ResultsFileContent content = velnor::readResultsFile(path);
        out = nlohmann::json::array();
        for (const velnor::ResultRow& row : content.rows) {
            nlohmann::json j = velnor::cli::rowJson(row);
            j["drl"] = velnor::cli::drlJson(
                velnor::compareWithReferenceLevel(levels, row.conditions.bodyPart, row.conditions.tubeVoltageKv, row.dose));
            out.push_back(std::move(j));
        }
    } catch (const std::exception& e) {
        out = errorJson(e);
        status = 1;
    }
    return emit(jsonText(out, 2) + "\n") ? status : kOutputFailed;
}

// Why an output file cannot be written where it is asked for, before anything
// is computed: its folder must exist and take files, and it must not be a folder.
std::optional<std::string> outputPathFault(const std::string& option, const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (fs::is_directory(path, ec))
        return option + " " + path.string() + ": is a folder";
    if (!fs::is_directory(folder, ec))
        return option + " " + path.string() + ": the folder " + folder.string() + " does not exist";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return option + " " + path.string() + ": the folder " + folder.string() + " cannot be written (" + std::strerror(errno) + ")";
    return std::nullopt;
}

// --dicom: one line per image or irradiation event, in file order; a file
// or an exposure that cannot be used gives its line with "error".
int runDicom(const std::vector<std::filesystem::path>& paths, std::filesystem::path dataFolder, bool brief)
{
    velnor::StartupData startup;
    velnor::form::DicomSettings settings;
    nlohmann::json versionJson;
    try {
        if (dataFolder.empty())
            dataFolder = velnor::defaultWorkingFolder();
        startup = velnor::loadStartupData(dataFolder);
        settings = velnor::form::loadDicomSettings(dataFolder);
        versionJson = {{"program", velnor::programVersion()}, {"data", velnor::referenceDataVersion(dataFolder)}};
    } catch (const std::exception& e) {
        return usageError(std::string("cannot read the reference data or the DICOM settings: ") + e.what());
    }
    const velnor::ReferenceLevels levels = velnor::loadReferenceLevels(dataFolder);
    std::map<std::string, velnor::OutputDataTable> outputTables;
    bool allSucceeded = true;
    for (const std::filesystem::path& file : velnor::dicom::filesUnder(paths)) {
        std::vector<velnor::dicom::Exposure> exposures;
        try {
            exposures = velnor::dicom::readExposures(file);
        } catch (const std::exception& e) {
            allSucceeded = false;
            nlohmann::json failed{{"source", velnor::cli::sourceJson(file, nullptr)}, {"error", velnor::escapedText(e.what())}};
            if (!emit(jsonText(failed, -1) + "\n"))
                return kOutputFailed;
            continue;
        }
        for (const velnor::dicom::Exposure& exposure : exposures) {
            nlohmann::json result;
            try {
                const velnor::form::DicomCase dicomCase = velnor::form::completeExposure(exposure, settings);
                velnor::CalculationState state;
                state.tables = startup.tables;
                auto table = outputTables.find(dicomCase.outputTable);
                if (table == outputTables.end())
                    table = outputTables
                                .emplace(dicomCase.outputTable, velnor::loadOutputDataTable(velnor::findFileIgnoringCase(
                                                                    dataFolder, dicomCase.outputTable)))
                                .first;
                state.outputData = table->second;
                state.conditions = dicomCase.conditions;
                state.calculate();
                const auto& computed = *state.lastCase;
                velnor::ResultRow row;
                row.conditions = computed.conditions;
                row.beamQuality = computed.beamQuality;
                row.dose = computed.dose;
                result = velnor::cli::rowJson(row);
                if (!brief) {
                    nlohmann::json spectrum = nlohmann::json::array();
                    for (int j = 1; j < static_cast<int>(computed.photonSpectrum.size()); ++j)
                        spectrum.push_back(computed.photonSpectrum[static_cast<std::size_t>(j)]);
                    result["photonSpectrum"] = spectrum;
                }
                velnor::cli::addOrigins(result, dicomCase);
                result["drl"] = velnor::cli::drlJson(velnor::compareWithReferenceLevel(levels, computed.conditions.bodyPart,
                                                                                       computed.conditions.tubeVoltageKv, computed.dose));
                result["system"] = velnor::cli::systemJson(exposure, velnor::form::compareWithSystem(exposure, computed.conditions, computed.dose));
            } catch (const std::exception& e) {
                allSucceeded = false;
                result = errorJson(e);
            }
            result["source"] = velnor::cli::sourceJson(file, &exposure);
            result["version"] = versionJson;
            if (!emit(jsonText(result, -1) + "\n"))
                return kOutputFailed;
        }
    }
    return allSucceeded ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    velnor::openClosedStandardStreams();
    std::filesystem::path dataFolder;
    bool writeFiles = true;
    std::string input = "-";
    bool inputGiven = false;
    std::filesystem::path csvPath, reportPath, handOffPath;
    std::string comment = "velnor-calc";
    bool brief = false, jsonLines = false, version = false;
    std::filesystem::path readPath;
    bool dicomMode = false;
    std::vector<std::filesystem::path> dicomPaths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return emit(kUsage) ? 0 : kOutputFailed;
        } else if (arg == "--version") {
            version = true;
        } else if (arg == "--data") {
            if (++i == argc)
                return usageError("--data needs a folder");
            dataFolder = argv[i];
        } else if (arg == "--no-files") {
            writeFiles = false;
        } else if (arg == "--read") {
            if (++i == argc)
                return usageError("--read needs a results file");
            readPath = argv[i];
        } else if (arg == "--csv" || arg == "--report" || arg == "--comment" || arg == "--handoff") {
            if (++i == argc)
                return usageError(arg + " needs a value");
            if (arg == "--csv")
                csvPath = argv[i];
            else if (arg == "--report")
                reportPath = argv[i];
            else if (arg == "--handoff")
                handOffPath = argv[i];
            else
                comment = argv[i];
        } else if (arg == "--brief") {
            brief = true;
        } else if (arg == "--dicom") {
            dicomMode = true;
        } else if (arg == "--jsonl") {
            jsonLines = true;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return usageError("unknown option " + arg);
        } else if (dicomMode && !(arg.size() > 1 && arg[0] == '-')) {
            dicomPaths.emplace_back(arg);
        } else if (inputGiven) {
            return usageError("only one input file may be given");
        } else {
            input = arg;
            inputGiven = true;
        }
    }
    if (!dataFolder.empty())
        if (const std::optional<velnor::Reason> fault = velnor::workingFolderFault(dataFolder))
            return usageError("--data " + dataFolder.string() + ": " + velnor::inEnglish(*fault));
    if (version) {
        std::string data = "not found";
        try {
            const std::filesystem::path folder = dataFolder.empty() ? velnor::defaultWorkingFolder() : dataFolder;
            data = velnor::referenceDataVersion(folder) + " (" + folder.string() + ")";
        } catch (const std::exception& e) {
            data = std::string("not readable: ") + e.what();
        }
        return emit("velnor-calc " + std::string(velnor::programVersion()) + "\nreference data " + velnor::escapedText(data) + "\n")
            ? 0
            : kOutputFailed;
    }
    if (!readPath.empty()) {
        velnor::ReferenceLevels levels;
        try {
            levels = velnor::loadReferenceLevels(dataFolder.empty() ? velnor::defaultWorkingFolder() : dataFolder);
        } catch (const std::exception& e) {
            levels.fault = velnor::wordingOf(e);
        }
        return readResults(readPath, levels);
    }
    if (dicomMode) {
        if (dicomPaths.empty())
            return usageError("--dicom needs files or folders");
        if (inputGiven || tableWantedBy(csvPath, reportPath) || !handOffPath.empty())
            return usageError("--dicom takes no case input, --csv, --report or --handoff");
        return runDicom(dicomPaths, dataFolder, brief);
    }
    // Every output is checked before anything is computed.
    const bool tableWanted = !csvPath.empty() || !reportPath.empty();
    if (tableWanted && velnor::holdsControlCharacter(comment))
        return usageError("--comment must be one line (no line break or tab): it is line 1 of the results file");
    for (const auto& [option, path] : {std::pair{"--csv", &csvPath}, std::pair{"--report", &reportPath}, std::pair{"--handoff", &handOffPath}})
        if (!path->empty())
            if (const std::optional<std::string> fault = outputPathFault(option, *path))
                return usageError(*fault);

    nlohmann::json cases;
    try {
        std::string text;
        if (input == "-") {
            char buffer[65536];
            while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
                text.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
                if (text.size() > velnor::kMaxFileBytes)
                    return usageError("the input holds more than " + std::to_string(velnor::kMaxFileBytes) + " bytes");
            }
        } else {
            text = velnor::readFileBytes(input);
        }
        cases = velnor::cli::parseCases(text);
    } catch (const std::exception& e) {
        return usageError(e.what());
    }
    const bool many = cases.is_array();
    if (!many && !cases.is_object())
        return usageError("the input must be a JSON object, an array of objects or JSON Lines");
    if (tableWanted && many && cases.size() > velnor::kMaxResultRows)
        return usageError("a results table holds at most " + std::to_string(velnor::kMaxResultRows) + " cases; the input has "
                          + std::to_string(cases.size()) + " (split it, one table per file)");

    velnor::StartupData startup;
    nlohmann::json versionJson;
    try {
        if (dataFolder.empty()) // installed: the user's folder, as the main window's
            dataFolder = velnor::defaultWorkingFolder();
        startup = velnor::loadStartupData(dataFolder);
        versionJson = {{"program", velnor::programVersion()}, {"data", velnor::referenceDataVersion(dataFolder)}};
    } catch (const std::exception& e) {
        return usageError(std::string("cannot read the reference data: ") + e.what());
    }

    // A table that cannot be used leaves every calculation as it is; each
    // case's "drl" says why it has no comparison.
    const velnor::ReferenceLevels levels = velnor::loadReferenceLevels(dataFolder);
    nlohmann::json results = nlohmann::json::array();
    bool allSucceeded = true;
    velnor::ResultsTable table;
    double cfAir = 0;
    const nlohmann::json single = many ? nlohmann::json() : nlohmann::json::array({std::move(cases)});
    for (const nlohmann::json& one : many ? cases : single) {
        velnor::CalculationState state;
        state.tables = startup.tables;
        state.outputData = startup.outputData;
        if (writeFiles)
            state.exchangeFolder = dataFolder;
        nlohmann::json result;
        try {
            state.conditions.mcHistories = kDefaultHistories;
            nlohmann::json caseObject = one;
            const std::optional<velnor::cli::FitRequest> fit = velnor::cli::takeDialogKeys(caseObject, state, dataFolder);
            velnor::cli::applyCase(caseObject, state.conditions);
            state.checkConditions();
            if (state.conditions.incidenceMode != velnor::IncidenceMode::Planar) {
                if (!writeFiles)
                    throw velnor::CalculationError(velnor::Reason{velnor::ReasonCode::CurvedNeedsFiles});
                state.nonPlanarBackscatter = [&](const velnor::ExposureConditions& conditions, const velnor::BinArray& spectrum) {
                    return velnor::nonPlanarBackscatterToCompletion(conditions, conditions.fieldShortCm.value_or(0.0),
                                                                    conditions.fieldLongCm.value_or(0.0), dataFolder, spectrum);
                };
            }
            if (fit)
                velnor::cli::runFit(*fit, state);
            state.calculate();
            result = velnor::cli::resultJson(state);
            if (fit)
                result[fit->method == "voltage" ? "tubeVoltageKv" : "inherentFiltrationCm"] =
                    fit->method == "voltage" ? state.conditions.tubeVoltageKv : state.conditions.inherentFiltrationCm;
            if (brief)
                result.erase("photonSpectrum");
            const auto& computed = *state.lastCase;
            result["drl"] = velnor::cli::drlJson(velnor::compareWithReferenceLevel(levels, computed.conditions.bodyPart,
                                                                                   computed.conditions.tubeVoltageKv, computed.dose));
            // What "実効線量概算" would hand to the depth-dose program. A case
            // whose hand-off cannot be written fails as a whole, so that each
            // case gives exactly one output.
            if (!handOffPath.empty())
                velnor::writeTextLines(handOffPath, velnor::depthDoseHandOffLines(computed.conditions, computed.dose.esdSoftTissue,
                                                                                  computed.photonSpectrum));
            table.addRow(computed.conditions, computed.beamQuality, computed.dose);
            cfAir = computed.dose.cfAir;
        } catch (const std::exception& e) {
            allSucceeded = false;
            result = errorJson(e);
        }
        result["version"] = versionJson;
        if (jsonLines) { // one line a case as it is done: long batches show their progress
            if (!emit(jsonText(result, -1) + "\n"))
                return kOutputFailed;
        } else {
            results.push_back(std::move(result));
        }
    }
    if (!jsonLines && !emit(jsonText(many ? results : results[0], 2) + "\n"))
        return kOutputFailed;
    if (tableWanted) {
        // A table holds every case or none: a row missing in the middle would
        // shift every later case against its input.
        if (!allSucceeded) {
            std::fprintf(stderr, "velnor-calc: a case failed, so no results table was written (it would hold %d of %zu cases)\n",
                         table.nextFreeRow() - 1, many ? cases.size() : std::size_t{1});
            return 1;
        }
        try {
            if (!csvPath.empty())
                velnor::writeResultsFile(csvPath, comment, table, cfAir);
            if (!reportPath.empty())
                writeReport(table, cfAir, startup.userName.value_or(velnor::kGuestUserName), levels, reportPath);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "velnor-calc: %s\n", velnor::escapedText(e.what()).c_str());
            return kOutputFailed;
        }
    }
    return allSucceeded ? 0 : 1;
}
