#include "montecarlo/FixedRecords.h"

#include "common/DataFileError.h"
#include "common/FixedWidth.h"
#include "common/TextFile.h"

#include <cmath>
#include <stdexcept>

namespace velnor::mc {

FixedRecords::FixedRecords(const std::filesystem::path& path)
    : m_fileName(path.filename().string()), m_lines(readTextLines(path))
{
}

void FixedRecords::fail(int line, const std::string& reason) const { throw DataFileError(m_fileName, line, reason); }

const std::string& FixedRecords::lineText(int line) const
{
    if (line < 1 || line > lineCount())
        fail(line, "the file ends after line " + std::to_string(lineCount()));
    return m_lines[static_cast<std::size_t>(line - 1)];
}

float FixedRecords::real(int line, int firstColumn, int lastColumn, int decimals) const
{
    float value = 0;
    try {
        value = static_cast<float>(readFixedReal(lineText(line), firstColumn, lastColumn, decimals));
    } catch (const std::invalid_argument& e) {
        fail(line, e.what());
    }
    if (!std::isfinite(value))
        fail(line, "columns " + std::to_string(firstColumn) + "-" + std::to_string(lastColumn)
                       + " hold a value beyond the 32-bit range");
    return value;
}

long long FixedRecords::integer(int line, int firstColumn, int lastColumn) const
{
    try {
        return readFixedInteger(lineText(line), firstColumn, lastColumn);
    } catch (const std::invalid_argument& e) {
        fail(line, e.what());
    }
}

} // namespace velnor::mc
