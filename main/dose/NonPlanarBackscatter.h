#pragma once

#include "main/dose/PlanarBackscatter.h"
#include "main/dose/ProgramLauncher.h"
#include "main/records/CalculationError.h"
#include "main/records/EnergyGrid.h"
#include "main/records/ExposureConditions.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace velnor {

// The user stopped the Monte Carlo program: no factors, and the calculation
// leaves everything as it was.
class EngineStopped : public CalculationError {
public:
    EngineStopped() : CalculationError(Reason{ReasonCode::EngineStopped}) {}
};

// The engine for a curved surface (1 cylinder, 2 elliptic cylinder,
// 4 racetrack), or empty for any other surface code.
std::string programForSurface(SurfaceCode surface);

// The job file: the surface model's own dimensions, then the body thickness,
// FSD, FFD, the short-axis and the long-axis field size at the receptor (cm,
// "000.0") and the history count ("00000000000"). Empty for a surface code
// without an engine.
std::vector<std::string> jobFileLines(const ExposureConditions& conditions, double shortAxisCm, double longAxisCm);

// The three factors of the result file: air, soft tissue, skin, in that order.
// Throws CalculationError when the file is missing or holds fewer than three
// numbers.
BackscatterFactors readResultFile(const std::filesystem::path& folder);

// Backscatter factors of a curved surface: deletes an earlier result file (so
// a confirmation given too early cannot show another case's factors), writes
// the job, starts the surface's engine (from the working folder, else beside
// this program), waits for the user's confirmation, and reads the result.
// A surface without an engine, or an engine that is missing, fails before the
// wait.
BackscatterFactors nonPlanarBackscatter(const ExposureConditions& conditions, double shortAxisCm, double longAxisCm,
                                        const std::filesystem::path& workingFolder, ProgramLauncher& launcher,
                                        const std::function<void()>& waitForUser);

// The same run for programs without a user to confirm: the engine runs to its
// end (its console text to standard error) in a folder of this run's own
// inside the working folder, with the spectrum given, so that runs side by
// side never share their files; the folder is removed afterwards. The
// factors carry the histories the engine ran.
BackscatterFactors nonPlanarBackscatterToCompletion(const ExposureConditions& conditions, double shortAxisCm,
                                                    double longAxisCm, const std::filesystem::path& workingFolder,
                                                    const BinArray& photonSpectrum);

} // namespace velnor
