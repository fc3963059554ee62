#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The exposures a DICOM file records, as records of our own: an image header
// of a projection radiograph (DX, CR, RF, XA, MG) gives one; an X-Ray
// Radiation Dose Structured Report gives one per irradiation event. Only the
// header is read (never the pixel data). Patient names and identifiers are
// not read at all.
namespace velnor::dicom {

// A value found in the file, in our unit, and the attribute or concept it
// came from ("(0018,0060) KVP", "DCM 113733 KVP").
struct Reading {
    double value = 0;
    std::string source;
};

struct FilterReading {
    std::string material; // as the file names it, in capitals: ALUMINUM, COPPER, ...
    std::optional<double> thicknessMm;
    std::string source;
};

struct Exposure {
    int event = 0; // the irradiation event of a dose report (1, 2, ...); 0 for an image
    // Descriptive texts in UTF-8, decoded from the file's character set.
    std::string sopInstanceUid, modality, studyDate, stationName, manufacturer, model;
    std::string protocolName, seriesDescription, bodyPartExamined, viewPosition, anodeMaterial, filterType;
    std::optional<Reading> tubeVoltageKv, tubeCurrentMa, exposureTimeS, exposureMas;
    std::optional<Reading> sourceDetectorCm, sourceEntranceCm, sourcePatientCm, thicknessCm;
    std::optional<Reading> fieldHeightCm, fieldWidthCm, fieldAreaCm2; // the collimated field at the receptor
    std::vector<FilterReading> filters;
    // The system's own figures.
    std::optional<Reading> entranceDoseMgy, dapDgyCm2, exposureIndex, targetExposureIndex, deviationIndex;
};

// Every exposure of the file, in order. Throws WordedError with the reason
// when the file cannot be used (not DICOM, damaged, not a projection
// radiograph or a dose report, a unit we do not know).
std::vector<Exposure> readExposures(const std::filesystem::path& file);

// The files under `paths`: files as given, folders searched recursively,
// each folder's entries in name order; hidden files and folders are skipped.
std::vector<std::filesystem::path> filesUnder(const std::vector<std::filesystem::path>& paths);

} // namespace velnor::dicom
