#include "common/NumberReading.h"

#include <cctype>
#include <algorithm>
#include <charconv>
#include <limits>

namespace velnor {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest prefix of `text` (which has no sign) that is a number:
// digits, one point, then an exponent only when it has at least one digit.
std::size_t numberPrefixLength(std::string_view text)
{
    std::size_t i = 0;
    std::size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t firstExponentDigit = j;
        while (j < text.size() && isDigit(text[j]))
            ++j;
        if (j > firstExponentDigit)
            i = j;
    }
    return i;
}

// Converts an unsigned number text that numberPrefixLength accepted whole.
double convert(std::string_view digits, bool* overflowed = nullptr)
{
    double value = 0.0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value unchanged. Tell overflow from underflow
        // by the number's magnitude: the exponent plus the position of its
        // first significant digit ("0.000...1e+10" is tiny, "12e-5" is not).
        const auto e = digits.find_first_of("eE");
        const std::string_view mantissa = digits.substr(0, e);
        long long exponent = 0;
        if (e != std::string_view::npos) {
            std::string_view exponentText = digits.substr(e + 1);
            const bool negativeExponent = !exponentText.empty() && exponentText[0] == '-';
            if (!exponentText.empty() && (exponentText[0] == '-' || exponentText[0] == '+'))
                exponentText.remove_prefix(1);
            for (char c : exponentText)
                exponent = std::min(exponent * 10 + (c - '0'), 1000000000LL); // saturates: only the sign of the total matters
            if (negativeExponent)
                exponent = -exponent;
        }
        const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
        const std::size_t first = mantissa.find_first_of("123456789");
        // Decimal exponent of the first significant digit.
        const long long magnitude = first < point ? static_cast<long long>(point - first - 1)
                                                  : -static_cast<long long>(first - point);
        if (exponent + magnitude < 0)
            return 0.0;
        if (overflowed)
            *overflowed = true;
        return std::numeric_limits<double>::max();
    }
    return value;
}

} // namespace

double readLeadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view rest = text.substr(i);
    const std::size_t length = numberPrefixLength(rest);
    if (length == 0)
        return 0.0;
    const double value = convert(rest.substr(0, length));
    return negative ? -value : value;
}

bool beginsWithNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    return numberPrefixLength(text.substr(i)) > 0;
}

std::optional<double> parseNumber(std::string_view text, bool* overflow)
{
    if (overflow)
        *overflow = false;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const std::size_t length = numberPrefixLength(text);
    if (length == 0 || length != text.size())
        return std::nullopt;
    bool overflowed = false;
    const double value = convert(text, &overflowed);
    if (overflowed) {
        if (overflow)
            *overflow = true;
        return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace velnor
