// velnor-pdd: the depth-dose program's calculation without windows, for batch
// work and checking. See kUsage.
#include "common/DisplayFormat.h"
#include "common/FileLookup.h"
#include "common/StandardOutput.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "common/Version.h"
#include "common/WorkingFolder.h"
#include "depthdose/DepthDose.h"
#include "depthdose/OrganDose.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace {

const char* const kUsage = R"(usage: velnor-pdd --data DIR [--handoff FILE] [--cancel40] [--organ-defaults | --rows ROWS.json]
       velnor-pdd --version

Computes the central-axis percentage depth dose of the case the main program
handed over (Velnor2PDD.dat, by default in DIR), exactly as Velnor17_PDD does
(DIR: by default the current folder; installed, the user's folder
~/.local/share/velnor),
and prints one JSON object:
  thicknessCm   the body thickness used: a thickness above 40 cm becomes 40,
                as when the question "体厚を40cmとして計算しますか？" is
                answered OK; --cancel40 answers Cancel (the thickness stays,
                the points stop at 80)
  points        the number of depth points (0.5 cm each)
  table         [depthCm, primaryPercent, scatterPercent, totalPercent] per point
With --organ-defaults (the rows of DIR/Organ-data/<body part>.csv) or
--rows ROWS.json (a JSON list of sixteen [checked, fromText, toText,
percentText], in the rows' order: breast, red marrow, colon, lung, stomach,
gonads, thyroid, oesophagus, liver, bladder, bone surface, entrance skin,
exit skin, brain, salivary glands, remainder), also:
  cells             the sixteen result-cell texts (µSv, "-" for a row not in the field)
  effectiveDoseMsv  the approximate effective dose
The hand-off is refused, naming its line, when a value cannot be used: a tube
voltage outside 10 to 150 kV, distances outside 1 to 1000 cm or an FSD not
shorter than the FFD, a thickness outside 0.1 to 100 cm, a field size outside
0.1 to 200 cm (a short axis of 0 is a circular field), an entrance dose that
is negative, not finite or above 100000 mGy, a negative spectrum weight. Only
regular files are read.
A failure gives {"error": "..."} and exit status 1; unusable arguments exit 2;
output that could not be written (standard output) exits 3.
--version prints the program's version and the fingerprint of the depth-dose
data in DIR (the kernels, the organ data and Primary.dat).
)";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "velnor-pdd: %s\n(velnor-pdd --help explains the arguments)\n", velnor::escapedText(message).c_str());
    return 2;
}

// Standard output, whole, or exit status 3.
int emit(const std::string& text, int status)
{
    if (velnor::writeStandardOutput(text))
        return status;
    std::fprintf(stderr, "velnor-pdd: the output could not be written to standard output\n");
    return 3;
}

