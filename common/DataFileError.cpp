#include "common/DataFileError.h"

namespace velnor {

DataFileError::DataFileError(const std::string& fileName, int lineNumber, const std::string& reason)
    : std::runtime_error("\"" + fileName + "\", line " + std::to_string(lineNumber) + ": " + reason),
      m_fileName(fileName),
      m_lineNumber(lineNumber)
{
}

DataFileError::DataFileError(const std::string& fileName, const std::string& reason)
    : std::runtime_error("\"" + fileName + "\": " + reason), m_fileName(fileName)
{
}

} // namespace velnor
