#include "main/window/OutputDataWindows.h"

#include "common/DisplayFormat.h"
#include "common/FileLookup.h"
#include "common/NumberReading.h"
#include "common/TextFile.h"
#include "main/window/Controls.h"
#include "main/window/Messages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace velnor {
namespace {

// Captions and messages of the two windows.
const char* const kEditorTitle = "  平均出力データ編集";
const char* const kHeading1 = "Ｘ線焦点から１ｍの距離における";
const char* const kHeading2 = "単位mAs当たりの照射線量 [C/kg]";
const char* const kColumns[4] = {"", "定電圧", "三相12ﾋﾟｰｸ", "単相全波"};
const char* const kFiltration = "測定時の固有を含む濾過 [mm]";
const char* const kFileHint = "（ファイル名は、拡張子なしで入力して下さい）";
const char* const kReserved = "　このファイル名は使用禁止です　";
const char* const kOverwrite = "　この名前のファイルはすでに存在します。上書きしますか？　";
const char* const kBadName = "　このファイル名は使用できません　";
const char* const kNotWritten = "　ファイルを保存できませんでした　";
const char* const kBadCell = "　入力された出力データは使用できません　";
const char* const kNoComment = "No comment";
const char* const kSelectorTitle = "  平均出力データ選択";
const char* const kSelectorPrompt = "平均出力データファイルを選択して下さい";
const char* const kChooseFile = "　ファイルを選択して下さい　";
const char* const kNotLoaded = "　この出力データファイルは読み込めません。これまでの出力データを使います　";

QLineEdit* edit(const QString& name, QWidget* parent) { return controls::edit(name, parent, 110); }


} // namespace

OutputDataEditor::OutputDataEditor(OutputDataTable& table, Messages& messages, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_table(table), m_messages(messages), m_folder(folder)
{
    setObjectName("OutputEditor");
    setWindowTitle(kEditorTitle);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString(kHeading1) + "\n" + kHeading2, this), 0, 1, 1, 3, Qt::AlignCenter);
    grid->addWidget(new QLabel("kV", this), 1, 0, Qt::AlignCenter);
    for (int code = 1; code <= 3; ++code)
        grid->addWidget(new QLabel(kColumns[code], this), 1, code, Qt::AlignCenter);
    for (int row = 1; row <= kOutputRows; ++row) {
        grid->addWidget(new QLabel(QString::number(30 + 10 * row), this), row + 1, 0, Qt::AlignRight); // 40 .. 150 kV
        for (int code = 1; code <= 3; ++code) {
            m_exposure[code][row] = edit(QString("Exposure%1_%2").arg(code).arg(row), this);
            grid->addWidget(m_exposure[code][row], row + 1, code);
        }
    }
    const int f = kOutputRows + 2;
    grid->addWidget(new QLabel(kFiltration, this), f, 1, 1, 3, Qt::AlignCenter);
    grid->addWidget(new QLabel("アルミ", this), f + 1, 0, Qt::AlignRight);
    grid->addWidget(new QLabel("銅", this), f + 2, 0, Qt::AlignRight);
    for (int code = 1; code <= 3; ++code) {
        m_al[code] = edit(QString("Al%1").arg(code), this);
        m_cu[code] = edit(QString("Cu%1").arg(code), this);
        grid->addWidget(m_al[code], f + 1, code);
        grid->addWidget(m_cu[code], f + 2, code);
    }
    m_comment = new QLineEdit(this);
    m_comment->setObjectName("Comment");
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName("FileName");
    auto* save = new QPushButton("Save", this);
    save->setObjectName("Command1");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Command2");

    auto* layout = new QVBoxLayout;
    layout->addLayout(grid);
    auto* names = new QGridLayout;
    names->addWidget(new QLabel("コメント", this), 0, 0);
    names->addWidget(m_comment, 0, 1);
    names->addWidget(new QLabel("ファイル名", this), 1, 0);
    names->addWidget(m_fileName, 1, 1);
    names->addWidget(new QLabel(kFileHint, this), 2, 1);
    layout->addLayout(names);
    layout->addLayout(controls::buttonRow({save, cancel}));
    controls::scrollWhenTooLarge(this, layout);

    for (QLineEdit* e : findChildren<QLineEdit*>())
        e->installEventFilter(this);
    connect(save, &QPushButton::clicked, this, &OutputDataEditor::save);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void OutputDataEditor::open()
{
    for (int code = 1; code <= 3; ++code) {
        for (int row = 1; row <= kOutputRows; ++row)
            m_exposure[code][row]->setText(QString::fromStdString(formatNumber(m_table.exposurePerMas[code][row], "0.00E+00")));
        m_al[code]->setText(QString::fromStdString(formatNumber(10 * m_table.filtrationAl[code], "#0.00")));
        m_cu[code]->setText(QString::fromStdString(formatNumber(10 * m_table.filtrationCu[code], "#0.00")));
    }
    m_fileName->setText(QString::fromStdString(outputDataDisplayName(m_table)));
    m_comment->setText(QString::fromStdString(m_table.comment));
    controls::bringForward(this);
}

