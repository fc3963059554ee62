#include "main/dose/ProgramLauncher.h"

#include "common/FileLookup.h"
#include "common/TextFile.h"
#include "main/records/CalculationError.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace velnor {
namespace {

bool isExecutable(const std::filesystem::path& p)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0;
}

// A program on the PATH, or empty.
std::filesystem::path onPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return {};
    std::string paths(path);
    std::size_t start = 0;
    while (start <= paths.size()) {
        const std::size_t end = paths.find(':', start);
        const std::filesystem::path candidate = std::filesystem::path(paths.substr(start, end - start)) / name;
        if (isExecutable(candidate))
            return candidate;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {};
}

// In a child before its exec: SIGTERM when `parent` ends, however that
// happens; a parent that has ended already ends the child at once.
void endWithParent(pid_t parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(125);
}

[[noreturn]] void execInChild(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

void redirect(int fd, const char* path, int flags)
{
    const int opened = ::open(path, flags, 0644);
    if (opened >= 0) {
        ::dup2(opened, fd);
        ::close(opened);
    }
}

// Starts `arguments` in `workingFolder` without waiting; with empty input
// unless it runs in a terminal, and when `log` is given its console text in
// that file (never written through a link). Double fork: the program is adopted by init, so it never waits on us
// and leaves no zombie behind.
void startDetached(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   const std::filesystem::path& workingFolder, bool inTerminal, const std::string& log)
{
    const pid_t child = ::fork();
    if (child < 0)
        throw CalculationError(Reason{ReasonCode::ProgramCannotStart, {}, 0, 0, 0, {}, program.string(), std::strerror(errno)});
    if (child == 0) {
        ::setsid();
        if (::fork() != 0)
            ::_exit(0);
        if (::chdir(workingFolder.c_str()) != 0)
            ::_exit(126);
        if (!inTerminal)
            redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
        if (!log.empty()) {
            redirect(STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW);
            ::dup2(STDOUT_FILENO, STDERR_FILENO);
        }
        execInChild(arguments);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
}

} // namespace

std::filesystem::path runningProgramFolder()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : self.parent_path();
}

std::filesystem::path locateProgram(const std::string& name, const std::filesystem::path& workingFolder)
{
    const std::filesystem::path here = findFileIgnoringCase(workingFolder, name);
    if (isExecutable(here))
        return std::filesystem::absolute(here);
    const std::filesystem::path beside = runningProgramFolder() / name;
    if (isExecutable(beside))
        return beside;
    return {};
}

void DesktopLauncher::start(const std::filesystem::path& program, const std::filesystem::path& workingFolder)
{
    if (!isExecutable(program))
        throw CalculationError(Reason{ReasonCode::ProgramCannotStart, {}, 0, 0, 0, {}, program.string()});
    std::vector<std::string> arguments;
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    std::filesystem::path terminal = display ? onPath("x-terminal-emulator") : std::filesystem::path();
    if (display && terminal.empty())
        terminal = onPath("xterm");
    if (!terminal.empty())
        arguments = {terminal.string(), "-e", program.string()};
    else
        arguments = {program.string()};
    const std::string log = (workingFolder / (program.filename().string() + ".log")).string();
    startDetached(program, arguments, workingFolder, !terminal.empty(), terminal.empty() ? log : std::string());
}

WindowedLauncher::~WindowedLauncher() { stop(); }

void WindowedLauncher::start(const std::filesystem::path& program, const std::filesystem::path& workingFolder)
{
    if (!isExecutable(program))
        throw CalculationError(Reason{ReasonCode::ProgramCannotStart, {}, 0, 0, 0, {}, program.string()});
    stop();
    // One fork: the program stays this process's child, so its number cannot
    // pass to another process before it has been waited for.
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0)
        throw CalculationError(Reason{ReasonCode::ProgramCannotStart, {}, 0, 0, 0, {}, program.string(), std::strerror(errno)});
    if (child == 0) {
        ::setsid();
        endWithParent(parent); // its answer would have no reader
        if (::chdir(workingFolder.c_str()) != 0)
            ::_exit(126);
        redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
        execInChild({program.string()});
    }
    m_pid = child;
}

