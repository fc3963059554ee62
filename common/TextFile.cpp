#include "common/TextFile.h"

#include "common/DataFileError.h"
#include "common/TextEncoding.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace velnor {

std::string readTextFile(const std::filesystem::path& path)
{
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
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    const std::filesystem::path temporary
        = folder / ("." + path.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++));

    std::string content;
    if (options.byteOrderMark)
        content += "\xEF\xBB\xBF";
    for (const std::string& line : lines) {
        content += line;
        content += "\r\n";
    }

    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        throw DataFileError(path.string(), std::string("cannot be written: ") + std::strerror(errno));
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
