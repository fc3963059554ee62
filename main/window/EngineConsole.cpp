#include "main/window/EngineConsole.h"

#include "main/records/CalculationError.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QProgressBar>
#include <QRegularExpression>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

#include <fcntl.h>
#include <unistd.h>

namespace velnor {
namespace {

const char* const kRunning = "計算中です。終了するまでお待ちください";
const char* const kFinished = "計算が終了しました。メイン画面で計算が続きます";
const char* const kFailed = "計算できませんでした (終了コード %1)";
const char* const kKilled = "計算できませんでした（%1 で終了させられました）";
const char* const kClose = "閉じる";
const char* const kStop = "中止";
const char* const kStopping = "中止しています…";
const char* const kStoppedText = "中止しました。結果はありません";
const char* const kLeft = "残り約 %1 秒";
const char* const kWaitTitle = "モンテカルロ計算";
const char* const kWaitText = "モンテカルロ計算中です。終了すると自動的に計算を続けます";
const char* const kStarting = "開始しています…";

} // namespace

EngineConsole::EngineConsole(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("EngineConsole");
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("ConsoleText");
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setStyleSheet("QPlainTextEdit { background: black; color: #d0d0d0; }");
    m_status = new QLabel(this);
    m_status->setObjectName("ConsoleStatus");
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("ConsoleProgress");
    m_progress->setRange(0, 100);
    m_stop = new QPushButton(kStop, this);
    m_stop->setObjectName("ConsoleStop");
    m_close = new QPushButton(kClose, this);
    m_close->setObjectName("ConsoleClose");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_stop);
    bottom->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_progress);
    layout->addLayout(bottom);
    resize(720, 420);
    connect(m_stop, &QPushButton::clicked, this, &EngineConsole::stop);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

EngineConsole::~EngineConsole()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(3000);
    }
    if (m_log >= 0)
        ::close(m_log);
}

QString EngineConsole::text() const { return m_text->toPlainText(); }

bool EngineConsole::running() const { return m_process && m_process->state() != QProcess::NotRunning; }

void EngineConsole::stop()
{
    if (!running())
        return;
    m_stopRequested = true;
    m_status->setText(kStopping);
    m_process->terminate(); // SIGTERM: the engine stops at its next block
}

void EngineConsole::closeEvent(QCloseEvent* event)
{
    stop();
    QWidget::closeEvent(event);
}

// " Progress: 1200000 / 49999926 histories, 2 %, 1 s elapsed, about 40 s left"
void EngineConsole::readProgress(const QString& line)
{
    static const QRegularExpression progress(R"(Progress: \d+ / \d+ histories, (\d+) %, \d+ s elapsed, about (\d+) s left)");
    const QRegularExpressionMatch m = progress.match(line);
    if (!m.hasMatch())
        return;
    m_percent = m.captured(1).toInt();
    m_secondsLeft = m.captured(2).toInt();
    m_progress->setValue(m_percent);
    m_progress->setFormat(QString("%p %  ") + QString(kLeft).arg(m_secondsLeft));
    emit progressChanged(m_percent, m_secondsLeft);
}

void EngineConsole::append(const QByteArray& bytes)
{
    if (m_log >= 0 && ::write(m_log, bytes.constData(), static_cast<std::size_t>(bytes.size())) < 0) {
        ::close(m_log); // the log is a copy; the window still shows everything
        m_log = -1;
    }
    m_text->moveCursor(QTextCursor::End);
    m_text->insertPlainText(QString::fromUtf8(bytes));
    m_text->moveCursor(QTextCursor::End);
    m_pending += QString::fromUtf8(bytes);
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        readProgress(m_pending.left(end));
        m_pending.remove(0, end + 1);
    }
}

