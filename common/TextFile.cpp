#include "common/TextFile.h"

#include "common/DataFileError.h"
#include "common/TextEncoding.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

// Temporaries are named "." + file name + "." + the writer's process id +
// "." + six characters of mkstemp. One whose writer no longer runs was left
// by a kill or a crash: nobody will rename it, so it is removed.
std::string temporaryPrefix(const std::filesystem::path& path) { return "." + path.filename().string() + "."; }

void removeStaleTemporaries(const std::filesystem::path& folder, const std::filesystem::path& path)
{
    const std::string prefix = temporaryPrefix(path);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() + 7 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string rest = name.substr(prefix.size()); // "<pid>.XXXXXX"
        const std::size_t dot = rest.size() - 7;
        if (rest[dot] != '.' || rest.find_first_not_of("0123456789") != dot || dot == 0 || dot > 9)
            continue;
        const long pid = std::stol(rest.substr(0, dot));
        if (pid <= 0 || pid == static_cast<long>(::getpid()))
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

} // namespace

std::string readFileBytes(const std::filesystem::path& path, std::size_t maxBytes)
{
    // Non-blocking, so that opening a FIFO returns at once and fstat can
    // refuse it; a regular file reads the same either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw DataFileError(path.string(), Reason{ReasonCode::FileCannotOpen, {}, 0, 0, 0, {}, {}, std::strerror(errno)});
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw DataFileError(path.string(), Reason{ReasonCode::FileCannotExamine, {}, 0, 0, 0, {}, {}, std::strerror(errno)});
    if (S_ISDIR(info.st_mode))
        throw DataFileError(path.string(), Reason{ReasonCode::FileIsFolder});
    if (!S_ISREG(info.st_mode))
        throw DataFileError(path.string(), Reason{ReasonCode::FileNotRegular});
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        throw DataFileError(path.string(), Reason{ReasonCode::FileTooLarge, {}, static_cast<double>(info.st_size), 0,
                                                  static_cast<double>(maxBytes)});
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw DataFileError(path.string(), Reason{ReasonCode::FileCannotRead, {}, 0, 0, 0, {}, {}, std::strerror(errno)});
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > maxBytes) // it grew while being read
            throw DataFileError(path.string(), Reason{ReasonCode::FileTooLarge, {}, static_cast<double>(bytes.size()), 0,
                                                      static_cast<double>(maxBytes)});
    }
    return bytes;
}

std::string readTextFile(const std::filesystem::path& path)
{
    const std::string bytes = readFileBytes(path);
    std::string text;
    try {
        text = decodeFileText(bytes);
    } catch (const std::exception& e) {
        throw DataFileError(path.string(), Reason{ReasonCode::FileUndecodable, {}, 0, 0, 0, {}, {}, e.what()});
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
    AtomicFile file(path);
    file.write(content);
    file.commit();
}

void copyFileWhole(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in)
        throw DataFileError(from.string(), Reason{ReasonCode::FileCannotOpen, {}, 0, 0, 0, {}, {}, std::strerror(errno)});
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{in};
    AtomicFile out(to);
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        out.write(std::string_view(buffer, n));
    if (std::ferror(in))
        throw DataFileError(from.string(), Reason{ReasonCode::FileCannotRead, {}, 0, 0, 0, {}, {}, std::strerror(errno)});
    out.commit();
}

AtomicFile::AtomicFile(const std::filesystem::path& path) : m_path(path)
{
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    removeStaleTemporaries(folder, path);
    // A new file of an unpredictable name, created exclusively (mkstemp uses
    // O_EXCL), so a planted file or link of that name is never written through.
    std::string pattern = (folder / (temporaryPrefix(path) + std::to_string(::getpid()) + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw DataFileError(path.string(), Reason{ReasonCode::FileCannotWrite, {}, 0, 0, 0, {}, {}, std::strerror(errno)});
    m_temporary = pattern;
    ::fchmod(fd, 0644 & ~currentUmask());
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        const int error = errno;
        ::close(fd);
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
        throw DataFileError(path.string(), Reason{ReasonCode::FileCannotWrite, {}, 0, 0, 0, {}, {}, std::strerror(error)});
    }
}

AtomicFile::~AtomicFile()
{
    if (m_file)
        std::fclose(m_file);
    if (!m_committed) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
    }
}

void AtomicFile::write(std::string_view bytes)
{
    if (!m_failed && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_failed = true;
        m_error = errno;
    }
}

void AtomicFile::commit()
{
    const bool flushed = std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    const int error = m_failed ? m_error : errno;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (m_failed || !flushed || !closed)
        throw DataFileError(m_path.string(), Reason{ReasonCode::FileWriteIncomplete, {}, 0, 0, 0, {}, {}, std::strerror(error ? error : errno)});
    std::error_code ec;
    std::filesystem::rename(m_temporary, m_path, ec);
    if (ec)
        throw DataFileError(m_path.string(), Reason{ReasonCode::FileCannotReplace, {}, 0, 0, 0, {}, {}, ec.message()});
    m_committed = true;
}

} // namespace velnor
