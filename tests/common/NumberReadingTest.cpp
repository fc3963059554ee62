#include "common/NumberReading.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace velnor {
namespace {

TEST(NumberReading, TypedFieldReadsTheNumberItBeginsWith)
{
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"2.5", 2.5},   {"2,5", 2.0},      {"abc", 0.0},   {"", 0.0},       {"1e", 1.0},     {"1e+", 1.0},
        {"1E3", 1000.0}, {"1.5e-2x", 0.015}, {"  -.5x", -0.5}, {"+3", 3.0},    {".", 0.0},      {"-", 0.0},
        {"12.5.3", 12.5}, {"\t7", 7.0},     {"4 5", 4.0},   {"0050", 50.0},  {"e5", 0.0},     {"1.", 1.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(readLeadingNumber(c.text), c.expected) << '"' << c.text << '"';
}

TEST(NumberReading, OverflowStaysFinite)
{
    EXPECT_EQ(readLeadingNumber("1e999"), DBL_MAX);
    EXPECT_EQ(readLeadingNumber("-1e999"), -DBL_MAX);
    EXPECT_EQ(readLeadingNumber("1e-999"), 0.0);
}

TEST(NumberReading, DataValueMustBeANumberWhole)
{
    EXPECT_EQ(parseNumber("1.234E+02"), 123.4);
    EXPECT_EQ(parseNumber("+5"), 5.0);
    EXPECT_EQ(parseNumber("-0.5"), -0.5);
    EXPECT_FALSE(parseNumber("1.2x"));
    EXPECT_FALSE(parseNumber("*******"));
    EXPECT_FALSE(parseNumber(""));
    EXPECT_FALSE(parseNumber("1e"));
}

} // namespace
} // namespace velnor

namespace velnor {
namespace {

// Out-of-range texts: the number's magnitude, not the exponent's sign alone,
// decides between overflow (largest double) and underflow (0).
TEST(NumberReading, OverflowAndUnderflowFollowTheMagnitude)
{
    const std::string tiny = "0." + std::string(400, '0') + "1e+10"; // 1e-391
    EXPECT_EQ(readLeadingNumber(tiny), 0.0);
    const std::string huge = "1" + std::string(400, '0') + "e-10"; // 1e390
    EXPECT_EQ(readLeadingNumber(huge), DBL_MAX);
    EXPECT_EQ(readLeadingNumber("1e-400"), 0.0);
    EXPECT_EQ(readLeadingNumber("-1e400"), -DBL_MAX);
    EXPECT_EQ(readLeadingNumber("1e99999999999999999999"), DBL_MAX);
    EXPECT_EQ(parseNumber("0.0001e-400"), std::optional<double>(0.0));
    // A data value that overflows is a fault of its file, not the largest double.
    bool overflow = false;
    EXPECT_FALSE(parseNumber("1.9279E+3000", &overflow));
    EXPECT_TRUE(overflow);
    EXPECT_FALSE(parseNumber("-1e400", &overflow));
    EXPECT_TRUE(overflow);
    EXPECT_EQ(parseNumber("1.7976931348623157e308", &overflow), DBL_MAX); // the largest double itself is a number
    EXPECT_FALSE(overflow);
}

} // namespace
} // namespace velnor
