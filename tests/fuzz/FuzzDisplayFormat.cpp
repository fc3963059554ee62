// The display patterns: any value (the first eight bytes) under any pattern
// (the rest).
#include "common/DisplayFormat.h"
#include "tests/fuzz/FuzzInput.h"

#include <cstring>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof(double))
        return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    const std::string pattern = velnor::fuzz::text(data + sizeof value, std::min<std::size_t>(size - sizeof value, 64));
    try {
        velnor::formatNumber(value, pattern);
    } catch (const std::invalid_argument&) {
    }
    velnor::formatAsIs(value);
    return 0;
}
