#pragma once

#include "main/form/DicomCase.h"

#include <nlohmann/json.hpp>

#include <filesystem>

namespace velnor::cli {

// Where an exposure came from: {"file", "sopInstanceUid", "event",
// "studyDate", "stationName", "protocolName", "bodyPartExamined",
// "viewPosition"} (never a patient's name or identifier).
nlohmann::json sourceJson(const std::filesystem::path& file, const dicom::Exposure* exposure);

// What the case took from the file and what it assumed: "fromFile" and
// "assumed" (input keys), and "origins": each key's attribute, concept or
// settings line.
void addOrigins(nlohmann::json& out, const form::DicomCase& dicomCase);

// The system's own figures and ours: {"entranceDoseMgy", "dapDgyCm2",
// "exposureIndex", "targetExposureIndex", "deviationIndex" (those the file
// has), "oursIncidentAirKermaMgy", "oursDapDgyCm2", "entranceDoseRatio",
// "dapRatio" (the system's over ours)}.
nlohmann::json systemJson(const dicom::Exposure& exposure, const form::SystemComparison& comparison);

} // namespace velnor::cli
