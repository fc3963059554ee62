// The main window's workflow without widgets: every event from the states an
// examination passes through, and the commands each state enables.
#include "main/form/Workflow.h"

#include <gtest/gtest.h>

#include <string>

namespace velnor::form {
namespace {

using E = WorkflowEvent;
using C = Command;

// The enabled commands as a string of initials, in the window's order:
// Calculate, Add, Spectrum, Recalculate, Estimate, add effective Dose. The
// table of reference levels may be edited and a DICOM file read whenever a
// calculation may start.
std::string commands(const WorkflowState& s)
{
    const char initials[] = {'C', 'A', 'S', 'R', 'E', 'D'};
    std::string out;
    for (std::size_t i = 0; i < std::size(initials); ++i)
        out += enabled(s, kWorkflowCommands[i]) ? initials[i] : '-';
    EXPECT_EQ(enabled(s, C::EditReferenceLevels), enabled(s, C::Calculate));
    EXPECT_EQ(enabled(s, C::ImportDicom), enabled(s, C::Calculate));
    EXPECT_EQ(enabled(s, C::Survey), enabled(s, C::Calculate));
    return out;
}

// Plays events; `rows` after each (the window passes the table's row count).
WorkflowState play(std::initializer_list<std::pair<E, int>> events)
{
    WorkflowState s;
    for (const auto& [event, rows] : events)
        s = next(s, event, rows);
    return s;
}

TEST(Workflow, AnExaminationFromStartToEffectiveDose)
{
    WorkflowState s;
    EXPECT_EQ(commands(s), "C-----");
    s = next(s, E::CalculationSucceeded, 0);
    EXPECT_EQ(commands(s), "CASR--");
    s = next(s, E::RowAdded, 1);
    EXPECT_EQ(commands(s), "C-SRE-");
    s = next(s, E::DepthDoseStarted, 1);
    EXPECT_EQ(s.awaitingRow, 1);
    EXPECT_EQ(commands(s), "C-SR-D");
    s = next(s, E::EffectiveDoseAdded, 1);
    EXPECT_EQ(commands(s), "C-SRE-");
}

TEST(Workflow, TheAwaitedRowStaysWhileOtherCasesAreComputedAndAdded)
{
    WorkflowState s = play({{E::CalculationSucceeded, 0}, {E::RowAdded, 1}, {E::DepthDoseStarted, 1}, {E::CalculationSucceeded, 1}});
    EXPECT_EQ(commands(s), "CASR-D"); // the new case can be added; the answer is still for row 1
    s = next(s, E::RowAdded, 2);
    EXPECT_EQ(s.awaitingRow, 1);
    EXPECT_EQ(commands(s), "C-SR-D"); // no second start before the first is answered or found missing
}

TEST(Workflow, AMissingAnswerIsNoDeadEnd)
{
    WorkflowState s = play({{E::CalculationSucceeded, 0}, {E::RowAdded, 1}, {E::DepthDoseStarted, 1}, {E::EffectiveDoseMissing, 1}});
    EXPECT_EQ(commands(s), "C-SRED"); // wait for the answer, or start the program again
    s = next(s, E::DepthDoseStarted, 1);
    EXPECT_EQ(commands(s), "C-SR-D");
}

TEST(Workflow, ClearingReadingAndPrinting)
{
    const WorkflowState awaiting = play({{E::CalculationSucceeded, 0}, {E::RowAdded, 1}, {E::DepthDoseStarted, 1}});
    WorkflowState s = next(awaiting, E::TableCleared, 0);
    EXPECT_EQ(commands(s), "C-SR--"); // no row can take the answer; the cleared doses cannot be added
    s = next(awaiting, E::TableRead, 3);
    EXPECT_EQ(commands(s), "C-SR--"); // rows from a file hold no spectrum to hand over
    EXPECT_EQ(s.rows, 3);
    s = next(play({{E::CalculationSucceeded, 0}}), E::TableRead, 2);
    EXPECT_EQ(commands(s), "CASR--"); // the case on the screen can still join the rows read
    s = next(play({{E::CalculationSucceeded, 0}}), E::Printed, 0);
    EXPECT_EQ(commands(s), "C-SR--"); // its doses left the screen with the printout
}

TEST(Workflow, FailuresAndAFullTable)
{
    WorkflowState s = play({{E::CalculationSucceeded, 0}, {E::CalculationFailed, 0}});
    EXPECT_EQ(commands(s), "C-SR--"); // the failed inputs stand on the screen: nothing to add
    EXPECT_EQ(commands(next(WorkflowState{}, E::CalculationFailed, 0)), "C-----");

    s = WorkflowState{};
    for (int row = 1; row <= kTableRows; ++row)
        s = next(next(s, E::CalculationSucceeded, row - 1), E::RowAdded, row);
    EXPECT_EQ(commands(s), "C-SRE-"); // the fifteenth row can still be handed over
    s = next(s, E::CalculationSucceeded, kTableRows);
    EXPECT_EQ(commands(s), "C-SRE-"); // computed, but no room to add it
    EXPECT_EQ(commands(next(s, E::TableRead, kTableRows)), "C-SR--"); // a full table read from a file too
    EXPECT_EQ(commands(next(s, E::TableCleared, 0)), "C-SR--");
}

TEST(Workflow, NothingButWaitingWhileAnEngineRuns)
{
    const WorkflowState before = play({{E::CalculationSucceeded, 0}, {E::RowAdded, 1}, {E::DepthDoseStarted, 1}});
    WorkflowState s = next(before, E::EngineStarted, 1);
    EXPECT_EQ(commands(s), "------");
    s = next(s, E::EngineEnded, 1);
    EXPECT_EQ(commands(s), commands(before));
    EXPECT_STREQ(commandName(C::EstimateEffectiveDose), "Command11");
}

} // namespace
} // namespace velnor::form
