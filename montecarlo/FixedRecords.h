#pragma once

#include "common/Reasons.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velnor::mc {

// The lines of a data file read by fixed columns, with errors that name the
// file and line. Reals are returned as 32-bit floats.
class FixedRecords {
public:
    // Reads the whole file; throws DataFileError when it cannot be read.
    explicit FixedRecords(const std::filesystem::path& path);

    // Columns from 1, `decimals` implied when the field has no point. A line
    // past the end of the file is an error; a short line reads as padded.
    float real(int line, int firstColumn, int lastColumn, int decimals) const;
    long long integer(int line, int firstColumn, int lastColumn) const;

    int lineCount() const { return static_cast<int>(m_lines.size()); }
    const std::string& fileName() const { return m_fileName; }

    [[noreturn]] void fail(int line, const Reason& reason) const;

private:
    const std::string& lineText(int line) const;

    std::string m_fileName;
    std::vector<std::string> m_lines;
};

} // namespace velnor::mc
