#pragma once

#include <string_view>

namespace velnor {

// Reading of fixed-column records, columns counted from 1. Within a field
// blanks are ignored and an all-blank field reads 0; an explicit point and an
// exponent ("E", "D", or a signed exponent after the digits as in "1.5-03")
// are honoured; digits without a point are read with `impliedDecimals` implied
// decimal places ("12345" with 5 decimals reads 0.12345). A line shorter than
// the field reads as if padded with blanks. Throws std::invalid_argument, with
// the columns and the text in its message, when the field is not a number.
double readFixedReal(std::string_view line, int firstColumn, int lastColumn, int impliedDecimals = 0);

// A whole number from its columns (no point, no exponent); blanks ignored.
long long readFixedInteger(std::string_view line, int firstColumn, int lastColumn);

} // namespace velnor
