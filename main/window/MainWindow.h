#pragma once

#include "main/dose/CalculationState.h"
#include "main/dose/ProgramLauncher.h"
#include "main/form/ExposureForm.h"
#include "main/form/DicomCase.h"
#include "main/form/Workflow.h"
#include "main/records/ReferenceLevels.h"
#include "main/results/ResultsTable.h"

#include <QWidget>

#include <filesystem>
#include <map>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velnor {

class AtrExplanation;
class ConsoleWindowLauncher;
class BodyPartDialog;
class FitDialog;
class FluoroscopyDialog;
class MeasuredExposureDialog;
class OtherFilterDialog;
class MascotPicture;
class Messages;
class OutputDataEditor;
class OutputDataSelector;
class UserNameDialog;
class ReferenceLevelsWindow;
class SurveyWindow;
class ResultsWindow;
class SpectrumWindow;
class SurfaceShapeDialog;

// "診断X線の入射表面線量計算" (Form1): the exposure conditions, the calculation
// and the results of the last case. It owns the program's shared records.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // `messages` and `launcher` may be replaced (tests); by default they are
    // dialogs and a console window of our own for the engines.
    // `windowedLauncher` starts the depth-dose program.
    explicit MainWindow(const std::filesystem::path& workingFolder, Messages* messages = nullptr,
                        ProgramLauncher* launcher = nullptr, ProgramLauncher* windowedLauncher = nullptr);
    ~MainWindow() override;

    const form::WorkflowState& workflowState() const { return m_workflow; }

    // Loads the reference data and fills the window with the start-up values.
    // False (after one message naming the faulty file) when a reference file
    // is missing or unreadable: the program then ends.
    bool startUp();

    const CalculationState& state() const { return m_state; }
    const ResultsTable& results() const { return m_results; }
    ResultsWindow* resultsWindow() const { return m_resultsWindow; }
    SpectrumWindow* spectrumWindow() const { return m_spectrumWindow; }
    SurfaceShapeDialog* surfaceDialog() const { return m_surfaceDialog; }
    OutputDataEditor* outputEditor() const { return m_outputEditor; }
    OutputDataSelector* outputSelector() const { return m_outputSelector; }
    UserNameDialog* registrationDialog() const { return m_registration; }
    UserNameDialog* nameChangeDialog() const { return m_nameChange; }
    BodyPartDialog* bodyPartDialog() const { return m_bodyParts; }
    ReferenceLevelsWindow* referenceLevelsWindow() const { return m_levelsWindow; }
    SurveyWindow* surveyWindow() const { return m_surveyWindow; }
    const ReferenceLevels& referenceLevels() const { return m_levels; }
    // Fills the inputs from an exposure of a DICOM file ("DICOM読込" after
    // its file dialog): the values the file gives and those the settings of
    // the working folder assume, listed beside the doses. False, after a
    // message naming the reason, when the file or its exposure cannot be used.
    bool importDicom(const std::filesystem::path& file);
    FitDialog* fitDialog() const { return m_fitDialog; }
    AtrExplanation* atrExplanation() const { return m_atrExplanation; }
    OtherFilterDialog* otherFilterDialog() const { return m_otherFilter; }
    MeasuredExposureDialog* measuredExposureDialog() const { return m_measuredExposure; }
    FluoroscopyDialog* fluoroscopyDialog() const { return m_fluoroscopy; }
    const QString& userName() const { return m_userName; }

    // The button actions.
    void calculate();
    // Shows the refusal of the conditions, if they are refused.
    bool refusedInput();
    void addToResults();
    void startDepthDose();
    void addEffectiveDose();
    void requestExit();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectControls();
    void applyStartUpValues();
    void readField(QLineEdit* field);
    void readAllFields();
    void choosePreset(const QString& name);
    void showLabels();
    // The shown case held against its diagnostic reference level, or nothing.
    void showReferenceLevel();
    // What the last DICOM import took from the file and assumed, and after a
    // calculation the file's own dose figures beside ours.
    void showDicomCase();
    // Colours the inputs whose values the import assumed; each input names
    // where its value came from in its tool tip.
    void markDicomInputs();
    void setNotAvailable(QPushButton* button);
    void onIncidencePlanar();
    void onIncidenceNonPlanar();
    void onSurfaceAccepted();
    void onSurfaceCancelled();
    void onShapeCheck();
    void onResultsCleared();
    void setUser(const QString& name, bool stored);
    void runFit(int target, int method, double measured);
    void afterCalculation();
    void reloadBodyParts();
    BackscatterFactors runMonteCarlo();
    // Moves the workflow on and enables the commands it allows.
    void workflow(form::WorkflowEvent event);
    void showWorkflow();
    // What quitting now would lose (unsaved rows, a running engine), as the
    // question to ask; empty when nothing.
    QString whatExitWouldLose() const;

    std::filesystem::path m_folder;
    std::unique_ptr<Messages> m_ownMessages;
    Messages* m_messages;
    std::unique_ptr<ProgramLauncher> m_ownLauncher;
    ConsoleWindowLauncher* m_consoleLauncher = nullptr; // the own launcher, whose console the wait follows
    ProgramLauncher* m_launcher;
    std::unique_ptr<ProgramLauncher> m_ownWindowedLauncher;
    ProgramLauncher* m_windowedLauncher;
    CalculationState m_state;
    ResultsTable m_results;
    form::WorkflowState m_workflow;
    bool m_unsavedRows = false; // rows added or changed since the table was last saved, printed or read
    bool m_exitConfirmed = false;
    // When the hand-off of the awaited row was written: an answer older than
    // it belongs to another case.
    std::filesystem::file_time_type m_handOffTime{};
    bool m_fittedOnce = false;
    QString m_userName;
    bool m_guest = true;

    std::map<QString, QLineEdit*> m_text; // Text1.. by name
    QComboBox* m_combo1 = nullptr;        // field-size presets
    QComboBox* m_combo2 = nullptr;        // body parts
    std::map<QString, QRadioButton*> m_option;
    std::map<QString, QLabel*> m_label;
    std::map<QString, QPushButton*> m_command;
    ResultsWindow* m_resultsWindow = nullptr;
    SpectrumWindow* m_spectrumWindow = nullptr;
    SurfaceShapeDialog* m_surfaceDialog = nullptr;
    OutputDataEditor* m_outputEditor = nullptr;
    OutputDataSelector* m_outputSelector = nullptr;
    UserNameDialog* m_registration = nullptr;
    UserNameDialog* m_nameChange = nullptr;
    BodyPartDialog* m_bodyParts = nullptr;
    ReferenceLevelsWindow* m_levelsWindow = nullptr;
    SurveyWindow* m_surveyWindow = nullptr;
    ReferenceLevels m_levels;
    struct ImportedDicom {
        std::filesystem::path file;
        dicom::Exposure exposure;
        form::DicomCase dicomCase;
        bool computed = false; // a calculation was made since: its doses are the file's case
    };
    std::optional<ImportedDicom> m_dicom;
    std::vector<QWidget*> m_assumedInputs;
    FitDialog* m_fitDialog = nullptr;
    AtrExplanation* m_atrExplanation = nullptr;
    OtherFilterDialog* m_otherFilter = nullptr;
    MeasuredExposureDialog* m_measuredExposure = nullptr;
    FluoroscopyDialog* m_fluoroscopy = nullptr;
    MascotPicture* m_mascot = nullptr;
};

} // namespace velnor
