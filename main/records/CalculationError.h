#pragma once

#include "common/Reasons.h"
#include "main/records/RecordFault.h"

#include <stdexcept>
#include <string>

namespace velnor {

// A calculation that cannot give a sound result (a value outside the tables, a
// division by zero, a search that runs off its table). The message names the
// value and why; the window shows its one failure message and may add it.
class CalculationError : public WordedError {
public:
    explicit CalculationError(const Reason& reason) : WordedError(reason) {}
    explicit CalculationError(const Wording& reason) : WordedError(reason) {}
};

// Conditions that a calculation refuses before it starts: its record's check
// found a fault. The window words these as refused input, not as a failure.
class InputRefused : public CalculationError {
public:
    explicit InputRefused(RecordFault fault) : CalculationError(fault.wording()), m_fault(std::move(fault)) {}
    const RecordFault& fault() const { return m_fault; }

private:
    RecordFault m_fault;
};

} // namespace velnor
