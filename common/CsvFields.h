#pragma once

#include <string>
#include <vector>

namespace velnor {

// The fields of one line of a comma-separated file, as RFC 4180 has them: a
// field in double quotes may hold commas, and "" stands for one quote;
// spreadsheets quote every field when asked to. Throws RefusedValue for a
// quote that is not closed on its line.
std::vector<std::string> splitCsvFields(const std::string& line);

// The cells of a line as a user's table has them: fields without the blanks
// around them, trailing empty cells (a spreadsheet pads its rows) dropped.
std::vector<std::string> csvCells(const std::string& line);

// `text` as one field: quoted when it holds a comma or a double quote.
std::string csvField(const std::string& text);

} // namespace velnor
