#include "montecarlo/ConsoleText.h"

#include <cstdio>
#include <ctime>

namespace velnor::mc {

std::string fixedField(double value, int width, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
    const std::string text(buffer);
    return static_cast<int>(text.size()) > width ? std::string(static_cast<std::size_t>(width), '*') : text;
}

std::string widenedField(double value, int width, int decimals)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
    return buffer;
}

std::string integerField(long long value, int width)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%*lld", width, value);
    const std::string text(buffer);
    return static_cast<int>(text.size()) > width ? std::string(static_cast<std::size_t>(width), '*') : text;
}

std::string timeOfDay()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%2d:%2d:%2d", local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}

} // namespace velnor::mc
