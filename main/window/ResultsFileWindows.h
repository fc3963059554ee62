#pragma once

#include "main/results/ResultsFile.h"

#include <QWidget>

#include <filesystem>

class QLabel;
class QLineEdit;
class QListWidget;

namespace velnor {

class Messages;

// A folder chooser (starting in the working folder) with the list of its
// "*.csv" files: the part the save and read windows share.
class CsvFolderPanel : public QWidget {
    Q_OBJECT
public:
    CsvFolderPanel(const std::filesystem::path& folder, const QString& listCaption, QWidget* parent);
    void refresh();
    std::filesystem::path folder() const { return m_folder; }
    void setFolder(const std::filesystem::path& folder);
    QListWidget* list() const { return m_list; }

private:
    std::filesystem::path m_folder;
    QLabel* m_folderLabel;
    QListWidget* m_list;
};

// "  Data Save": the results table as a results file.
class DataSaveWindow : public QWidget {
    Q_OBJECT
public:
    DataSaveWindow(const ResultsTable& table, const double& cfAir, Messages& messages, const std::filesystem::path& folder,
                   QWidget* parent);
    // Refreshes the file list, empties the fields and shows the window.
    void open();
    CsvFolderPanel* folderPanel() const { return m_panel; }

signals:
    // The table was written to a file.
    void saved();

private:
    void save();

    const ResultsTable& m_table;
    const double& m_cfAir;
    Messages& m_messages;
    CsvFolderPanel* m_panel;
    QLineEdit* m_name;
    QLineEdit* m_comment;
};

// "  Data Read": a results file into the results table. The whole file is
// read and checked first; a file that fails leaves the table as it was.
class DataReadWindow : public QWidget {
    Q_OBJECT
public:
    DataReadWindow(Messages& messages, const std::filesystem::path& folder, QWidget* parent);
    void open();
    CsvFolderPanel* folderPanel() const { return m_panel; }

signals:
    void fileRead(const ResultsFileContent& content);

private:
    void read();

    Messages& m_messages;
    CsvFolderPanel* m_panel;
    QLabel* m_comment;
};

} // namespace velnor
