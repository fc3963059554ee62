#pragma once

#include <stdexcept>
#include <string>

namespace velnor {

// A file that is missing, unreadable or not laid out as expected. The message
// names the file and, where known, the line, so a user can find the fault.
class DataFileError : public std::runtime_error {
public:
    DataFileError(const std::string& fileName, int lineNumber, const std::string& reason);
    DataFileError(const std::string& fileName, const std::string& reason);

    const std::string& fileName() const { return m_fileName; }
    int lineNumber() const { return m_lineNumber; } // 0 when the fault is not tied to a line

    // The same fault worded in Japanese for the windows: the file, its line
    // and the reason given by withJapanese (what() in English names it too).
    DataFileError withJapanese(std::string reason) &&;
    std::string japanese() const;

private:
    std::string m_fileName;
    int m_lineNumber = 0;
    std::string m_english, m_japanese;
};

} // namespace velnor
