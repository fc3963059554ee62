#pragma once

#include "main/records/ReferenceLevels.h"

#include <QWidget>

#include <filesystem>

class QLabel;
class QTableWidget;

namespace velnor {

class Messages;

// "診断参考レベル": the table of "診断参考レベル.txt". The user changes a
// level's value and the body parts it applies to; the file is written whole
// through the table's check, and nothing is written on a refusal (the cell
// at fault is named and focused).
class ReferenceLevelsWindow : public QWidget {
    Q_OBJECT
public:
    ReferenceLevelsWindow(Messages& messages, const std::filesystem::path& folder, QWidget* parent);
    // Reads the file and shows it; a file that cannot be read is named with
    // its fault and the window stays closed.
    void open();
    QTableWidget* table() const { return m_table; }

signals:
    // The file was written.
    void saved();

private:
    void save();

    Messages& m_messages;
    std::filesystem::path m_folder;
    ReferenceLevelTable m_levels;
    QLabel* m_heading;
    QTableWidget* m_table;
};

} // namespace velnor
