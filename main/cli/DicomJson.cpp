#include "main/cli/DicomJson.h"

#include "common/TextEncoding.h"

namespace velnor::cli {

nlohmann::json sourceJson(const std::filesystem::path& file, const dicom::Exposure* e)
{
    nlohmann::json j{{"file", escapedText(file.string())}};
    if (!e)
        return j;
    j["sopInstanceUid"] = e->sopInstanceUid;
    j["event"] = e->event;
    j["studyDate"] = e->studyDate;
    j["stationName"] = e->stationName;
    j["protocolName"] = e->protocolName;
    j["bodyPartExamined"] = e->bodyPartExamined;
    j["viewPosition"] = e->viewPosition;
    return j;
}

void addOrigins(nlohmann::json& out, const form::DicomCase& c)
{
    nlohmann::json fromFile = nlohmann::json::array(), assumed = nlohmann::json::array(), origins = nlohmann::json::object();
    for (const form::ValueOrigin& v : c.fromFile) {
        if (!origins.contains(v.key))
            fromFile.push_back(v.key);
        origins[v.key] = origins.contains(v.key) ? origins[v.key].get<std::string>() + "; " + v.from : v.from;
    }
    for (const form::ValueOrigin& v : c.assumed) {
        if (!origins.contains(v.key))
            assumed.push_back(v.key);
        origins[v.key] = origins.contains(v.key) ? origins[v.key].get<std::string>() + "; " + v.from : v.from;
    }
    out["fromFile"] = fromFile;
    out["assumed"] = assumed;
    out["origins"] = origins;
    out["outputTable"] = c.outputTable;
}

nlohmann::json systemJson(const dicom::Exposure& e, const form::SystemComparison& s)
{
    nlohmann::json j = nlohmann::json::object();
    const std::pair<const char*, const std::optional<dicom::Reading>*> figures[] = {
        {"entranceDoseMgy", &e.entranceDoseMgy},   {"dapDgyCm2", &e.dapDgyCm2},           {"exposureIndex", &e.exposureIndex},
        {"targetExposureIndex", &e.targetExposureIndex}, {"deviationIndex", &e.deviationIndex}};
    for (const auto& [key, reading] : figures)
        if (*reading)
            j[key] = (*reading)->value;
    j["oursIncidentAirKermaMgy"] = s.incidentAirKermaMgy;
    j["oursDapDgyCm2"] = s.dapDgyCm2;
    if (s.entranceDoseRatio)
        j["entranceDoseRatio"] = *s.entranceDoseRatio;
    if (s.dapRatio)
        j["dapRatio"] = *s.dapRatio;
    for (const std::optional<double>& ratio : {s.entranceDoseRatio, s.dapRatio})
        if (ratio && (*ratio < form::kSystemRatioLow || *ratio > form::kSystemRatioHigh)) {
            j["note"] = "the system's figures differ from ours by more than the usual spread: check the assumed values "
                        "(thickness, distances, tube output table) or the system's calibration";
            break;
        }
    return j;
}

} // namespace velnor::cli
