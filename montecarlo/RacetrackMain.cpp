// bsfmc_racetrack: backscatter factors of a racetrack-shaped body surface
// (job: flat-top width a, height b, length, then the six common lines).
#include "montecarlo/EngineRun.h"

int main(int argc, char** argv) { return velnor::mc::runEngineProgram(velnor::mc::SurfaceKind::Racetrack, argc, argv); }
