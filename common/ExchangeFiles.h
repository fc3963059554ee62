#pragma once

// The files the programs hand to each other in the working folder, and the
// reference files more than one program reads. Every program takes the names
// from here, so both sides of a file agree; names are matched without regard
// to letter case (FileLookup.h).
namespace velnor::files {

inline constexpr const char* kSpectrum = "X_SPCTL.dat";        // main program -> engines
inline constexpr const char* kJob = "joken.txt";               // main program -> engines
inline constexpr const char* kBackscatterResult = "ResultBSF.txt"; // engines -> main program
inline constexpr const char* kBackscatterSd = "ResultBSF_SD.txt"; // their standard deviations
inline constexpr const char* kDepthDoseHandOff = "Velnor2PDD.dat"; // main program -> depth-dose program
inline constexpr const char* kEffectiveDose = "Eff-Dose.dat";  // depth-dose program -> main program

inline constexpr const char* kTissueData = "ICRUSoft.dat";     // engines, depth-dose program
inline constexpr const char* kCoefficients = "Att_coeff2020.dat"; // every program
inline constexpr const char* kPrimary = "Primary.dat";         // reference lines and the user name

// Deleted when the main program ends.
inline constexpr const char* kDeletedAtExit[] = {kDepthDoseHandOff, kSpectrum, kJob, kBackscatterResult, kBackscatterSd};

} // namespace velnor::files