std::string jsonText(const nlohmann::json& value, int indent)
{
    return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The files the depth-dose calculation reads, for the data's fingerprint.
std::vector<std::filesystem::path> depthDoseDataFiles(const std::filesystem::path& data)
{
    std::vector<std::filesystem::path> files = {velnor::findFileIgnoringCase(data, "Primary.dat")};
    for (const char* folder : {"PDS-data", "Organ-data"}) {
        std::vector<std::filesystem::path> inFolder;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(velnor::findFileIgnoringCase(data, folder), ec))
            inFolder.push_back(entry.path());
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace velnor::pdd;
    velnor::openClosedStandardStreams();
    bool version = false;
    std::filesystem::path data;
    std::filesystem::path handOffPath, rowsPath;
    bool cancel40 = false, organDefaults = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return emit(kUsage, 0);
        } else if (arg == "--version") {
            version = true;
        } else if (arg == "--data" || arg == "--handoff" || arg == "--rows") {
            if (++i == argc)
                return usageError(arg + " needs a value");
            (arg == "--data" ? data : arg == "--handoff" ? handOffPath : rowsPath) = argv[i];
        } else if (arg == "--cancel40") {
            cancel40 = true;
        } else if (arg == "--organ-defaults") {
            organDefaults = true;
        } else {
            return usageError("unknown argument " + arg);
        }
    }
    if (organDefaults && !rowsPath.empty())
        return usageError("--organ-defaults and --rows exclude each other");
    try {
        if (data.empty()) // installed: the user's folder, as the main window's
            data = velnor::defaultWorkingFolder();
    } catch (const std::exception& e) {
        return usageError(e.what());
    }
    if (const std::optional<velnor::Reason> fault = velnor::workingFolderFault(data))
        return usageError("--data " + data.string() + ": " + velnor::inEnglish(*fault));
    if (version)
        return emit("velnor-pdd " + std::string(velnor::programVersion()) + "\ndepth-dose data "
                        + velnor::contentFingerprint(depthDoseDataFiles(data)) + " (" + velnor::escapedText(data.string()) + ")\n",
                    0);
    if (handOffPath.empty())
        handOffPath = velnor::findFileIgnoringCase(data, "Velnor2PDD.dat");

    nlohmann::json out;
    try {
        const HandOff h = readHandOff(handOffPath);
        const double thickness = h.thicknessCm > kMaxThicknessCm && !cancel40 ? kMaxThicknessCm : h.thicknessCm;
        const std::vector<DepthDosePoint> table = computeDepthDose(h, thickness, readDepthDoseData(data));
        out["thicknessCm"] = thickness;
        out["points"] = table.size();
        out["table"] = nlohmann::json::array();
        for (const DepthDosePoint& p : table)
            out["table"].push_back({p.depthCm, p.primaryPercent, p.scatterPercent, p.totalPercent});
        if (organDefaults || !rowsPath.empty()) {
            std::array<OrganRow, kTissueRows> rows;
            if (organDefaults) {
                const auto defaults = readOrganDefaults(data, h.bodyPart, thickness);
                if (!defaults)
                    throw velnor::WordedError(velnor::Reason{velnor::ReasonCode::NoOrganData, {}, 0, 0, 0, {}, h.bodyPart});
                rows = *defaults;
            } else {
                std::string text;
                try {
                    text = velnor::readFileBytes(rowsPath);
                } catch (const std::exception& e) {
                    return usageError(e.what());
                }
                const nlohmann::json j = nlohmann::json::parse(text);
                if (!j.is_array() || j.size() != kTissueRows)
                    return usageError("--rows needs a list of sixteen rows");
                for (std::size_t t = 0; t < kTissueRows; ++t)
                    rows[t] = {j[t].at(0).get<bool>(), j[t].at(1).get<std::string>(), j[t].at(2).get<std::string>(),
                               j[t].at(3).get<std::string>()};
            }
            const EffectiveDose e = computeEffectiveDose(rows, h.bodyPart, thickness, table, h.surfaceDoseMgy);
            if (e.refusedRow >= 0)
                throw std::runtime_error("row " + std::to_string(e.refusedRow + 1) + " ("
                                         + kTissueNames[static_cast<std::size_t>(e.refusedRow)] + ") has entries that cannot be used");
            if (e.notComputable)
                throw velnor::WordedError(velnor::Reason{velnor::ReasonCode::RowOutsideTable});
            out["cells"] = nlohmann::json::array();
            for (const auto& c : e.contributionMsv)
                out["cells"].push_back(c ? velnor::formatNumber(1000 * *c, "###0.0") : std::string("-"));
            out["effectiveDoseMsv"] = e.totalMsv;
        }
    } catch (const nlohmann::json::exception& e) {
        return usageError(std::string("--rows: ") + e.what());
    } catch (const std::exception& e) {
        return emit(jsonText({{"error", velnor::escapedText(e.what())}}, -1) + "\n", 1);
    }
    out["version"] = velnor::programVersion();
    return emit(jsonText(out, 2) + "\n", 0);
}
