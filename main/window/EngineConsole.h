#pragma once

#include "main/dose/ProgramLauncher.h"

#include <QDialog>
#include <QWidget>

#include <filesystem>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
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
    bool running() const;
    int exitCode() const { return m_exitCode; }
    QString text() const;
    // The last progress the engine reported: percent done and seconds left
    // (-1 before the first report).
    int percentDone() const { return m_percent; }
    int secondsLeft() const { return m_secondsLeft; }
    // Asks a running engine to stop (SIGTERM): it ends at its next block of
    // histories, within a second, and writes no result.
    void stop();
    bool stopped() const { return m_stopRequested; }

signals:
    void programFinished(int exitCode);
    void progressChanged(int percentDone, int secondsLeft);

protected:
    // Closing the window while the engine runs stops it.
    void closeEvent(QCloseEvent* event) override;

private:
    void append(const QByteArray& bytes);
    void readProgress(const QString& text);

    QPlainTextEdit* m_text;
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_stop;
    QPushButton* m_close;
    QString m_pending; // the part of a line not yet ended
    int m_percent = -1, m_secondsLeft = -1;
    bool m_stopRequested = false;
    QProcess* m_process = nullptr;
    int m_log = -1; // file descriptor of the log
    bool m_finished = false;
    int m_exitCode = -1;
};

// The main window's wait while an engine runs: its progress and the time
// left, "中止" to stop it; it closes by itself when the engine has ended.
class EngineWaitDialog : public QDialog {
    Q_OBJECT
public:
    EngineWaitDialog(EngineConsole& console, QWidget* parent);
    // Waits until the engine has ended (returns at once if it has).
    void waitForEngine();

protected:
    void reject() override; // Esc and the close box do not leave a running engine

private:
    void showProgress(int percentDone, int secondsLeft);
    EngineConsole& m_console;
    QLabel* m_left;
    QProgressBar* m_progress;
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
