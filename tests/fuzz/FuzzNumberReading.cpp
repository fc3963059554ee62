// The lenient number reading of every text box and of the free-format files.
#include "common/NumberReading.h"
#include "tests/fuzz/FuzzInput.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string s = velnor::fuzz::text(data, size);
    const double leading = velnor::readLeadingNumber(s);
    if (std::isnan(leading))
        std::abort(); // a text never reads as NaN
    if (const auto whole = velnor::parseNumber(s); whole && *whole != leading)
        std::abort(); // a text that is one number reads the same both ways
    return 0;
}
