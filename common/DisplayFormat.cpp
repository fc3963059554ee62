#include "common/DisplayFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace velnor {
namespace {

// A non-negative decimal value 0.d1d2d3... x 10^pointPosition; `digits` has
// no leading zero and is empty for zero.
struct Decimal {
    std::string digits;
    int pointPosition = 0;
};

Decimal shortestDecimal(double magnitude)
{
    Decimal d;
    if (magnitude == 0.0)
        return d;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            d.digits += text[i];
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    d.pointPosition = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps `kept` significant digits, rounding half away from zero.
void roundToDigits(Decimal& d, int kept)
{
    if (kept >= static_cast<int>(d.digits.size()))
        return;
    if (kept < 0) {
        d.digits.clear();
        return;
    }
    const bool roundUp = d.digits[static_cast<std::size_t>(kept)] >= '5';
    d.digits.resize(static_cast<std::size_t>(kept));
    if (roundUp) {
        int i = kept - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            // Carry into a new leading digit: 9.9995 -> 10.000.
            d.digits.insert(d.digits.begin(), '1');
            ++d.pointPosition;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.pointPosition = 0;
}

// The digit at place p of the decimal expansion: p = 1 is the first digit
// after the point, p = 0 the units, p = -1 the tens.
char digitAt(const Decimal& d, int p)
{
    const int index = d.pointPosition + p - 1;
    if (index < 0 || index >= static_cast<int>(d.digits.size()))
        return '0';
    return d.digits[static_cast<std::size_t>(index)];
}

struct Pattern {
    std::string prefix;
    std::string suffix;
    int integerPlaces = 0;    // '0' and '#' before the point
    int minIntegerDigits = 0; // '0' before the point
    bool hasPoint = false;
    int minFractionDigits = 0;
    int maxFractionDigits = 0;
    bool scientific = false;
    bool exponentPlusSign = false;
    int minExponentDigits = 0;
};

bool isPlaceholder(char c) { return c == '0' || c == '#'; }

Pattern parsePattern(std::string_view text)
{
    Pattern p;
    std::size_t i = 0;
    while (i < text.size() && !isPlaceholder(text[i]) && text[i] != '.')
        p.prefix += text[i++];
    for (; i < text.size() && isPlaceholder(text[i]); ++i) {
        ++p.integerPlaces;
        if (text[i] == '0')
            ++p.minIntegerDigits;
    }
    if (i < text.size() && text[i] == '.') {
        p.hasPoint = true;
        for (++i; i < text.size() && isPlaceholder(text[i]); ++i) {
            ++p.maxFractionDigits;
            if (text[i] == '0')
                p.minFractionDigits = p.maxFractionDigits;
        }
    }
    if (i + 1 < text.size() && (text[i] == 'E' || text[i] == 'e') && (text[i + 1] == '+' || text[i + 1] == '-')) {
        p.scientific = true;
        p.exponentPlusSign = text[i + 1] == '+';
        for (i += 2; i < text.size() && isPlaceholder(text[i]); ++i)
            ++p.minExponentDigits;
    }
    p.suffix = std::string(text.substr(i));
    if (p.integerPlaces == 0 && p.maxFractionDigits == 0)
        throw std::invalid_argument("display pattern \"" + std::string(text) + "\" has no digit placeholder");
    return p;
}

std::string fractionText(const Decimal& d, const Pattern& p)
{
    std::string fraction;
    for (int k = 1; k <= p.maxFractionDigits; ++k)
        fraction += digitAt(d, k);
    while (static_cast<int>(fraction.size()) > p.minFractionDigits && fraction.back() == '0')
        fraction.pop_back();
    return fraction;
}

std::string formatFixed(const Decimal& value, const Pattern& p)
{
    Decimal d = value;
    roundToDigits(d, d.pointPosition + p.maxFractionDigits);
    std::string integer;
    for (int k = 1 - std::max(d.pointPosition, 0); k <= 0; ++k)
        integer += digitAt(d, k);
    while (!integer.empty() && integer.front() == '0')
        integer.erase(integer.begin());
    while (static_cast<int>(integer.size()) < p.minIntegerDigits)
        integer.insert(integer.begin(), '0');
    std::string text = integer;
    if (p.hasPoint)
        text += '.' + fractionText(d, p);
    return text;
}

std::string formatScientific(const Decimal& value, const Pattern& p)
{
    const int mantissaIntegerDigits = std::max(1, p.integerPlaces);
    Decimal d = value;
    roundToDigits(d, mantissaIntegerDigits + p.maxFractionDigits);
    int exponent = 0;
    if (!d.digits.empty()) {
        exponent = d.pointPosition - mantissaIntegerDigits;
        d.pointPosition = mantissaIntegerDigits;
    }
    std::string text;
    for (int k = 1 - mantissaIntegerDigits; k <= 0; ++k)
        text += digitAt(d, k);
    if (p.hasPoint)
        text += '.' + fractionText(d, p);
    text += 'E';
    if (exponent < 0)
        text += '-';
    else if (p.exponentPlusSign)
        text += '+';
    std::string exponentDigits = std::to_string(std::abs(exponent));
    while (static_cast<int>(exponentDigits.size()) < p.minExponentDigits)
        exponentDigits.insert(exponentDigits.begin(), '0');
    return text + exponentDigits;
}

} // namespace

std::string formatNumber(double value, std::string_view pattern)
{
    const Pattern p = parsePattern(pattern);
    if (!std::isfinite(value))
        return p.prefix + (std::isnan(value) ? "NaN" : (value < 0 ? "-Inf" : "Inf")) + p.suffix;
    const Decimal magnitude = shortestDecimal(std::fabs(value));
    std::string body = p.scientific ? formatScientific(magnitude, p) : formatFixed(magnitude, p);
    const bool shownAsZero = body.find_first_of("123456789") == std::string::npos
        || (p.scientific && body.find_first_of("123456789") >= body.find('E'));
    if (value < 0 && !shownAsZero)
        body.insert(body.begin(), '-');
    return p.prefix + body + p.suffix;
}

std::string formatAsIs(double value)
{
    if (value == 0.0)
        return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    return buffer;
}

std::string formatKeepingDigits(double value, std::string_view pattern, int significant)
{
    if (value == 0 || !std::isfinite(value) || pattern.find('E') != std::string_view::npos)
        return formatNumber(value, pattern);
    const std::size_t point = pattern.find('.');
    std::size_t end = point == std::string_view::npos ? pattern.find_last_of("0#") + 1 : point + 1;
    while (end < pattern.size() && (pattern[end] == '0' || pattern[end] == '#'))
        ++end;
    const int decimals = point == std::string_view::npos ? 0 : static_cast<int>(end - point - 1);
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    // Two digits shown are enough: the pattern holds for ordinary values.
    if (decimals + 1 + magnitude >= 2)
        return formatNumber(value, pattern);
    const int needed = std::max(significant - 1 - magnitude, decimals);
    std::string wider(pattern.substr(0, end));
    if (point == std::string_view::npos)
        wider += '.';
    wider += std::string(static_cast<std::size_t>(needed - decimals), '0');
    wider += pattern.substr(end);
    return formatNumber(value, wider);
}

} // namespace velnor
