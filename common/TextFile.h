#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velnor {

// Whole text files. Files are read as UTF-8 or Shift_JIS (chosen by the bytes,
// see decodeFileText) with LF or CR LF line ends, and written as UTF-8 with
// CR LF line ends, the layout Windows programs expect.

// No genuine file of the system comes near this size (the largest, a
// backscatter table, holds about 120 kB); a larger one is refused unread.
inline constexpr std::size_t kMaxFileBytes = 16u << 20;

// The bytes of a regular file of at most `maxBytes`. Anything else (a
// folder, a FIFO that would block for ever, a device such as /dev/zero that
// never ends, a file that is too large) is refused before reading, with a
// DataFileError naming the file.
std::string readFileBytes(const std::filesystem::path& path, std::size_t maxBytes = kMaxFileBytes);

// The file's text as UTF-8 with every line end turned into "\n". Throws
// DataFileError naming the file when it cannot be opened or decoded (and as
// readFileBytes does).
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
// DataFileError naming the file on failure. Temporaries of `path` left by a
// process that was killed while writing are removed first.
void writeTextLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                    TextWriteOptions options = {});

// Writes `content` as the whole file, the same way: a new temporary file,
// then a rename.
void writeBytes(const std::filesystem::path& path, const std::string& content);

// Copies the regular file `from` over `to` the same way (any size, read a
// piece at a time). Throws DataFileError naming the file at fault.
void copyFileWhole(const std::filesystem::path& from, const std::filesystem::path& to);

// A file written piece by piece the same way: into a new temporary beside
// `path`, renamed over it by commit(). Destroyed without a commit (a failure,
// a stop), it leaves no trace and the old file stands. Throws DataFileError
// naming `path` when the temporary cannot be made or the file not completed.
class AtomicFile {
public:
    explicit AtomicFile(const std::filesystem::path& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(std::string_view bytes);
    void commit();
    // For a library that writes a file by its name: it writes the temporary.
    const std::filesystem::path& temporaryPath() const { return m_temporary; }

private:
    std::filesystem::path m_path, m_temporary;
    std::FILE* m_file = nullptr;
    bool m_failed = false, m_committed = false;
    int m_error = 0;
};

} // namespace velnor
