#pragma once

#include "main/results/ResultsTable.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velnor {

// The results file: a spreadsheet-ready text, transposed (one line per
// quantity, one column per row). Line 1 the comment, line 2 the row count,
// then 39 quantity lines, each its caption and a comma before every row's
// value. Written in UTF-8 with a byte-order mark and CR LF, so that
// spreadsheets open it with the Japanese captions; read from UTF-8 or
// Shift_JIS.
struct ResultsFileContent {
    std::string comment;
    std::vector<ResultRow> rows; // 1 to 15
    double cfAir = 0;            // the program-wide air conversion factor: the last column's
};

inline constexpr int kResultsQuantityLines = 39;

std::vector<std::string> resultsFileLines(const std::string& comment, const ResultsTable& table, double cfAir);

// Writes the file whole (a temporary file, then a rename). Throws
// std::invalid_argument, writing nothing, when the comment is not one line,
// a row fails its check (resultRowFault) or the lines would not read back
// (parseResultsFileLines), and DataFileError when the file cannot be written.
void writeResultsFile(const std::filesystem::path& path, const std::string& comment, const ResultsTable& table, double cfAir);

// Reads and checks the whole file before anything is used: 1 to 15 rows,
// every line present with a value for every row, numbers where numbers are
// read. Throws DataFileError naming the file, the line and what is wrong.
ResultsFileContent readResultsFile(const std::filesystem::path& path);

// The same, for the lines of a file already read; `file` names it in faults.
ResultsFileContent parseResultsFileLines(const std::vector<std::string>& lines, const std::string& file);

// Line 1 of a results file (what the read window shows), or empty.
std::string readResultsFileComment(const std::filesystem::path& path);

} // namespace velnor
