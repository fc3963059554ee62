#pragma once

#include "common/Reasons.h"

#include <filesystem>
#include <string>

namespace velnor {

// Reads the values of a text file in sequence, the way the system's data files
// are read: values are separated by blanks, commas or line ends, so only their
// count and order matter; a whole line can be taken where a file has a header
// or a text line. Every failure is a DataFileError naming the file and line.
class FreeFormatReader {
public:
    // `text` uses "\n" line ends (see readTextFile); `sourceName` names it in errors.
    FreeFormatReader(std::string text, std::string sourceName);

    // Reads the whole file (UTF-8 or Shift_JIS, LF or CR LF).
    static FreeFormatReader fromFile(const std::filesystem::path& path);

    // The next value as a number. Fails at the end of the text ("too few
    // values") or when the value is not a number.
    double readNumber();

    // The next value as text: up to the next comma or line end, surrounding
    // blanks removed; a value in double quotes is taken without them.
    std::string readField();

    // The rest of the current line, verbatim, and moves to the next line.
    // Fails at the end of the text.
    std::string readLine();

    // True when only blanks and line ends remain.
    bool atEnd() const;

    // True when no character at all remains (not even an empty last line).
    bool atEndOfText() const { return m_position >= m_text.size(); }

    // The line (from 1) where the reader stands.
    int lineNumber() const { return m_line; }
    // The line of the value read last (0 before any).
    int lastValueLine() const { return m_lastValueLine; }

    const std::string& sourceName() const { return m_sourceName; }

private:
    void skipToValue();
    void skipSeparatorAfterValue();
    [[noreturn]] void fail(const Reason& reason) const;

    std::string m_text;
    std::string m_sourceName;
    std::size_t m_position = 0;
    int m_line = 1;
    int m_valuesRead = 0;
    int m_lastValueLine = 0;
};

} // namespace velnor
