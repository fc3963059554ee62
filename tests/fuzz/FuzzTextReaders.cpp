// Text decoding (UTF-8 or Shift_JIS, LF or CR LF), the free-format reader and
// the fixed-column reader, on any bytes.
#include "common/DataFileError.h"
#include "common/FixedWidth.h"
#include "common/FreeFormatReader.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "tests/fuzz/FuzzInput.h"

#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text;
    try {
        text = velnor::readTextFile(velnor::fuzz::writeInput("input.txt", data, size));
    } catch (const velnor::DataFileError&) {
        return 0;
    }
    for (const std::string& line : velnor::splitLines(text)) {
        for (const auto& [first, last, decimals] : {std::tuple{1, 10, 3}, std::tuple{8, 15, 5}, std::tuple{1, 11, 0}, std::tuple{56, 70, 6}}) {
            try {
                velnor::readFixedReal(line, first, last, decimals);
            } catch (const std::invalid_argument&) {
            }
        }
        try {
            velnor::readFixedInteger(line, 1, 11);
        } catch (const std::invalid_argument&) {
        }
    }
    velnor::FreeFormatReader reader(text, "input.txt");
    try {
        for (int n = 0; n < 10000 && !reader.atEndOfText(); ++n) {
            if (n % 7 == 0)
                reader.readLine();
            else if (n % 5 == 0)
                reader.readField();
            else
                reader.readNumber();
        }
    } catch (const velnor::DataFileError&) {
    }
    return 0;
}
