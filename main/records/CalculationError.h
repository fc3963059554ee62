#pragma once

#include "main/records/RecordFault.h"

#include <stdexcept>

namespace velnor {

// A calculation that cannot give a sound result (a value outside the tables, a
// division by zero, a search that runs off its table). The message names the
// value and why; the window shows its one failure message and may add it.
class CalculationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Conditions that a calculation refuses before it starts: its record's check
// found a fault. The window words these as refused input, not as a failure.
class InputRefused : public CalculationError {
public:
    explicit InputRefused(RecordFault fault) : CalculationError(fault.reason), m_fault(std::move(fault)) {}
    const RecordFault& fault() const { return m_fault; }

private:
    RecordFault m_fault;
};

} // namespace velnor
