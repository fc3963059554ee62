#pragma once

#include <string>
#include <vector>

namespace velnor {

// The small settings files a site edits in a spreadsheet or a text editor
// (one header line, then CSV cells a line): their lines and numbers, checked
// as they are read so that a refusal names the file and the line.

struct SettingsLine {
    int number; // 1 for the file's first line
    std::vector<std::string> cells; // exactly as many as the file's columns
};

// The data lines of `lines`: the first non-empty line is the header and is
// skipped, empty lines too. Throws DataFileError naming `fileName` and the
// line for a line of more than `cells` cells, bad quoting, or a control
// character or invalid UTF-8 in a cell.
std::vector<SettingsLine> settingsLines(const std::vector<std::string>& lines, const std::string& fileName, std::size_t cells);

// Cell k of `line` as a number within [low, high]; throws DataFileError
// naming the line and `field` when it is empty, not a number or outside.
double settingsNumber(const SettingsLine& line, std::size_t k, const char* field, double low, double high, const char* unit,
                      const std::string& fileName);

} // namespace velnor
