#pragma once

#include "montecarlo/BlockedRun.h"
#include "montecarlo/CylinderRun.h"

namespace velnor::mc {

// The surfaces of a job, with the half fields at the entrance plane
// (a = F1 d_s / 2 d_r, at most the surface's half width; b = F2 d_s / 2 d_r).
EllipseGeometry ellipseOf(const EngineJob& job);
RacetrackGeometry racetrackOf(const EngineJob& job);

// Runs every history of a job on its own surface.
Tallies runEngineJob(const EngineJob& job, const SpectrumWeights& weights, const Interactions& interactions,
                     LaggedGenerator& random, const std::function<void(double)>& progress = {});

// Runs every history of a job on its own surface in blocks of independent
// streams, on options.threads threads (the default of the programs).
BlockedRunResult runEngineJobBlocked(const EngineJob& job, const SpectrumWeights& weights, const Interactions& interactions,
                                     const BlockedRunOptions& options);

// The console program of an engine: reads its job (its surface's lines, then
// the six common ones), "X_SPCTL.dat", "ICRUSoft.dat" and "Att_Coeff2020.dat",
// simulates, writes the result file and its standard deviations beside it,
// and waits for Enter (end of input counts as Enter). Returns the exit status.
// Options: --threads N (default: every core), --exact (the single stream,
// one thread). It prints its progress about once a second, and stops at a
// block boundary on SIGTERM or SIGINT without a result file.
int runEngineProgram(SurfaceKind kind, int argc, char** argv);

} // namespace velnor::mc
