// bsfmc_ellipse: backscatter factors of an elliptic-cylinder body surface
// (job: horizontal and vertical semi-axes, then the six common lines).
#include "montecarlo/EngineRun.h"

int main(int argc, char** argv) { return velnor::mc::runEngineProgram(velnor::mc::SurfaceKind::Ellipse, argc, argv); }
