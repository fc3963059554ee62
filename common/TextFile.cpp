#include "common/TextFile.h"

#include "common/DataFileError.h"
#include "common/TextEncoding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace velnor {
namespace {

// mkstemp creates files readable by the owner only; a text file the user
// saves should get the permissions any other new file gets.
mode_t currentUmask()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

std::string readTextFile(const std::filesystem::path& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw DataFileError(path.string(), "is a folder, not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw DataFileError(path.string(), "cannot be opened for reading");
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw DataFileError(path.string(), "could not be read");
    std::string text;
    try {
        text = decodeFileText(bytes);
    } catch (const std::exception& e) {
        throw DataFileError(path.string(), e.what());
    }
    std::string normalised;
    normalised.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            normalised += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            normalised += text[i];
        }
    }
    return normalised;
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string current;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            lines.push_back(std::move(current));
            current.clear();
            open = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(std::move(current));
    return lines;
}

std::vector<std::string> readTextLines(const std::filesystem::path& path) { return splitLines(readTextFile(path)); }

void writeTextLines(const std::filesystem::path& path, const std::vector<std::string>& lines, TextWriteOptions options)
{
    std::string content;
    if (options.byteOrderMark)
        content += "\xEF\xBB\xBF";
    for (const std::string& line : lines) {
        content += line;
        content += "\r\n";
    }
    writeBytes(path, content);
}

void writeBytes(const std::filesystem::path& path, const std::string& content)
{
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");

    // A new file of an unpredictable name, created exclusively (mkstemp uses
    // O_EXCL), so a planted file or link of that name is never written through.
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw DataFileError(path.string(), std::string("cannot be written: ") + std::strerror(errno));
    const std::filesystem::path temporary = pattern;
    ::fchmod(fd, 0644 & ~currentUmask());
    FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw DataFileError(path.string(), std::string("cannot be written: ") + std::strerror(error));
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const bool flushed = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written || !flushed || !closed) {
        const int error = errno;
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw DataFileError(path.string(), std::string("could not be written completely: ") + std::strerror(error));
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw DataFileError(path.string(), "could not be replaced: " + ec.message());
    }
}

} // namespace velnor
