#pragma once

#include "common/ExchangeFiles.h"
#include "main/records/OutputDataTable.h"
#include "main/records/ReferenceTables.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velnor {

// Reference file names, as the working folder holds them (matched without
// regard to letter case).
namespace files {
inline constexpr const char* kBsfSoftBody = "dBSF-SoftDose-SoftPhantom.dat";
inline constexpr const char* kBsfAirBody = "dBSF-AirDose-SoftPhantom.dat";
inline constexpr const char* kBsfSkinBody = "dBSF-SkinDose-SoftPhantom.dat";
inline constexpr const char* kBsfSoftHead = "dBSF-SoftDose-Soft_Head.dat";
inline constexpr const char* kBsfAirHead = "dBSF-AirDose-Soft_Head.dat";
inline constexpr const char* kBsfSkinHead = "dBSF-SkinDose-Soft_Head.dat";
inline constexpr const char* kAttenuation = kCoefficients;
inline constexpr const char* kDefaultOutput = "default-output.op";
inline constexpr const char* kBodyParts = "撮影部位.txt";
inline constexpr const char* kAtr = "dATR.dat";
} // namespace files

// Readers of the single reference files. Each throws DataFileError naming the
// file and what is wrong (missing, too few values, a value that is not a
// number, an energy out of place).
void readDifferentialBsfFile(const std::filesystem::path& path, DifferentialBsfTable& table, int phantom);
AttenuationTable readAttenuationTable(const std::filesystem::path& path);
AtrTable readAtrTable(const std::filesystem::path& path);

// Everything the main program reads at start-up.
struct StartupData {
    ReferenceTables tables;
    OutputDataTable outputData;
    std::vector<std::string> bodyParts;
    std::optional<std::string> userName; // empty: the guest (no line 32 in "Primary.dat")
};

// Reads every reference file from `folder` in the start-up order. Either every
// table is complete or a DataFileError names the first file that failed; a
// missing or short user file is not an error (the user is then the guest).
StartupData loadStartupData(const std::filesystem::path& folder);

// The fingerprint of the reference tables in `folder` (the six differential
// tables, the coefficient, ATR and tissue tables): what a result was computed
// with, as `--version` and each output of velnor-calc name it.
std::string referenceDataVersion(const std::filesystem::path& folder);

// The six differential tables, attenuation and ATR tables alone (no user
// files), for programs that only calculate.
ReferenceTables loadReferenceTables(const std::filesystem::path& folder);

} // namespace velnor
