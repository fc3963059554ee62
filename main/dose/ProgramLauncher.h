#pragma once

#include <filesystem>
#include <string>

namespace velnor {

// Starts the external programs (the Monte Carlo engines, the depth-dose
// program) by file name, with no arguments, in a working folder. One small
// interface, so tests replace it.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Starts `program` without waiting. Throws CalculationError when it cannot
    // be started.
    virtual void start(const std::filesystem::path& program, const std::filesystem::path& workingFolder) = 0;
    // Ends the program this launcher started last, if it still runs (a
    // launcher that lets its programs go does nothing).
    virtual void stop() {}
};

// On the desktop: in a terminal window (x-terminal-emulator, else xterm) when
// there is a display and a terminal; otherwise detached, its console text
// written to "<program>.log" in the working folder and its input empty (so a
// final "Hit Enter" does not wait).
class DesktopLauncher : public ProgramLauncher {
public:
    void start(const std::filesystem::path& program, const std::filesystem::path& workingFolder) override;
};

// A windowed program (the depth-dose program): started in the working folder
// in a session of its own, with its own windows and no console. The launcher
// keeps the one program it started: starting another, stop() and the
// launcher's end close it (SIGTERM, then SIGKILL after two seconds), so no
// earlier case's program can answer for a later one.
class WindowedLauncher : public ProgramLauncher {
public:
    WindowedLauncher() = default;
    WindowedLauncher(const WindowedLauncher&) = delete;
    WindowedLauncher& operator=(const WindowedLauncher&) = delete;
    ~WindowedLauncher() override;
    void start(const std::filesystem::path& program, const std::filesystem::path& workingFolder) override;
    void stop() override;

private:
    int m_pid = 0; // the program started last; 0: none
};

// Runs `program` in `workingFolder` to its end with empty input, its console
// text sent on to this process's standard error and returned (its last 64 KiB
// at least). SIGINT and SIGTERM are passed on to it, and it is ended when
// this process ends, however that happens. Throws CalculationError when it
// cannot be started, is ended by a signal (named), or ends with a non-zero
// status (with the reason of its " *** " lines, the engines' convention).
std::string runToCompletion(const std::filesystem::path& program, const std::filesystem::path& workingFolder);

// A signal's name as the system writes it ("SIGKILL").
std::string signalName(int signal);

// The folder of the running program.
std::filesystem::path runningProgramFolder();

// `name` in `workingFolder` (any letter case), else beside the running
// program; empty when neither holds it.
std::filesystem::path locateProgram(const std::string& name, const std::filesystem::path& workingFolder);

} // namespace velnor
