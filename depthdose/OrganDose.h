#pragma once

#include "depthdose/DepthDose.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Organ doses and the approximate effective dose from the percentage depth
// dose: sixteen tissue rows with their ICRP 103 weights, depths below the
// entrance surface and irradiated shares.
namespace velnor::pdd {

inline constexpr int kTissueRows = 16;
// Tissue weighting factors (ICRP Publication 103) in row order: breast, red
// marrow, colon, lung, stomach, gonads, thyroid, oesophagus, liver, bladder,
// bone surface, entrance skin, exit skin, brain, salivary glands, remainder.
inline constexpr std::array<double, kTissueRows> kTissueWeights = {0.12, 0.12, 0.12, 0.12, 0.12, 0.08, 0.04, 0.04,
                                                                   0.04, 0.04, 0.01, 0.01, 0.01, 0.01, 0.01, 0.12};
// The rows' tissues, in English (the windows name them in Japanese).
inline constexpr std::array<const char*, kTissueRows> kTissueNames = {
    "breast", "red marrow", "colon", "lung", "stomach", "gonads", "thyroid", "oesophagus",
    "liver", "bladder", "bone surface", "entrance skin", "exit skin", "brain", "salivary glands", "remainder"};
inline constexpr int kBreastRow = 0, kLungRow = 3, kExitSkinRow = 12;
inline constexpr double kLungDensity = 0.3; // water-equivalent share of a lung's thickness

// One row of the effective dose window, as typed.
struct OrganRow {
    bool checked = false;
    std::string fromText = "0", toText = "0", percentText = "0";
};

// The defaults of a body part from "Organ-data/<name>.csv" in `folder`: the
// depths converted by their modes and shown with "#0.0". Empty when the body
// part has no file, or a name that cannot be a file name of that folder (a
// folder separator, a leading "."). Throws DataFileError for a file that
// cannot be read.
std::optional<std::array<OrganRow, kTissueRows>> readOrganDefaults(const std::filesystem::path& folder,
                                                                   const std::string& bodyPart, double thicknessCm);

struct EffectiveDose {
    std::array<std::optional<double>, kTissueRows> contributionMsv; // empty: the row is not in the field
    double totalMsv = 0;
    int refusedRow = -1;       // the row whose entries are refused (its message), or -1
    bool notComputable = false; // a row without any depth point up to 80
};

// Maps a depth below the entrance surface through the lung of density 0.3
// between lungFrom and lungTo (cm): unchanged before it, compressed inside,
// moved up by 0.7 of its thickness beyond it.
double depthThroughLung(double depthCm, double lungFromCm, double lungToCm);

// The contributions and their sum. Rows are checked in order; the first
// refused row (to < from, from < 0, to beyond the body, a share outside
// 0..100 %) ends the calculation.
EffectiveDose computeEffectiveDose(const std::array<OrganRow, kTissueRows>& rows, const std::string& bodyPart, double thicknessCm,
                                   const std::vector<DepthDosePoint>& table, double surfaceDoseMgy);

// "Eff-Dose.dat": its header line and the effective dose with "##0.000".
std::vector<std::string> effectiveDoseFileLines(double effectiveDoseMsv);

} // namespace velnor::pdd
