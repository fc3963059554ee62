#pragma once

#include "main/dose/ProgramLauncher.h"

#include <QWidget>

#include <filesystem>

class QLabel;
class QPlainTextEdit;
class QProcess;
class QPushButton;

namespace velnor {

// A console window of our own for a Monte Carlo engine: its output as it runs,
// whether it has finished, and the same text in "<program>.log" in the working
// folder. The engine's input is closed at once, which it takes as the final
// Enter, so it ends by itself; the window keeps the text until it is closed.
class EngineConsole : public QWidget {
    Q_OBJECT
public:
    explicit EngineConsole(QWidget* parent = nullptr);
    ~EngineConsole() override;

    // Starts `program` in `workingFolder` and shows the window. Throws
    // CalculationError when the program cannot be started.
    void run(const std::filesystem::path& program, const std::filesystem::path& workingFolder);

    bool finished() const { return m_finished; }
    int exitCode() const { return m_exitCode; }
    QString text() const;

signals:
    void programFinished(int exitCode);

private:
    void append(const QByteArray& bytes);

    QPlainTextEdit* m_text;
    QLabel* m_status;
    QPushButton* m_close;
    QProcess* m_process = nullptr;
    int m_log = -1; // file descriptor of the log
    bool m_finished = false;
    int m_exitCode = -1;
};

// Starts the console engines in an EngineConsole, so that their console is
// seen on every desktop, whether or not a terminal program is installed.
class ConsoleWindowLauncher : public ProgramLauncher {
public:
    explicit ConsoleWindowLauncher(QWidget* parent) : m_parent(parent) {}
    void start(const std::filesystem::path& program, const std::filesystem::path& workingFolder) override;
    EngineConsole* console() const { return m_console; }

private:
    QWidget* m_parent;
    EngineConsole* m_console = nullptr;
};

} // namespace velnor
