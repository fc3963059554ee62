#pragma once

// What may be pressed when in the main window, without widgets: the state of
// an examination, the events that move it on, and the commands each state
// enables. The window reports events and asks which commands are enabled;
// tests walk every transition.
namespace velnor::form {

inline constexpr int kTableRows = 15; // rows of the results table

struct WorkflowState {
    bool beamComputed = false;      // a calculation succeeded in this run: there is a spectrum to show or fit
    bool caseReady = false;         // the last calculation succeeded, its doses are shown and not yet in the table
    int rows = 0;                   // rows in the results table
    bool lastRowOwn = false;        // the table's last row was computed in this run, so it can be handed over
    int awaitingRow = 0;            // the row the depth-dose program was started for (0: none)
    bool depthDoseStarting = false; // started and not yet answered: no second start until an answer or a warning
    bool engineRunning = false;     // a Monte Carlo engine runs for the calculation
};

enum class WorkflowEvent {
    CalculationSucceeded, // also a fit that succeeded
    CalculationFailed,    // refused or failed: the inputs on the screen have no result
    RowAdded,             // the computed case became the last row
    DepthDoseStarted,     // the hand-off of the last row was written and the program started
    EffectiveDoseAdded,   // its answer went into the row it was computed for
    EffectiveDoseMissing, // the answer was asked for before the program gave it
    TableCleared,
    TableRead,            // the rows of a results file replaced the table
    Printed,              // the doses on the screen were cleared: the printed page is the record
    EngineStarted,
    EngineEnded,
};

// The state after `event`; `rows` is the number of rows of the results table
// after it (only RowAdded, TableCleared and TableRead change it).
WorkflowState next(WorkflowState state, WorkflowEvent event, int rows);

enum class Command {
    Calculate,             // Command2 "この条件で計算する"
    AddToResults,          // Command3 "結果表に追加"
    ShowSpectrum,          // Command10 "Ｘ線スペクトル表示"
    Recalculate,           // Command14 "再計算する"
    EstimateEffectiveDose, // Command11 "実効線量概算"
    AddEffectiveDose,      // Command5 "結果表に追加" of the effective dose
    EditReferenceLevels,   // CommandDrl "DRL表": the table of diagnostic reference levels
    ImportDicom,           // CommandDicom "DICOM読込": the conditions of a DICOM file
    Survey,                // CommandSurvey "線量調査": many exposures, their medians against the levels
};
inline constexpr Command kWorkflowCommands[] = {Command::Calculate,   Command::AddToResults,          Command::ShowSpectrum,
                                                Command::Recalculate, Command::EstimateEffectiveDose, Command::AddEffectiveDose,
                                                Command::EditReferenceLevels, Command::ImportDicom, Command::Survey};

// Whether `command` may be pressed in `state`:
//   Calculate, EditReferenceLevels, ImportDicom, Survey  unless an engine runs
//   AddToResults           a computed case waits and the table has room
//   ShowSpectrum, Recalculate  a beam has been computed
//   EstimateEffectiveDose  the last row is this run's own and no answer is awaited from a start just made
//   AddEffectiveDose       an answer is awaited for a row that is still in the table
// and none of them while an engine runs.
bool enabled(const WorkflowState& state, Command command);

// The window's object name of a command ("Command3").
const char* commandName(Command command);

} // namespace velnor::form
