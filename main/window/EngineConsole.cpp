#include "main/window/EngineConsole.h"

#include "main/records/CalculationError.h"

#include <QFontDatabase>
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
const char* const kFinished = "計算が終了しました。メイン画面の OK ボタンを押して下さい";
const char* const kFailed = "計算できませんでした (終了コード %1)";
const char* const kClose = "閉じる";

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
    m_close = new QPushButton(kClose, this);
    m_close->setObjectName("ConsoleClose");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(bottom);
    resize(720, 420);
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
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

void EngineConsole::append(const QByteArray& bytes)
{
    if (m_log >= 0 && ::write(m_log, bytes.constData(), static_cast<std::size_t>(bytes.size())) < 0) {
        ::close(m_log); // the log is a copy; the window still shows everything
        m_log = -1;
    }
    m_text->moveCursor(QTextCursor::End);
    m_text->insertPlainText(QString::fromUtf8(bytes));
    m_text->moveCursor(QTextCursor::End);
}

void EngineConsole::run(const std::filesystem::path& program, const std::filesystem::path& workingFolder)
{
    if (m_process && m_process->state() != QProcess::NotRunning)
        throw CalculationError("the Monte Carlo program is still running; wait until it has finished");
    delete m_process;
    if (m_log >= 0)
        ::close(m_log);
    const std::string name = program.filename().string();
    // Never written through a link someone placed under the log's name.
    m_log = ::open((workingFolder / (name + ".log")).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    m_text->clear();
    m_finished = false;
    m_exitCode = -1;
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
        m_status->setText(m_exitCode == 0 ? QString(kFinished) : QString(kFailed).arg(m_exitCode));
        emit programFinished(m_exitCode);
    });
    m_process->start(QString::fromStdString(program.string()), {});
    if (!m_process->waitForStarted(10000))
        throw CalculationError("the program " + program.string() + " cannot be started: " + m_process->errorString().toStdString());
    m_process->closeWriteChannel(); // end of input is the final Enter
    show();
    raise();
}

void ConsoleWindowLauncher::start(const std::filesystem::path& program, const std::filesystem::path& workingFolder)
{
    if (!m_console)
        m_console = new EngineConsole(m_parent);
    m_console->run(program, workingFolder);
}

} // namespace velnor
