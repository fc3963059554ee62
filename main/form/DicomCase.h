#pragma once

#include "common/Reasons.h"
#include "dicom/DicomExposure.h"
#include "main/records/DoseResults.h"
#include "main/records/ExposureConditions.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// An exposure read from DICOM completed into a case: what the file gives is
// taken from it, what it lacks from settings the user keeps in the working
// folder, never from a silent default, and the case lists which is which.
namespace velnor::form {

inline constexpr const char* kRoomsFile = "撮影装置.txt";
inline constexpr const char* kDicomBodyPartsFile = "DICOM撮影部位.txt";

// One X-ray unit of "撮影装置.txt": found by the station name (0008,1010),
// else by "manufacturer/model", else the line "*".
struct Room {
    std::string name;
    std::string outputTable; // a ".op" file of the working folder
    Rectification rectification = Rectification::ConstantPotential;
    double targetAngleDeg = 12;
    double inherentFiltrationMm = 2.5; // aluminium equivalent
    double exitToReceptorCm = 5;       // from the patient's exit surface to the receptor
    int line = 0;
};

// One line of "DICOM撮影部位.txt": the body part examined (0018,0015), the
// view position (0018,5101) and a word of the protocol name or series
// description it matches (each empty: any), the entry of "撮影部位.txt" it
// becomes, and the defaults of that examination.
struct BodyPartRule {
    std::string bodyPartExamined, viewPosition, protocolWord;
    std::string bodyPart;
    double thicknessCm = 20, ffdCm = 100, fieldLongCm = 43.2, fieldShortCm = 35.6;
    int line = 0;
};

struct DicomSettings {
    std::vector<Room> rooms;
    std::vector<BodyPartRule> rules;
};

// Reads both files of `folder` through their checks (every value in its
// physical range, texts of one line, a plain ".op" name). Throws
// DataFileError naming the file and line.
DicomSettings loadDicomSettings(const std::filesystem::path& folder);
std::vector<Room> parseRooms(const std::vector<std::string>& lines, const std::string& fileName = kRoomsFile);
std::vector<BodyPartRule> parseBodyPartRules(const std::vector<std::string>& lines, const std::string& fileName = kDicomBodyPartsFile);

// Where a value of the case came from: its key (velnor-calc's) and the
// attribute, concept or settings line.
struct ValueOrigin {
    std::string key;
    std::string from;   // in English (velnor-calc)
    std::string fromJa; // in Japanese (the window); the attribute's name as the file has it
};

struct DicomCase {
    ExposureConditions conditions;
    std::string outputTable; // the room's tube output table
    std::vector<ValueOrigin> fromFile, assumed;
};

// The case of an exposure. Throws WordedError when the file lacks what
// cannot be assumed: the tube voltage, or both the mAs and the tube current
// and time; or when its anode is not tungsten.
DicomCase completeExposure(const dicom::Exposure& exposure, const DicomSettings& settings);

// The system's own figures beside ours: its entrance dose against our air
// kerma free in air at the entrance plane, its dose-area product against
// that kerma times the field's area at the entrance plane.
struct SystemComparison {
    double incidentAirKermaMgy = 0; // ours: esdAir without its backscatter
    double dapDgyCm2 = 0;           // ours
    std::optional<double> entranceDoseRatio, dapRatio; // the system's over ours
};
// Ratios outside these bounds are flagged: a wrong assumption or calibration.
inline constexpr double kSystemRatioLow = 0.7, kSystemRatioHigh = 1.4;
SystemComparison compareWithSystem(const dicom::Exposure& exposure, const ExposureConditions& conditions, const DoseResults& dose);

} // namespace velnor::form
