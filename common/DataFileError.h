#pragma once

#include "common/Reasons.h"

#include <string>

namespace velnor {

// A file that is missing, unreadable or not laid out as expected. The message
// names the file and, where known, the line, so a user can find the fault;
// the reason comes from the table of reasons, in English (what()) and in
// Japanese (japanese(), for the windows).
class DataFileError : public std::runtime_error, public JapaneseWording {
public:
    DataFileError(const std::string& fileName, int lineNumber, const Wording& reason);
    DataFileError(const std::string& fileName, int lineNumber, const Reason& reason)
        : DataFileError(fileName, lineNumber, worded(reason)) {}
    DataFileError(const std::string& fileName, const Wording& reason) : DataFileError(fileName, 0, reason) {}
    DataFileError(const std::string& fileName, const Reason& reason) : DataFileError(fileName, 0, worded(reason)) {}

    const std::string& fileName() const { return m_fileName; }
    int lineNumber() const { return m_lineNumber; } // 0 when the fault is not tied to a line
    const Wording& reason() const { return m_reason; }
    std::string japanese() const override;

private:
    std::string m_fileName;
    int m_lineNumber = 0;
    Wording m_reason;
};

} // namespace velnor
