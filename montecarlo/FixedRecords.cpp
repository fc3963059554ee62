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

void FixedRecords::fail(int line, const Reason& reason) const { throw DataFileError(m_fileName, line, reason); }

const std::string& FixedRecords::lineText(int line) const
{
    if (line < 1 || line > lineCount())
        fail(line, {ReasonCode::FileEndsEarly, {}, static_cast<double>(lineCount())});
    return m_lines[static_cast<std::size_t>(line - 1)];
}

float FixedRecords::real(int line, int firstColumn, int lastColumn, int decimals) const
{
    float value = 0;
    try {
        value = static_cast<float>(readFixedReal(lineText(line), firstColumn, lastColumn, decimals));
    } catch (const RefusedValue& e) {
        throw DataFileError(m_fileName, line, e.wording());
    }
    if (!std::isfinite(value)) {
        const std::string& text = lineText(line);
        const auto first = static_cast<std::size_t>(firstColumn - 1);
        fail(line, {ReasonCode::ColumnsOverflow, {}, 0, static_cast<double>(firstColumn), static_cast<double>(lastColumn), {},
                    first < text.size() ? text.substr(first, static_cast<std::size_t>(lastColumn - firstColumn + 1)) : std::string()});
    }
    return value;
}

long long FixedRecords::integer(int line, int firstColumn, int lastColumn) const
{
    try {
        return readFixedInteger(lineText(line), firstColumn, lastColumn);
    } catch (const RefusedValue& e) {
        throw DataFileError(m_fileName, line, e.wording());
    }
}

} // namespace velnor::mc
