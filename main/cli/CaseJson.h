#pragma once

#include "main/dose/CalculationState.h"

#include <nlohmann/json.hpp>

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

// The results of a successful calculation as a JSON object.
nlohmann::json resultJson(const CalculationState& state);

} // namespace velnor::cli
