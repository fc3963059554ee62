// bsfmc_cylinder: backscatter factors of a cylindrical body surface by Monte
// Carlo. Reads "joken.txt", "X_SPCTL.dat", "ICRUSoft.dat" and
// "Att_Coeff2020.dat" from the working folder, writes "ResultBSF.txt", and
// waits for Enter (end of input counts as Enter).
#include "montecarlo/EngineRun.h"

int main(int argc, char** argv) { return velnor::mc::runEngineProgram(velnor::mc::SurfaceKind::Cylinder, argc, argv); }
