#pragma once

#include "main/dose/CalculationState.h"
#include "main/records/ReferenceLevels.h"
#include "main/results/ResultsTable.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>

namespace velnor::cli {

// Parses the input of velnor-calc: one case or an array of cases. Throws
// std::invalid_argument for text that is not JSON or nests more than
// kMaxNesting levels (a very deep document would exhaust the stack).
inline constexpr int kMaxNesting = 64;
nlohmann::json parseCases(const std::string& text);

// Fills `conditions` from a JSON object whose keys are the field names of
// ExposureConditions in their stored units; missing keys keep their values.
// Throws std::invalid_argument naming the key for an unknown key or a value
// of the wrong kind.
void applyCase(const nlohmann::json& object, ExposureConditions& conditions);
// Whether applyCase takes `key` (an input, or an output it passes over).
bool isCaseKey(const std::string& key);

// What the main window's dialogs bring, as keys of a case.
struct FitRequest {
    std::string target;  // "hvl" or "atr"
    std::string method;  // "filtration" or "voltage"
    double measured = 0; // HVL in mm Al, or the ATR index
};
// Applies and removes the keys that stand for the main window's dialogs:
// "outputTable", "otherFilterFile" with "otherFilterMm", "measuredExposure"
// with "measuredExposureUnit", "fluoroscopy"; returns the "fit" to run, if
// any. Files are taken from `dataFolder`. Throws std::invalid_argument or
// DataFileError naming the key or file.
std::optional<FitRequest> takeDialogKeys(nlohmann::json& caseObject, CalculationState& state,
                                         const std::filesystem::path& dataFolder);
// Runs the fit on the beam of the conditions and applies the fitted value.
// Throws CalculationError with the fit's reason when it fails.
void runFit(const FitRequest& request, CalculationState& state);

// The results of a successful calculation as a JSON object.
nlohmann::json resultJson(const CalculationState& state);

// One row of a results file as a JSON object: its conditions under the keys a
// case is given with (so that it can be computed again), its beam quality
// and results under the keys of resultJson, and its effective dose
// (effectiveDoseMsv) when it has one.
nlohmann::json rowJson(const ResultRow& row);

// A case held against its diagnostic reference level: {"edition", "name",
// "valueMgy", "dose", "ratio"}, null where the body part has none, or
// {"error"} when the table cannot be used.
nlohmann::json drlJson(const DrlComparison& comparison);

} // namespace velnor::cli
