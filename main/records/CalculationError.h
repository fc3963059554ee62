#pragma once

#include "main/records/RecordFault.h"

#include <stdexcept>
#include <string>

namespace velnor {

// A calculation that cannot give a sound result (a value outside the tables, a
// division by zero, a search that runs off its table). The message names the
// value and why; the window shows its one failure message and may add it.
class CalculationError : public std::runtime_error {
public:
    explicit CalculationError(const std::string& reason) : std::runtime_error(reason) {}
    // The reason in English (what()) and in Japanese (for the windows).
    CalculationError(const std::string& reason, std::string japanese) : std::runtime_error(reason), m_japanese(std::move(japanese)) {}
    // The Japanese wording, or the English one where there is none.
    std::string japanese() const { return m_japanese.empty() ? std::string(what()) : m_japanese; }

private:
    std::string m_japanese;
};

// Conditions that a calculation refuses before it starts: its record's check
// found a fault. The window words these as refused input, not as a failure.
class InputRefused : public CalculationError {
public:
    explicit InputRefused(RecordFault fault) : CalculationError(fault.reason, fault.reasonJa), m_fault(std::move(fault)) {}
    const RecordFault& fault() const { return m_fault; }

private:
    RecordFault m_fault;
};

} // namespace velnor
