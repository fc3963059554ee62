#pragma once

#include <string_view>

namespace velnor {

// Writes `text` to standard output and flushes it. False when it could not be
// written whole (a full disk, a closed or broken output): a command-line tool
// then says so and ends with a failure instead of reporting success.
bool writeStandardOutput(std::string_view text);

// Opens /dev/null where standard input, output or error is closed (`2>&-`):
// otherwise the next file opened would take its number and receive the text
// meant for it, and a program started from here would write into standard
// output what belongs to standard error.
void openClosedStandardStreams();

} // namespace velnor