void WindowedLauncher::stop()
{
    if (m_pid <= 0)
        return;
    const pid_t pid = m_pid;
    m_pid = 0;
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
        return; // it had ended by itself
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) { // two seconds to close its windows
        if (::waitpid(pid, &status, WNOHANG) != 0)
            return;
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
}

namespace {

// While a program runs to completion, SIGINT and SIGTERM are passed on to
// it; afterwards this process ends by the same signal, so no engine is left
// running behind a stopped velnor-calc.
volatile sig_atomic_t g_child = 0;
volatile sig_atomic_t g_signal = 0;
extern "C" void passOn(int signal)
{
    g_signal = signal;
    if (g_child > 0)
        ::kill(static_cast<pid_t>(g_child), signal);
}

} // namespace

namespace {

// The engines' reason for a failure: their lines " *** ...", without the
// closing "No result file was written.", joined into one.
std::string consoleReason(const std::string& console)
{
    std::string reason;
    for (std::string line : splitLines(console)) {
        const std::size_t mark = line.find("*** ");
        if (mark == std::string::npos || line.find_first_not_of(' ') != mark)
            continue;
        line = line.substr(mark + 4);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (line.empty() || line.rfind("No result file", 0) == 0 || line.rfind("Stopped on request", 0) == 0)
            continue;
        reason += (reason.empty() ? "" : " ") + line;
    }
    return reason;
}

} // namespace

std::string signalName(int signal)
{
    const char* abbreviation = ::sigabbrev_np(signal);
    return abbreviation ? std::string("SIG") + abbreviation : "signal " + std::to_string(signal);
}

std::string runToCompletion(const std::filesystem::path& program, const std::filesystem::path& workingFolder)
{
    if (!isExecutable(program))
        throw CalculationError(Reason{ReasonCode::ProgramCannotStart, {}, 0, 0, 0, {}, program.string()});
    int console[2];
    if (::pipe2(console, O_CLOEXEC) != 0)
        throw CalculationError(Reason{ReasonCode::ProgramCannotStart, {}, 0, 0, 0, {}, program.string(), std::strerror(errno)});
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(console[0]);
        ::close(console[1]);
        throw CalculationError(Reason{ReasonCode::ProgramCannotStart, {}, 0, 0, 0, {}, program.string(), std::strerror(error)});
    }
    if (child == 0) {
        endWithParent(parent); // an engine stops at its next block and writes no result
        if (::chdir(workingFolder.c_str()) != 0)
            ::_exit(126);
        redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
        ::dup2(console[1], STDOUT_FILENO);
        ::dup2(console[1], STDERR_FILENO);
        execInChild({program.string()});
    }
    ::close(console[1]);
    struct sigaction passing {}, oldInt {}, oldTerm {};
    passing.sa_handler = passOn;
    sigemptyset(&passing.sa_mask);
    g_signal = 0;
    g_child = child;
    ::sigaction(SIGINT, &passing, &oldInt);
    ::sigaction(SIGTERM, &passing, &oldTerm);
    // The console text goes on to standard error as it comes; the end of it
    // is kept for the reason of a failure.
    constexpr std::size_t kKept = 65536;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(console[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        [[maybe_unused]] const ssize_t shown = ::write(STDERR_FILENO, buffer, static_cast<std::size_t>(n));
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > 2 * kKept)
            text.erase(0, text.size() - kKept);
    }
    ::close(console[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    g_child = 0;
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    if (g_signal != 0) {
        const int signal = g_signal;
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    const std::string name = program.filename().string();
    if (WIFSIGNALED(status))
        throw CalculationError(Reason{ReasonCode::ProgramKilled, {}, 0, 0, 0, {}, name, signalName(WTERMSIG(status))});
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const std::string reason = consoleReason(text);
        if (!reason.empty())
            throw CalculationError(Reason{ReasonCode::ProgramFailed, {}, 0, 0, 0, {}, reason});
        throw CalculationError(Reason{ReasonCode::ProgramEnded, {}, static_cast<double>(WIFEXITED(status) ? WEXITSTATUS(status) : -1), 0, 0,
                                      {}, name});
    }
    return text;
}

} // namespace velnor
