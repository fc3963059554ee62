#include "common/FixedWidth.h"

#include "common/Reasons.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>

namespace velnor {
namespace {

std::string fieldText(std::string_view line, int firstColumn, int lastColumn)
{
    if (firstColumn < 1 || lastColumn < firstColumn)
        throw std::invalid_argument("bad column range " + std::to_string(firstColumn) + "-" + std::to_string(lastColumn));
    std::string text;
    for (int column = firstColumn; column <= lastColumn; ++column) {
        const auto index = static_cast<std::size_t>(column - 1);
        if (index < line.size())
            text += line[index];
    }
    return text;
}

std::string withoutBlanks(const std::string& text)
{
    std::string compact;
    for (char c : text)
        if (c != ' ' && c != '\t')
            compact += c;
    return compact;
}

[[noreturn]] void notANumber(int firstColumn, int lastColumn, const std::string& text)
{
    throw RefusedValue(Reason{ReasonCode::ColumnsNotANumber, {}, 0, static_cast<double>(firstColumn),
                              static_cast<double>(lastColumn), {}, text});
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

double readFixedReal(std::string_view line, int firstColumn, int lastColumn, int impliedDecimals)
{
    const std::string raw = fieldText(line, firstColumn, lastColumn);
    const std::string s = withoutBlanks(raw);
    if (s.empty())
        return 0.0;

    std::size_t i = 0;
    std::string sign;
    if (s[i] == '+' || s[i] == '-')
        sign = (s[i++] == '-') ? "-" : "";
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        notANumber(firstColumn, lastColumn, raw); // "+-7": one sign only
    std::string digits;
    bool hasPoint = false;
    int digitsAfterPoint = 0;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            digits += s[i];
            if (hasPoint)
                ++digitsAfterPoint;
        } else if (s[i] == '.' && !hasPoint) {
            hasPoint = true;
        } else {
            break;
        }
    }
    if (digits.empty())
        notANumber(firstColumn, lastColumn, raw);

    long long exponent = 0;
    if (i < s.size()) {
        if (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')
            ++i;
        else if (s[i] != '+' && s[i] != '-')
            notANumber(firstColumn, lastColumn, raw);
        const std::string exponentText = s.substr(i);
        const char* begin = exponentText.data() + (!exponentText.empty() && exponentText[0] == '+' ? 1 : 0);
        const char* end = exponentText.data() + exponentText.size();
        // "1E+-5": one sign only (from_chars would take the "-" after a skipped "+").
        if (begin != end && (*begin == '+' || (*begin == '-' && begin != exponentText.data())))
            notANumber(firstColumn, lastColumn, raw);
        const auto result = std::from_chars(begin, end, exponent);
        if (begin == end || result.ptr != end)
            notANumber(firstColumn, lastColumn, raw);
        // A huge exponent overflows or underflows any real anyway; bounding it
        // keeps the arithmetic below from overflowing.
        if (result.ec == std::errc::result_out_of_range)
            exponent = (*begin == '-') ? -100000 : 100000;
        exponent = std::clamp(exponent, -100000LL, 100000LL);
    }
    // Value = digits x 10^(exponent - decimals), decimals explicit or implied.
    const long long scale = exponent - (hasPoint ? digitsAfterPoint : impliedDecimals);
    const std::string decimal = sign + digits + "e" + std::to_string(scale);
    try {
        return std::stod(decimal);
    } catch (const std::out_of_range&) {
        throw RefusedValue(Reason{ReasonCode::ColumnsOverflow, {}, 0, static_cast<double>(firstColumn),
                                  static_cast<double>(lastColumn), {}, raw});
    }
}

long long readFixedInteger(std::string_view line, int firstColumn, int lastColumn)
{
    const std::string raw = fieldText(line, firstColumn, lastColumn);
    const std::string s = withoutBlanks(raw);
    if (s.empty())
        return 0;
    long long value = 0;
    if (s.size() > 1 && (s[0] == '+' || s[0] == '-') && (s[1] == '+' || s[1] == '-'))
        notANumber(firstColumn, lastColumn, raw); // "+-7": one sign only
    const char* begin = s.data() + (s[0] == '+' ? 1 : 0);
    const auto result = std::from_chars(begin, s.data() + s.size(), value);
    if (result.ec != std::errc() || result.ptr != s.data() + s.size())
        notANumber(firstColumn, lastColumn, raw);
    return value;
}

} // namespace velnor
