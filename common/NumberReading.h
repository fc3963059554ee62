#pragma once

#include <optional>
#include <string_view>

namespace velnor {

// Lenient reading of a typed field: leading blanks, an optional sign, digits
// with at most one ".", and an optional exponent are taken; reading stops at
// the first other character. Text that does not begin with a number reads 0.
// "2,5" -> 2, "abc" -> 0, "1e" -> 1, " -.5x" -> -0.5. A value beyond the range
// of double reads as the largest finite value of its sign.
double readLeadingNumber(std::string_view text);

// Whether the text begins with a number as readLeadingNumber reads it
// (leading blanks skipped): "12abc" does, "abc" and "" do not.
bool beginsWithNumber(std::string_view text);

// Strict reading of one value of a data file: the whole text must be a decimal
// or exponent number (a leading "+" is allowed). Empty when it is not, and
// empty too when its magnitude is beyond the range of double (a file that
// holds such a number is faulty; clamping it would hide the fault). Then
// `overflow`, when given, is set. A number too small for double reads 0.
std::optional<double> parseNumber(std::string_view text, bool* overflow = nullptr);

} // namespace velnor
