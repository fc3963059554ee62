#pragma once

#include <string>

namespace velnor::mc {

// Fortran-style fixed fields of the console and result texts.

// `value` right-aligned in `width` columns with `decimals` decimals; a value
// that does not fit shows as `width` asterisks.
std::string fixedField(double value, int width, int decimals);

// The same field, widened to hold a value that does not fit: the echo of a
// job must show every value the job may hold (1000.0 cm in a field of 5).
std::string widenedField(double value, int width, int decimals);

// A whole number right-aligned in `width` columns, or asterisks.
std::string integerField(long long value, int width);

// The local time of day as "hh:mm:ss", each part right-aligned in 2 columns
// with blanks ("21: 5: 3").
std::string timeOfDay();

} // namespace velnor::mc