void EngineConsole::run(const std::filesystem::path& program, const std::filesystem::path& workingFolder)
{
    if (m_process && m_process->state() != QProcess::NotRunning)
        throw CalculationError(Reason{ReasonCode::EngineStillRunning});
    delete m_process;
    if (m_log >= 0)
        ::close(m_log);
    const std::string name = program.filename().string();
    // Never written through a link someone placed under the log's name.
    m_log = ::open((workingFolder / (name + ".log")).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    m_text->clear();
    m_pending.clear();
    m_finished = false;
    m_stopRequested = false;
    m_exitCode = -1;
    m_percent = m_secondsLeft = -1;
    m_progress->setValue(0);
    m_progress->setFormat("%p %");
    m_stop->setEnabled(true);
    setWindowTitle(QString::fromStdString(name));
    m_status->setText(kRunning);

    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setWorkingDirectory(QString::fromStdString(workingFolder.string()));
    connect(m_process, &QProcess::readyRead, this, [this] { append(m_process->readAll()); });
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        append(m_process->readAll());
        m_finished = true;
        m_exitCode = status == QProcess::NormalExit ? code : -1;
        // A program ended by a signal is named by it (Qt gives its number as the code then).
        m_status->setText(m_stopRequested             ? QString(kStoppedText)
                          : m_exitCode == 0               ? QString(kFinished)
                          : status == QProcess::CrashExit ? QString(kKilled).arg(QString::fromStdString(signalName(code)))
                                                          : QString(kFailed).arg(m_exitCode));
        if (m_exitCode == 0)
            m_progress->setValue(100);
        m_stop->setEnabled(false); // nothing left to stop
        emit programFinished(m_exitCode);
    });
    m_process->start(QString::fromStdString(program.string()), {});
    if (!m_process->waitForStarted(10000))
        throw CalculationError(Reason{ReasonCode::ProgramCannotStart, {}, 0, 0, 0, {}, program.string(), m_process->errorString().toStdString()});
    m_process->closeWriteChannel(); // end of input is the final Enter
    show();
    raise();
}

EngineWaitDialog::EngineWaitDialog(EngineConsole& console, QWidget* parent) : QDialog(parent), m_console(console)
{
    setObjectName("EngineWait");
    setWindowTitle(kWaitTitle);
    setModal(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("WaitProgress");
    m_progress->setRange(0, 100);
    m_left = new QLabel(kStarting, this);
    m_left->setObjectName("WaitLeft");
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("WaitOk");
    auto* stop = new QPushButton(kStop, this);
    stop->setObjectName("WaitStop");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(stop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kWaitText, this));
    layout->addWidget(m_progress);
    layout->addWidget(m_left);
    layout->addLayout(buttons);
    connect(&m_console, &EngineConsole::progressChanged, this, &EngineWaitDialog::showProgress);
    connect(&m_console, &EngineConsole::programFinished, this, &QDialog::accept);
    connect(stop, &QPushButton::clicked, &m_console, &EngineConsole::stop);
    // The calculation goes on by itself when the engine has ended: OK has
    // nothing to do before then and waits, disabled, so that a press is never
    // met by a message no one sees; Enter neither stops the engine.
    ok->setEnabled(false);
    ok->setDefault(true);
    stop->setAutoDefault(false);
    connect(&m_console, &EngineConsole::programFinished, ok, [ok] { ok->setEnabled(true); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void EngineWaitDialog::showProgress(int percentDone, int secondsLeft)
{
    m_progress->setValue(percentDone);
    m_left->setText(QString(kLeft).arg(secondsLeft));
}

void EngineWaitDialog::reject() {}

void EngineWaitDialog::waitForEngine()
{
    if (!m_console.running())
        return;
    if (m_console.percentDone() >= 0)
        showProgress(m_console.percentDone(), m_console.secondsLeft());
    exec();
}

void ConsoleWindowLauncher::start(const std::filesystem::path& program, const std::filesystem::path& workingFolder)
{
    if (!m_console)
        m_console = new EngineConsole(m_parent);
    m_console->run(program, workingFolder);
}

} // namespace velnor
