#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velnor {

// Whole text files. Files are read as UTF-8 or Shift_JIS (chosen by the bytes,
// see decodeFileText) with LF or CR LF line ends, and written as UTF-8 with
// CR LF line ends, the layout Windows programs expect.

// The file's text as UTF-8 with every line end turned into "\n". Throws
// DataFileError naming the file when it cannot be opened or decoded.
std::string readTextFile(const std::filesystem::path& path);

// The file's lines without their line ends. A final line end does not start
// another (empty) line.
std::vector<std::string> readTextLines(const std::filesystem::path& path);

// Splits text at "\n", "\r\n" or "\r"; a trailing line end adds no empty line.
std::vector<std::string> splitLines(std::string_view text);

struct TextWriteOptions {
    bool byteOrderMark = false; // for spreadsheet programs that need it to see UTF-8
};

// Writes every line followed by CR LF. The text goes to a temporary file in the
// same folder that is then renamed over `path`, so readers never see a
// half-written file and a failed write leaves the old file untouched. Throws
// DataFileError naming the file on failure.
void writeTextLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                    TextWriteOptions options = {});

// Writes `content` as the whole file, the same way: a new temporary file,
// then a rename.
void writeBytes(const std::filesystem::path& path, const std::string& content);

} // namespace velnor