bool OutputDataEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QWidget::eventFilter(watched, event);
    // Enter moves down a column: its exposures, its aluminium and copper
    // fields, then the file name, then the comment.
    QWidget* next = nullptr;
    for (int code = 1; code <= 3 && !next; ++code) {
        for (int row = 1; row <= kOutputRows; ++row)
            if (watched == m_exposure[code][row])
                next = row < kOutputRows ? m_exposure[code][row + 1] : m_al[code];
        if (watched == m_al[code])
            next = m_cu[code];
        else if (watched == m_cu[code])
            next = m_fileName;
    }
    if (watched == m_fileName)
        next = m_comment;
    if (!next)
        return QWidget::eventFilter(watched, event);
    next->setFocus();
    return true;
}

QLineEdit* OutputDataEditor::cellEdit(const OutputDataCell& cell) const
{
    switch (cell.kind) {
    case OutputDataCell::Kind::Exposure:
        return m_exposure[cell.code][cell.row];
    case OutputDataCell::Kind::Aluminium:
        return m_al[cell.code];
    case OutputDataCell::Kind::Copper:
        return m_cu[cell.code];
    case OutputDataCell::Kind::Comment:
        return m_comment;
    case OutputDataCell::Kind::Voltage:
        break;
    }
    return nullptr;
}

void OutputDataEditor::refuseCell(QLineEdit* cell, const std::string& reason)
{
    m_messages.beep();
    m_messages.warn(kBadCell, QString::fromStdString(reason));
    if (cell) {
        cell->setFocus();
        cell->selectAll();
    }
}

