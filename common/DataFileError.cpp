#include "common/DataFileError.h"

namespace velnor {

DataFileError::DataFileError(const std::string& fileName, int lineNumber, const std::string& reason)
    : std::runtime_error("\"" + fileName + "\", line " + std::to_string(lineNumber) + ": " + reason),
      m_fileName(fileName),
      m_lineNumber(lineNumber),
      m_english(reason)
{
}

DataFileError::DataFileError(const std::string& fileName, const std::string& reason)
    : std::runtime_error("\"" + fileName + "\": " + reason), m_fileName(fileName), m_english(reason)
{
}

DataFileError DataFileError::withJapanese(std::string reason) &&
{
    m_japanese = std::move(reason);
    return std::move(*this);
}

std::string DataFileError::japanese() const
{
    std::string where = "「" + m_fileName + "」";
    if (m_lineNumber > 0)
        where += "の " + std::to_string(m_lineNumber) + " 行目";
    // A fault without its own Japanese wording keeps the English one, quoted.
    return where + "：" + (m_japanese.empty() ? "読み取れない内容があります（" + m_english + "）" : m_japanese);
}

} // namespace velnor
