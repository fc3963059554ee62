#include "common/DataFileError.h"

namespace velnor {
namespace {

std::string whereInEnglish(const std::string& fileName, int lineNumber)
{
    return "\"" + fileName + "\"" + (lineNumber > 0 ? ", line " + std::to_string(lineNumber) : std::string()) + ": ";
}

} // namespace

DataFileError::DataFileError(const std::string& fileName, int lineNumber, const Wording& reason)
    : std::runtime_error(whereInEnglish(fileName, lineNumber) + reason.english),
      m_fileName(fileName),
      m_lineNumber(lineNumber),
      m_reason(reason)
{
}

std::string DataFileError::japanese() const
{
    std::string where = "「" + m_fileName + "」";
    if (m_lineNumber > 0)
        where += "の " + std::to_string(m_lineNumber) + " 行目";
    return where + "：" + m_reason.japanese;
}

} // namespace velnor
