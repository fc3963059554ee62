#pragma once

#include <string>
#include <string_view>

namespace velnor {

// Formats `value` with a display pattern such as "#0.000", "0.00E+00" or
// " 00.00":
//   "0"  a digit that is always shown (leading or trailing zeros fill in),
//   "#"  a digit shown only when significant,
//   "."  the decimal point, written whenever the pattern has one ("40." for 40 with "###.#"),
//   "E+0", "E+00", "E-0": an exponent with at least that many digits; "E+" always
//        shows its sign, "E-" only a minus,
//   any other character is copied as it stands.
// The value is rounded half away from zero at the last shown digit, on its
// shortest decimal text, so 9.9995 with "#0.000" gives "10.000". Integer digits
// that the pattern does not provide are added. A value that rounds to zero is
// shown without a minus sign.
std::string formatNumber(double value, std::string_view pattern);

// formatNumber, except that a value of which the pattern would show fewer
// than two significant digits gets `significant` of them, by more decimals:
// 3e-5 mGy with "#0.00" gives "0.0000300", not "0.00" (a dose is never shown
// as none), 0.042 gives "0.0420", while 0.757 stays "0.76". Zero and patterns
// with an exponent are as formatNumber gives them.
std::string formatKeepingDigits(double value, std::string_view pattern, int significant = 3);

// The number's plain decimal text as a user would type it: up to 15
// significant digits, no trailing zeros, "E" notation only for very large or
// very small magnitudes ("2.5", "0.3", "1E-05").
std::string formatAsIs(double value);

} // namespace velnor
