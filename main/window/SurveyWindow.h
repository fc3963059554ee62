#pragma once

#include "main/results/ReportLayout.h"
#include "survey/SurveyRun.h"

#include <QTemporaryDir>
#include <QWidget>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class QCheckBox;
class QChartView;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace velnor {

class Messages;

// "線量調査": a survey of many exposures (a folder of DICOM files, a CSV of
// exposures or JSON Lines of cases) computed on a worker thread with a
// progress bar and 中止; then each examination's statistics against its
// diagnostic reference level, the box plot of the one chosen, and the files
// (CSV, workbook, PDF) and the printed report. It never touches the results
// table of the main window.
class SurveyWindow : public QWidget {
    Q_OBJECT
public:
    SurveyWindow(Messages& messages, const std::filesystem::path& folder, QWidget* parent);
    ~SurveyWindow() override;

    // Surveys `inputs` (what the start button does with the chosen input).
    void start(const std::vector<std::filesystem::path>& inputs);
    // Asks a running survey to stop after its current batch.
    void stop();
    bool running() const { return m_worker.joinable(); }

    // The saving commands with a chosen file (what the buttons do after their dialogs).
    bool saveCsv(const std::filesystem::path& path);
    bool saveWorkbook(const std::filesystem::path& path);
    bool savePdf(const std::filesystem::path& path);

    // The file dialogs, replaceable for tests: the chosen path or empty.
    using Chooser = std::function<QString(const QString& caption, const QString& filter)>;
    void setSaveChooser(Chooser chooser) { m_chooseSave = std::move(chooser); }

    QTableWidget* table() const { return m_table; }
    QChartView* chart() const { return m_chart; }

signals:
    void finished(); // a survey ended (completed, stopped or failed)

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Finish;
    void finish(const std::shared_ptr<Finish>& result);
    void showExamination(int row);
    void updateCommands();
    std::vector<std::filesystem::path> chosenInputs() const;
    std::filesystem::path startFolder() const; // where the input dialogs open
    std::vector<ReportPage> reportPages() const;

    Messages& m_messages;
    std::filesystem::path m_folder;
    QLineEdit* m_input;
    QCheckBox *m_band, *m_byRoom;
    QPushButton *m_start, *m_stop, *m_csv, *m_xlsx, *m_pdf, *m_print;
    QProgressBar* m_progress;
    QLabel* m_status;
    QTableWidget* m_table;
    QChartView* m_chart;
    QListWidget* m_failures;
    Chooser m_chooseSave;

    std::thread m_worker;
    std::atomic<bool> m_stopAsked{false};
    std::unique_ptr<QTemporaryDir> m_files; // the last survey's files, until saved
    survey::SurveyOutcome m_outcome;        // of the last completed survey
    bool m_completed = false;
    std::vector<std::filesystem::path> m_surveyed;
    bool m_surveyedWithBand = false;
};

} // namespace velnor
