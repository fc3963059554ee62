#pragma once

#include "main/records/OutputDataTable.h"

#include <QWidget>

#include <array>
#include <filesystem>

class QLabel;
class QLineEdit;
class QListWidget;

namespace velnor {

class Messages;

// "  平均出力データ編集": the current tube output table, edited and saved as a
// ".op" file of the working folder.
class OutputDataEditor : public QWidget {
    Q_OBJECT
public:
    OutputDataEditor(OutputDataTable& table, Messages& messages, const std::filesystem::path& folder, QWidget* parent);
    // Fills the fields from the current table and shows the window.
    void open();

signals:
    // A file was written; the current table is now that file's.
    void saved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void save();
    // The field of a cell of the table (none for a voltage, which is not typed).
    QLineEdit* cellEdit(const OutputDataCell& cell) const;
    void refuseCell(QLineEdit* cell, const std::string& reason);

    OutputDataTable& m_table;
    Messages& m_messages;
    std::filesystem::path m_folder;
    std::array<std::array<QLineEdit*, kOutputRows + 1>, 4> m_exposure{}; // [code][row]
    std::array<QLineEdit*, 4> m_al{}, m_cu{};
    QLineEdit* m_comment;
    QLineEdit* m_fileName;
};

// "  平均出力データ選択": another ".op" file of the working folder becomes the
// current table. A file that cannot be read is refused, naming the file and
// line, and the previous table stays.
class OutputDataSelector : public QWidget {
    Q_OBJECT
public:
    OutputDataSelector(OutputDataTable& table, Messages& messages, const std::filesystem::path& folder, QWidget* parent);
    void open();

signals:
    void selected();

private:
    void choose();

    OutputDataTable& m_table;
    Messages& m_messages;
    std::filesystem::path m_folder;
    QListWidget* m_files;
    QLineEdit* m_comment;
};

} // namespace velnor
