#pragma once

#include <stdexcept>

namespace velnor {

// A calculation that cannot give a sound result (a value outside the tables, a
// division by zero, a search that runs off its table). The message names the
// value and why; the window shows its one failure message and may add it.
class CalculationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace velnor
