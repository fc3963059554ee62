#pragma once

#include "common/Reasons.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The depth-dose program's calculation, without widgets: the hand-off from the
// main program, the reference data it reads, and the central-axis percentage
// depth dose in ICRU soft tissue (primary and scatter components).
namespace velnor::pdd {

inline constexpr int kBins = 300;          // bin e is 0.5 e keV
inline constexpr int kMaxPoints = 80;      // depth points of 0.5 cm, to 40 cm
inline constexpr int kRings = 80;          // kernel rings of 0.5 cm
inline constexpr int kKernelEnergies = 29; // 10, 15, ..., 150 keV
inline constexpr double kMaxThicknessCm = 40;
inline constexpr double kPi = 3.14159;     // as the model was set up

// "Velnor2PDD.dat": the case handed over by the main program.
struct HandOff {
    double tubeVoltageKv = 0;
    double focusReceptorCm = 0; // FFD
    double focusSurfaceCm = 0;  // FSD
    double thicknessCm = 0;
    double fieldLongCm = 0;     // at the image receptor
    double fieldShortCm = 0;    // 0: a circular field of diameter fieldLongCm
    double surfaceDoseMgy = 0;  // entrance surface dose, soft tissue
    std::array<double, kBins + 1> spectrum{}; // relative photon number, bins 1..300
    std::string bodyPart;       // up to its first comma
};
inline constexpr int kHandOffLines = 308;

// Limits of a hand-off a calculation can use: the kernels and coefficients
// span 10 to 150 keV; distances, thickness and fields as the main program
// allows them; an entrance dose far above any diagnostic exposure is a fault.
inline constexpr double kMinVoltageKv = 10, kMaxVoltageKv = 150;
inline constexpr double kMinDistanceCm = 1, kMaxDistanceCm = 1000;
inline constexpr double kMinThicknessCm = 0.1, kMaxHandOffThicknessCm = 100;
inline constexpr double kMinFieldCm = 0.1, kMaxFieldCm = 200;
inline constexpr double kMaxSurfaceDoseMgy = 1e5; // 100 Gy

// Why a hand-off cannot be used: the line of the file that holds the value
// and the reason naming it.
struct HandOffFault {
    int line = 0;
    std::string reason;   // in English
    std::string reasonJa; // in Japanese, for the window
    Wording wording() const { return {reason, reasonJa}; }
};
// The hand-off's one check: every number finite and within the limits above
// (the short-axis field 0 for a circular field), FSD below FFD, spectrum
// weights not negative. Empty when it can be used.
std::optional<HandOffFault> handOffFault(const HandOff& handOff);

// Reads the hand-off file and checks it (handOffFault). Throws DataFileError
// naming the file and line when it is missing, short, holds a value that is
// not a number or one that cannot be used.
HandOff readHandOff(const std::filesystem::path& path);

// The reference data of a calculation.
struct DepthDoseData {
    // ICRU soft tissue: energies (keV) and the three interaction coefficients (1/cm).
    std::vector<double> energyKev, coherent, incoherent, photoelectric;
    std::array<double, kKernelEnergies> primaryCoefficient{}; // P at 10, 15, ... 150 keV
    // Scatter kernels K_E(m, j), [energy][depth point m - 1][ring j - 1].
    std::vector<std::array<std::array<double, kRings>, kMaxPoints>> kernels;
};
// Reads "ICRUSoft.dat", "Primary.dat" and the 29 files "PDS-data/E.dat" of
// `folder`. Throws DataFileError naming the file.
DepthDoseData readDepthDoseData(const std::filesystem::path& folder);

struct DepthDosePoint {
    double depthCm, primaryPercent, scatterPercent, totalPercent;
};

// The depth points of a thickness: N = Int(2 T - 0.1) + 1, at most 80.
int depthPoints(double thicknessCm);

// Share of the ring between radii r0 and r1 (cm) that lies inside the
// rectangle |x| <= a, |y| <= b, in closed form.
double ringFractionInRectangle(double r0, double r1, double a, double b);

// The percentage depth dose of the case at depth points 0.25, 0.75, ... cm,
// normalised to the total at the first point. Throws std::runtime_error
// when the field needs more than 80 rings or a value cannot be interpolated.
std::vector<DepthDosePoint> computeDepthDose(const HandOff& handOff, double thicknessCm, const DepthDoseData& data);

// "PDD_tempDATA.txt": one line per point, " 00.00" and "  000.00" fields.
std::vector<std::string> depthDoseFileLines(const std::vector<DepthDosePoint>& table);

} // namespace velnor::pdd
