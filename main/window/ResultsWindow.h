#pragma once

#include "main/results/ReportLayout.h"
#include "main/results/ResultsTable.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace velnor {

class DataReadWindow;
class DataSaveWindow;
class Messages;

// The table drawn in its logical coordinates, scaled to the widget so that
// it stays legible at any window size.
class TablePicture : public QWidget {
    Q_OBJECT
public:
    TablePicture(const ResultsTable& table, QWidget* parent);
    void setUserName(const QString& name) { m_userName = name; update(); }
    void setTotals(std::optional<ResultsTable::Totals> totals) { m_totals = totals; update(); }
    // The title block sits lower at start-up than after a clear.
    void setStartUpTitle(bool startUp) { m_startUpTitle = startUp; update(); }
    // The levels each row is held against (none: no comparison is drawn).
    void setReferenceLevels(const ReferenceLevels* levels) { m_levels = levels; update(); }
    const ReferenceLevels* referenceLevels() const { return m_levels; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ResultsTable& m_table;
    QString m_userName;
    std::optional<ResultsTable::Totals> m_totals;
    bool m_startUpTitle = true;
    const ReferenceLevels* m_levels = nullptr;
};

// "  Calculation Results by Velnor_V17" (Form10).
class ResultsWindow : public QWidget {
    Q_OBJECT
public:
    // `cfAir` is the program-wide air conversion factor, saved with every row
    // and replaced by the one of a file read back.
    ResultsWindow(ResultsTable& table, double& cfAir, Messages& messages, const std::filesystem::path& folder,
                  QWidget* parent = nullptr);

    // Prints the page: by default through the platform's print dialog (a
    // printer, or a PDF file); tests replace it. True when printed.
    using Printer = std::function<bool(const ReportPage&, QWidget* parent)>;
    void setPrinter(Printer printer) { m_printer = std::move(printer); }
    DataSaveWindow* saveWindow() const { return m_saveWindow; }
    DataReadWindow* readWindow() const { return m_readWindow; }

    void setUserName(const QString& name);
    // The diagnostic reference levels the rows are held against, on the
    // screen and on the printed page; owned by the main window.
    void setReferenceLevels(const ReferenceLevels* levels);
    // Call after a row was added or the table changed otherwise.
    void tableChanged();
    // Shows the window at the right of the screen, without raising it over
    // the main window when it is already open.
    void showBesideTheMainWindow();

    TablePicture* picture() const { return m_picture; }

signals:
    void cleared();
    void printed();
    // The rows of a results file replaced the table.
    void read();
    // The table was saved as a results file.
    void saved();

private:
    void clearTable();
    void showTotals();
    void saveTable();
    void readTable();
    void printTable();

    ResultsTable& m_table;
    double& m_cfAir;
    Messages& m_messages;
    QString m_userName;
    Printer m_printer;
    DataSaveWindow* m_saveWindow;
    DataReadWindow* m_readWindow;
    TablePicture* m_picture;
    QPushButton* m_totalsButton;
    QLabel* m_userLabel;
};

} // namespace velnor
