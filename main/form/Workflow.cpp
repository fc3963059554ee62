#include "main/form/Workflow.h"

namespace velnor::form {

WorkflowState next(WorkflowState s, WorkflowEvent event, int rows)
{
    switch (event) {
    case WorkflowEvent::CalculationSucceeded:
        s.beamComputed = true;
        s.caseReady = true;
        break;
    case WorkflowEvent::CalculationFailed:
        s.caseReady = false;
        break;
    case WorkflowEvent::RowAdded:
        s.caseReady = false;
        s.rows = rows;
        s.lastRowOwn = true;
        break;
    case WorkflowEvent::DepthDoseStarted:
        s.awaitingRow = s.rows;
        s.depthDoseStarting = true;
        break;
    case WorkflowEvent::EffectiveDoseAdded:
        s.awaitingRow = 0;
        s.depthDoseStarting = false;
        break;
    case WorkflowEvent::EffectiveDoseMissing:
        // The answer may still come, or the program be started again.
        s.depthDoseStarting = false;
        break;
    case WorkflowEvent::TableCleared:
        // The doses on the screen are cleared with the table.
        s.caseReady = false;
        [[fallthrough]];
    case WorkflowEvent::TableRead:
        // No row is this run's own any more; an awaited answer has no row.
        s.rows = rows;
        s.lastRowOwn = false;
        s.awaitingRow = 0;
        s.depthDoseStarting = false;
        break;
    case WorkflowEvent::Printed:
        s.caseReady = false;
        break;
    case WorkflowEvent::EngineStarted:
        s.engineRunning = true;
        break;
    case WorkflowEvent::EngineEnded:
        s.engineRunning = false;
        break;
    }
    return s;
}

bool enabled(const WorkflowState& s, Command command)
{
    if (s.engineRunning)
        return false;
    switch (command) {
    case Command::Calculate:
    case Command::EditReferenceLevels:
    case Command::ImportDicom:
    case Command::Survey:
        return true;
    case Command::AddToResults:
        return s.caseReady && s.rows < kTableRows;
    case Command::ShowSpectrum:
    case Command::Recalculate:
        return s.beamComputed;
    case Command::EstimateEffectiveDose:
        return s.lastRowOwn && s.rows > 0 && !s.depthDoseStarting;
    case Command::AddEffectiveDose:
        return s.awaitingRow > 0 && s.awaitingRow <= s.rows;
    }
    return false;
}

const char* commandName(Command command)
{
    switch (command) {
    case Command::Calculate:
        return "Command2";
    case Command::AddToResults:
        return "Command3";
    case Command::ShowSpectrum:
        return "Command10";
    case Command::Recalculate:
        return "Command14";
    case Command::EstimateEffectiveDose:
        return "Command11";
    case Command::AddEffectiveDose:
        return "Command5";
    case Command::EditReferenceLevels:
        return "CommandDrl";
    case Command::ImportDicom:
        return "CommandDicom";
    case Command::Survey:
        return "CommandSurvey";
    }
    return "";
}

} // namespace velnor::form
