#include "common/DisplayFormat.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor {
namespace {

struct FormatCase {
    double value;
    const char* pattern;
    const char* expected;
};

// Expected texts follow the pattern rules: "0" always shown, "#" only when
// significant, half away from zero at the last shown digit of the decimal value.
const FormatCase kCases[] = {
    // Window labels
    {12.3456, "#0.00", "12.35"},
    {0.5, "#0.00", "0.50"},
    {0.0, "#0.00", "0.00"},
    {2.675, "#0.00", "2.68"},     // decimal 2.675, not the binary 2.67499...
    {-1.005, "#0.00", "-1.01"},
    {-0.001, "#0.00", "0.00"},    // rounds to zero: no minus sign
    {1234.567, "#0.00", "1234.57"}, // more integer digits than the pattern shows
    {34.5, "#00.00", "34.50"},
    {5.5, "#00.00", "05.50"},
    {99.995, "#00.00", "100.00"},
    {1.35, "#0.000", "1.350"},
    {9.9995, "#0.000", "10.000"}, // carry into a new digit
    {-2.5, "#0.000", "-2.500"},
    {0.8125, "0.000", "0.813"},
    {0.000258, "0.00E+0", "2.58E-4"},
    {0.0, "0.00E+0", "0.00E+0"},
    {0.0009996, "0.00E+0", "1.00E-3"}, // mantissa carry moves the exponent
    {12345.0, "0.00E+0", "1.23E+4"},
    {-0.000258, "0.00E+0", "-2.58E-4"},
    {3.0e-12, "0.00E+0", "3.00E-12"},
    // Files
    {1.5e-7, "0.00E+00", "1.50E-07"},
    {2.345e-6, "0.00E+00 ", "2.35E-06 "},
    {1.0, "0.00E+00", "1.00E+00"},
    {1.23456e-3, "0.000E+00", "1.235E-03"},
    {15.0, "000.0", "015.0"},
    {1234.5, "000.0", "1234.5"},
    {-3.25, "000.0", "-003.3"},
    {0.04, "000.0", "000.0"},
    {1000000.0, "00000000000", "00001000000"},
    {50000000.0, "00000000000", "00050000000"},
    {40.0, "###.# ", "40. "}, // the point stays when no decimal follows
    {72.5, "###.# ", "72.5 "},
    {150.0, "###.# ", "150. "},
    {0.5, "0000.0", "0000.5"},
    {150.0, "0000.0", "0150.0"},
    {0.0123449, "0.00000", "0.01234"},
    {0.000004, "0.00000", "0.00000"},
    {0.000005, "0.00000", "0.00001"},
    {2.5, "#0.00 ", "2.50 "},
    // Results table and depth dose
    {0.5, "##0.000", "0.500"},
    {123.4567, "##0.000", "123.457"},
    {1.5, "##0.00", "1.50"},
    {1.5, "#0.00#", "1.50"},
    {1.2345, "#0.00#", "1.235"},
    {1.2, "#0.00#", "1.20"},
    {5.25, "00.0", "05.3"},
    {5.255, "00.00", "05.26"},
    {12.34, "###0.0", "12.3"},
    {0.04, "###0.0", "0.0"},
    {0.5, "###.0", ".5"},
    {12.34, "###.0", "12.3"},
    {0.5, "###.000", ".500"},
    {1.5, "##0.###", "1.5"},
    {2.0, "##0.###", "2."},
    {1.23456, "##0.###", "1.235"},
    {5.0, "#00", "05"},
    {123.5, "#00", "124"},
    {5.55, "#00.0", "05.6"},
    {0.25, "##0.0", "0.3"},
    {5.0, " 00.00", " 05.00"},
    {-5.0, " 00.00", " -05.00"},
    {5.0, "  000.00", "  005.00"},
    {99.96, "#0.0", "100.0"},
};

TEST(DisplayFormat, EveryPatternOfTheWindowsAndFiles)
{
    for (const FormatCase& c : kCases)
        EXPECT_EQ(formatNumber(c.value, c.pattern), c.expected) << c.value << " with \"" << c.pattern << "\"";
}

// A small dose is never shown as none: at least three significant digits.
TEST(DisplayFormat, SmallValuesKeepTheirDigits)
{
    EXPECT_EQ(formatKeepingDigits(3.17e-5, "#0.00"), "0.0000317");
    EXPECT_EQ(formatKeepingDigits(0.0042, "##0.00"), "0.00420");
    EXPECT_EQ(formatKeepingDigits(0.042, "#0.000"), "0.042"); // two digits shown: as the pattern has it
    EXPECT_EQ(formatKeepingDigits(0.042, "#0.00"), "0.0420");
    EXPECT_EQ(formatKeepingDigits(1.234, "#0.00"), "1.23"); // as the pattern shows it
    EXPECT_EQ(formatKeepingDigits(0.0, "#0.00"), "0.00");
    EXPECT_EQ(formatKeepingDigits(0.75, "#00.0", 2), "00.75"); // a tube current below 1 mA
    EXPECT_EQ(formatKeepingDigits(2e-7, "0.00E+00"), "2.00E-07");
    EXPECT_EQ(formatKeepingDigits(-0.0031, "#0.00"), "-0.00310");
}

TEST(DisplayFormat, NonFiniteValuesAreVisibleNotDigits)
{
    EXPECT_EQ(formatNumber(std::nan(""), "#0.00"), "NaN");
    EXPECT_EQ(formatNumber(-INFINITY, "#0.00"), "-Inf");
}

TEST(DisplayFormat, PatternWithoutPlaceholderIsRefused)
{
    EXPECT_THROW(formatNumber(1.0, "abc"), std::invalid_argument);
}

TEST(DisplayFormat, AsIsGivesTheTextAUserWouldType)
{
    EXPECT_EQ(formatAsIs(2.5), "2.5");
    EXPECT_EQ(formatAsIs(0.23 * 10), "2.3"); // binary noise of the mm conversion is not shown
    EXPECT_EQ(formatAsIs(0.1 * 3), "0.3");
    EXPECT_EQ(formatAsIs(43.2), "43.2");
    EXPECT_EQ(formatAsIs(100.0), "100");
    EXPECT_EQ(formatAsIs(-0.25), "-0.25");
    EXPECT_EQ(formatAsIs(0.0), "0");
    EXPECT_EQ(formatAsIs(1e-5), "1E-05");
    EXPECT_EQ(formatAsIs(50000000.0), "50000000");
}

} // namespace
} // namespace velnor
