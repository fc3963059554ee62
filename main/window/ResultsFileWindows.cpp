#include "main/window/ResultsFileWindows.h"

#include "common/DataFileError.h"
#include "common/FileLookup.h"
#include "main/results/ResultsFile.h"
#include "main/window/Controls.h"
#include "main/window/Messages.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velnor {
namespace {

// Captions and messages of the two windows.
const char* const kSaveTitle = "  Data Save";
const char* const kSaveHeading1 = "計算結果表を保存します";
const char* const kSaveHeading2 = "エクセル csv フォーマットで";
const char* const kExistingFiles = "既存ファイル名";
const char* const kFileNamePrompt = "ファイル名を拡張子なしで入力して下さい";
const char* const kCommentPrompt = "コメントを入力して下さい";
const char* const kEnterBoth = "　コメントおよびファイル名を入力して下さい　";
const char* const kSaved = "　計算結果をエクセル(csv)形式で保存しました　";
const char* const kBadName = "　このファイル名は使用できません　";
const char* const kNotSaved = "　ファイルを保存できませんでした　";
const char* const kReadTitle = "  Data Read";
const char* const kReadHeading = "計算結果表を読み込みます";
const char* const kChooseFile = "ファイルを選択して下さい";
const char* const kChooseFileMessage = "　ファイルを選択して下さい　";
const char* const kFileComment = "このファイルのコメント";
const char* const kNotRead = "　このファイルは読み込めません。現在の計算結果はそのまま残っています　";
const char* const kFolderButton = "フォルダ...";

using controls::button;

} // namespace

CsvFolderPanel::CsvFolderPanel(const std::filesystem::path& folder, const QString& listCaption, QWidget* parent)
    : QWidget(parent), m_folder(folder)
{
    m_folderLabel = new QLabel(this);
    m_folderLabel->setObjectName("Dir1");
    m_folderLabel->setWordWrap(true);
    auto* choose = button("CommandFolder", kFolderButton, this);
    m_list = new QListWidget(this);
    m_list->setObjectName("File1");
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_folderLabel, 0, 0);
    layout->addWidget(choose, 0, 1);
    layout->addWidget(new QLabel(listCaption, this), 1, 0, 1, 2);
    layout->addWidget(m_list, 2, 0, 1, 2);
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(this, kFolderButton, QString::fromStdString(m_folder.string()));
        if (!chosen.isEmpty())
            setFolder(chosen.toStdString());
    });
}

void CsvFolderPanel::setFolder(const std::filesystem::path& folder)
{
    m_folder = folder;
    refresh();
}

void CsvFolderPanel::refresh()
{
    m_folderLabel->setText(QString::fromStdString(m_folder.string()));
    m_list->clear();
    m_list->addItems(controls::filesWithExtensions(m_folder, {".csv"}));
}

DataSaveWindow::DataSaveWindow(const ResultsTable& table, const double& cfAir, Messages& messages,
                               const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_table(table), m_cfAir(cfAir), m_messages(messages)
{
    setObjectName("DataSave");
    setWindowTitle(kSaveTitle);
    m_panel = new CsvFolderPanel(folder, kExistingFiles, this);
    m_name = new QLineEdit(this);
    m_name->setObjectName("Text1");
    m_comment = new QLineEdit(this);
    m_comment->setObjectName("Text2");
    auto* ok = button("Command1", "OK", this);
    auto* cancel = button("Command2", "Cancel", this);

    auto* layout = new QVBoxLayout(this);
    auto* heading = controls::heading(QString(kSaveHeading1) + "\n" + kSaveHeading2, this, 3);
    layout->addWidget(heading);
    layout->addWidget(m_panel, 1);
    layout->addWidget(new QLabel(kFileNamePrompt, this));
    layout->addWidget(m_name);
    layout->addWidget(new QLabel(kCommentPrompt, this));
    layout->addWidget(m_comment);
    layout->addLayout(controls::buttonRow({ok, cancel}));
    resize(460, 520);

    connect(m_panel->list(), &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        m_name->setText(item->text().left(item->text().size() - 4));
    });
    connect(m_comment, &QLineEdit::returnPressed, this, [this] { m_name->setFocus(); });
    connect(m_name, &QLineEdit::returnPressed, this, [this, ok] {
        if (!m_name->text().isEmpty())
            ok->setFocus();
    });
    connect(ok, &QPushButton::clicked, this, &DataSaveWindow::save);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void DataSaveWindow::open()
{
    m_panel->refresh();
    m_name->clear();
    m_comment->clear();
    controls::bringForward(this);
    m_comment->setFocus();
}

void DataSaveWindow::save()
{
    if (m_comment->text().isEmpty() || m_name->text().isEmpty()) {
        m_messages.beep();
        m_messages.warn(kEnterBoth);
        return;
    }
    const std::string name = m_name->text().toStdString();
    if (const std::optional<Reason> fault = plainFileNameFault(name)) {
        m_messages.warn(kBadName, QString::fromStdString(inJapanese(*fault)));
        return;
    }
    try {
        // "exam" beside "Exam.csv" is that file, as on Windows: replaced, not doubled.
        writeResultsFile(findFileIgnoringCase(m_panel->folder(), name + ".csv"), m_comment->text().toStdString(), m_table, m_cfAir);
    } catch (const std::exception& e) {
        m_messages.warn(kNotSaved, detailOf(e));
        return;
    }
    m_messages.warn(kSaved);
    hide();
    emit saved();
}

DataReadWindow::DataReadWindow(Messages& messages, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_messages(messages)
{
    setObjectName("DataRead");
    setWindowTitle(kReadTitle);
    m_panel = new CsvFolderPanel(folder, kChooseFile, this);
    m_comment = new QLabel(this);
    m_comment->setObjectName("Label3");
    m_comment->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_comment->setWordWrap(true);
    auto* ok = button("Command1", "OK", this);
    auto* cancel = button("Command2", "Cancel", this);
    auto* layout = new QVBoxLayout(this);
    auto* heading = controls::heading(kReadHeading, this, 3);
    layout->addWidget(heading);
    layout->addWidget(m_panel, 1);
    layout->addWidget(new QLabel(kFileComment, this));
    layout->addWidget(m_comment);
    layout->addLayout(controls::buttonRow({ok, cancel}));
    resize(460, 480);

    connect(m_panel->list(), &QListWidget::itemSelectionChanged, this, [this] {
        const QListWidgetItem* item = controls::chosenItem(m_panel->list());
        m_comment->setText(item ? QString::fromStdString(readResultsFileComment(m_panel->folder() / item->text().toStdString()))
                                : QString());
    });
    connect(ok, &QPushButton::clicked, this, &DataReadWindow::read);
    // Enter on the list, or a double click on a file, reads it, as OK does.
    connect(m_panel->list(), &QListWidget::itemActivated, this, &DataReadWindow::read);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void DataReadWindow::open()
{
    m_panel->refresh();
    m_comment->clear();
    controls::bringForward(this);
    m_panel->list()->setFocus();
}

void DataReadWindow::read()
{
    QListWidgetItem* item = controls::chosenItem(m_panel->list());
    if (!item) {
        m_messages.beep();
        m_messages.warn(kChooseFileMessage);
        return;
    }
    ResultsFileContent content;
    try {
        content = readResultsFile(m_panel->folder() / item->text().toStdString());
    } catch (const std::exception& e) {
        m_messages.warn(kNotRead, detailOf(e));
        return;
    }
    hide();
    emit fileRead(content);
}

} // namespace velnor