void OutputDataEditor::save()
{
    // Every cell must hold a number the file's reader accepts; nothing is
    // taken or written otherwise.
    OutputDataTable typed = m_table;
    auto notANumber = [this](const OutputDataCell& cell, const QLineEdit* edit) {
        return phrased(outputDataCellReason(cell, m_table), Reason{ReasonCode::CellNotANumber, {}, 0, 0, 0, {}, edit->text().toStdString()})
            .japanese;
    };
    for (int code = 1; code <= 3; ++code) {
        for (int row = 1; row <= kOutputRows; ++row) {
            const std::optional<double> v = parseNumber(m_exposure[code][row]->text().trimmed().toStdString());
            if (!v)
                return refuseCell(m_exposure[code][row], notANumber({OutputDataCell::Kind::Exposure, code, row}, m_exposure[code][row]));
            typed.exposurePerMas[code][row] = *v;
        }
        for (QLineEdit* e : {m_al[code], m_cu[code]}) {
            const std::optional<double> mm = parseNumber(e->text().trimmed().toStdString());
            if (!mm)
                return refuseCell(e, notANumber({e == m_al[code] ? OutputDataCell::Kind::Aluminium : OutputDataCell::Kind::Copper, code, 0}, e));
            (e == m_al[code] ? typed.filtrationAl[code] : typed.filtrationCu[code]) = 0.1 * *mm;
        }
    }
    typed.comment = m_comment->text().isEmpty() ? std::string(kNoComment) : m_comment->text().toStdString();
    if (const std::optional<OutputDataFault> fault = outputDataTableFault(typed))
        return refuseCell(cellEdit(fault->cell), fault->reasonJa);
    // The current table takes the typed values before the name is looked at.
    const std::string comment = m_table.comment;
    m_table = typed;
    m_table.comment = comment;
    const std::string name = m_fileName->text().toStdString();
    if (isReservedOutputName(name)) {
        m_messages.beep();
        m_messages.warn(kReserved);
        return;
    }
    if (const std::optional<Reason> fault = plainFileNameFault(name)) {
        m_messages.warn(kBadName, QString::fromStdString(inJapanese(*fault)));
        return;
    }
    // As on Windows, a file of that name in any letter case is the same file.
    const std::filesystem::path path = findFileIgnoringCase(m_folder, name + ".op");
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        m_messages.beep();
        if (!m_messages.askYesNo(kOverwrite))
            return;
    }
    OutputDataTable written = m_table;
    written.comment = typed.comment;
    try {
        saveOutputDataTable(written, path);
    } catch (const std::exception& e) {
        m_messages.warn(kNotWritten, detailOf(e));
        return;
    }
    m_table.comment = written.comment;
    m_table.fileName = path.filename().string();
    hide();
    emit saved();
}

OutputDataSelector::OutputDataSelector(OutputDataTable& table, Messages& messages, const std::filesystem::path& folder,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), m_table(table), m_messages(messages), m_folder(folder)
{
    setObjectName("OutputSelector");
    setWindowTitle(kSelectorTitle);
    m_files = new QListWidget(this);
    m_files->setObjectName("File1");
    m_comment = new QLineEdit(this);
    m_comment->setObjectName("Text1");
    m_comment->setReadOnly(true);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Command1");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Command2");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kSelectorPrompt, this));
    layout->addWidget(m_files, 1);
    layout->addWidget(new QLabel("コメント", this));
    layout->addWidget(m_comment);
    layout->addLayout(controls::buttonRow({ok, cancel}));
    resize(420, 380);

    connect(m_files, &QListWidget::itemSelectionChanged, this, [this] {
        const QListWidgetItem* item = controls::chosenItem(m_files);
        if (!item)
            return;
        const QString name = item->text();
        // The comment up to its first comma, as the list shows it.
        std::string first;
        try {
            const std::vector<std::string> lines = readTextLines(m_folder / name.toStdString());
            first = lines.empty() ? std::string() : lines[0].substr(0, lines[0].find(','));
        } catch (const std::exception&) {
        }
        m_comment->setText(QString::fromStdString(first));
    });
    connect(ok, &QPushButton::clicked, this, &OutputDataSelector::choose);
    // Enter on the list, or a double click on a file, chooses it, as OK does.
    connect(m_files, &QListWidget::itemActivated, this, &OutputDataSelector::choose);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void OutputDataSelector::open()
{
    m_files->clear();
    m_files->addItems(controls::filesWithExtensions(m_folder, {".op"}));
    m_comment->clear();
    controls::bringForward(this);
    m_files->setFocus();
}

void OutputDataSelector::choose()
{
    QListWidgetItem* item = controls::chosenItem(m_files);
    if (!item) {
        m_messages.beep();
        m_messages.inform(kChooseFile);
        return;
    }
    try {
        m_table = loadOutputDataTable(m_folder / item->text().toStdString());
    } catch (const std::exception& e) {
        m_messages.warn(kNotLoaded, detailOf(e));
        return;
    }
    hide();
    emit selected();
}

} // namespace velnor
