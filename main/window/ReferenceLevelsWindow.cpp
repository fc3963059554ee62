#include "main/window/ReferenceLevelsWindow.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/FileLookup.h"
#include "common/NumberReading.h"
#include "main/window/Controls.h"
#include "main/window/Messages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velnor {
namespace {

const char* const kTitle = "診断参考レベル";
const char* const kNote = "DRLは標準体格の患者群の中央値と比べる目安です。一人の患者の線量の限度ではありません。\n"
                          "DRL(mGy) と撮影部位（複数は「/」で区切る）を変更できます。";
const char* const kUnreadable = "　診断参考レベルの表を読み込めません　";
const char* const kRefused = "　この表は保存できません　";
const char* const kNotANumber = "DRL(mGy) が数値ではありません";
const char* const kSaved = "診断参考レベルの表を保存しました";

enum Column { Name, Value, BodyParts, LowKv, HighKv, Columns };

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString kvText(const std::optional<double>& kv) { return kv ? qs(formatAsIs(*kv)) : QString(); }

} // namespace

ReferenceLevelsWindow::ReferenceLevelsWindow(Messages& messages, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_messages(messages), m_folder(folder)
{
    setObjectName("FormDrl");
    setWindowTitle(kTitle);
    m_heading = new QLabel(this);
    m_table = new QTableWidget(0, Columns, this);
    m_table->setObjectName("GridDrl");
    m_table->setHorizontalHeaderLabels({"区分", "DRL(mGy)", "撮影部位", "管電圧下限(kV)", "管電圧上限(kV)"});
    m_table->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(BodyParts, QHeaderView::Stretch);
    m_table->verticalHeader()->setVisible(false);
    auto* save = new QPushButton("保存", this);
    save->setObjectName("Command1");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Command2");
    connect(save, &QPushButton::clicked, this, &ReferenceLevelsWindow::save);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(new QLabel(kNote, this));
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(760, 520);
}

void ReferenceLevelsWindow::open()
{
    try {
        m_levels = readReferenceLevels(findFileIgnoringCase(m_folder, kReferenceLevelsFile));
    } catch (const std::exception& e) {
        m_messages.warn(kUnreadable, detailOf(e));
        return;
    }
    m_heading->setText(qs("版：" + m_levels.edition + "　　比べる線量：入射表面線量の" + drlDoseFileName(m_levels.dose)));
    m_table->setRowCount(static_cast<int>(m_levels.levels.size()));
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const ReferenceLevel& level = m_levels.levels[static_cast<std::size_t>(r)];
        std::string parts;
        for (const std::string& part : level.bodyParts)
            parts += (parts.empty() ? "" : "/") + part;
        const QString texts[Columns] = {qs(level.name), qs(formatAsIs(level.valueMgy)), qs(parts), kvText(level.lowKv), kvText(level.highKv)};
        for (int c = 0; c < Columns; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c != Value && c != BodyParts)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            m_table->setItem(r, c, item);
        }
    }
    m_table->setCurrentCell(0, Value);
    controls::bringForward(this);
    m_table->setFocus();
}

void ReferenceLevelsWindow::save()
{
    // A cell still being typed in counts as typed.
    // (moving the current cell commits the editor's text).
    {
        const QModelIndex current = m_table->currentIndex();
        m_table->setCurrentIndex(QModelIndex());
        m_table->setCurrentIndex(current);
    }
    auto refuse = [this](int row, int column, const QString& reason) {
        m_messages.warn(kRefused, QString("「%1」：%2").arg(m_table->item(row, Name)->text(), reason));
        m_table->setCurrentCell(row, column);
        m_table->setFocus();
    };
    ReferenceLevelTable typed = m_levels;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        ReferenceLevel& level = typed.levels[static_cast<std::size_t>(r)];
        const std::optional<double> value = parseNumber(m_table->item(r, Value)->text().trimmed().toStdString());
        if (!value)
            return refuse(r, Value, kNotANumber);
        level.valueMgy = *value;
        level.bodyParts.clear();
        for (const QString& part : m_table->item(r, BodyParts)->text().split('/'))
            level.bodyParts.push_back(part.trimmed().toStdString());
        if (level.bodyParts.size() == 1 && level.bodyParts[0].empty())
            level.bodyParts.clear();
    }
    try {
        writeReferenceLevels(findFileIgnoringCase(m_folder, kReferenceLevelsFile), typed);
    } catch (const DataFileError& e) {
        // The check names the line the level would have in the file.
        const int row = e.lineNumber() - 4;
        if (row >= 0 && row < m_table->rowCount())
            return refuse(row, Value, qs(e.reason().japanese));
        m_messages.warn(kRefused, detailOf(e));
        return;
    }
    m_levels = typed;
    m_messages.inform(kSaved);
    hide();
    emit saved();
}

} // namespace velnor
