#include "main/form/DicomCase.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/FileLookup.h"
#include "common/SettingsLines.h"
#include "common/TextFile.h"

#include <cctype>
#include <cmath>

namespace velnor::form {
namespace {

constexpr double kPi = 3.14159265358979;

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

const Room* findRoom(const std::vector<Room>& rooms, const dicom::Exposure& e)
{
    const std::string model = e.manufacturer + "/" + e.model;
    for (const std::string& key : {e.stationName, model, std::string("*")})
        if (!key.empty() && key != "/")
            for (const Room& r : rooms)
                if (r.name == key)
                    return &r;
    return nullptr;
}

const BodyPartRule* findRule(const std::vector<BodyPartRule>& rules, const dicom::Exposure& e)
{
    for (const BodyPartRule& r : rules) {
        if (!r.bodyPartExamined.empty() && upper(r.bodyPartExamined) != e.bodyPartExamined)
            continue;
        if (!r.viewPosition.empty() && upper(r.viewPosition) != e.viewPosition)
            continue;
        if (!r.protocolWord.empty() && e.protocolName.find(r.protocolWord) == std::string::npos
            && e.seriesDescription.find(r.protocolWord) == std::string::npos)
            continue;
        return &r;
    }
    return nullptr;
}

} // namespace

std::vector<Room> parseRooms(const std::vector<std::string>& lines, const std::string& fileName)
{
    std::vector<Room> rooms;
    for (const SettingsLine& line : settingsLines(lines, fileName, 6)) {
        Room r;
        r.line = line.number;
        r.name = line.cells[0];
        if (r.name.empty())
            throw DataFileError(fileName, line.number, Reason{ReasonCode::TextEmpty, "room"});
        r.outputTable = line.cells[1];
        if (std::optional<Reason> fault = plainFileNameFault(r.outputTable))
            throw DataFileError(fileName, line.number, *fault);
        const double code = settingsNumber(line, 2, "rectification", 1, 3, "", fileName);
        if (std::fmod(code, 1) != 0)
            throw DataFileError(fileName, line.number, Reason{ReasonCode::WholeNumberRange, "rectification", code, 1, 3});
        r.rectification = *rectificationFromCode(static_cast<long long>(code));
        r.targetAngleDeg = settingsNumber(line, 3, "targetAngleDeg", 0, 90, "°", fileName);
        r.inherentFiltrationMm = settingsNumber(line, 4, "inherentFiltrationCm", 0, 10 * limits::kMaxFiltrationCm, "mm", fileName);
        r.exitToReceptorCm = settingsNumber(line, 5, "exitToReceptorCm", 0, limits::kMaxDistanceCm, "cm", fileName);
        rooms.push_back(r);
    }
    return rooms;
}

std::vector<BodyPartRule> parseBodyPartRules(const std::vector<std::string>& lines, const std::string& fileName)
{
    std::vector<BodyPartRule> rules;
    for (const SettingsLine& line : settingsLines(lines, fileName, 8)) {
        BodyPartRule r;
        r.line = line.number;
        r.bodyPartExamined = line.cells[0];
        r.viewPosition = line.cells[1];
        r.protocolWord = line.cells[2];
        r.bodyPart = line.cells[3];
        if (r.bodyPart.empty())
            throw DataFileError(fileName, line.number, Reason{ReasonCode::TextEmpty, "bodyPart"});
        r.thicknessCm = settingsNumber(line, 4, "bodyThicknessCm", limits::kMinThicknessCm, limits::kMaxThicknessCm, "cm", fileName);
        r.ffdCm = settingsNumber(line, 5, "focusReceptorDistanceCm", limits::kMinDistanceCm, limits::kMaxDistanceCm, "cm", fileName);
        r.fieldLongCm = settingsNumber(line, 6, "fieldLongCm", limits::kMinFieldCm, limits::kMaxFieldCm, "cm", fileName);
        r.fieldShortCm = settingsNumber(line, 7, "fieldShortCm", limits::kMinFieldCm, limits::kMaxFieldCm, "cm", fileName);
        rules.push_back(r);
    }
    return rules;
}

DicomSettings loadDicomSettings(const std::filesystem::path& folder)
{
    DicomSettings s;
    s.rooms = parseRooms(readTextLines(findFileIgnoringCase(folder, kRoomsFile)));
    s.rules = parseBodyPartRules(readTextLines(findFileIgnoringCase(folder, kDicomBodyPartsFile)));
    return s;
}

DicomCase completeExposure(const dicom::Exposure& e, const DicomSettings& settings)
{
    DicomCase out;
    ExposureConditions& c = out.conditions;
    auto fromFile = [&](const char* key, const std::string& source, const std::string& sourceJa = {}) {
        out.fromFile.push_back({key, source, sourceJa.empty() ? source : sourceJa});
    };
    auto assumed = [&](const char* key, const std::string& from, const std::string& fromJa) { out.assumed.push_back({key, from, fromJa}); };

    if (!e.anodeMaterial.empty() && e.anodeMaterial.find("TUNGSTEN") == std::string::npos)
        throw WordedError(Reason{ReasonCode::DicomAnode, {}, 0, 0, 0, {}, e.anodeMaterial});
    if (!e.tubeVoltageKv)
        throw WordedError(Reason{ReasonCode::DicomNoVoltage});
    c.tubeVoltageKv = e.tubeVoltageKv->value;
    fromFile("tubeVoltageKv", e.tubeVoltageKv->source);
    // Current and time where the file has both; else the mAs over one second
    // (the dose depends on their product only).
    if (e.tubeCurrentMa && e.exposureTimeS) {
        c.tubeCurrentMa = e.tubeCurrentMa->value;
        c.exposureTimeS = e.exposureTimeS->value;
        fromFile("tubeCurrentMa", e.tubeCurrentMa->source);
        fromFile("exposureTimeS", e.exposureTimeS->source);
    } else if (e.exposureMas) {
        c.tubeCurrentMa = e.exposureMas->value;
        c.exposureTimeS = 1;
        fromFile("tubeCurrentMa", e.exposureMas->source + " (mAs over 1 s)", e.exposureMas->source + "（mAs 値を 1 秒で）");
        fromFile("exposureTimeS", e.exposureMas->source + " (1 s)", e.exposureMas->source + "（1 秒とする）");
    } else {
        throw WordedError(Reason{ReasonCode::DicomNoMas});
    }

    // The unit: waveform, target angle, inherent filtration, output table.
    const Room* room = findRoom(settings.rooms, e);
    if (!room)
        throw WordedError(Reason{ReasonCode::DicomNoRoom, {}, 0, 0, 0, {}, e.stationName + " / " + e.manufacturer + "/" + e.model});
    const std::string roomFrom = std::string(kRoomsFile) + " line " + std::to_string(room->line) + " (" + room->name + ")";
    const std::string roomFromJa = std::string(kRoomsFile) + " の " + std::to_string(room->line) + " 行目（" + room->name + "）";
    c.rectification = room->rectification;
    c.targetAngleDeg = room->targetAngleDeg;
    c.inherentFiltrationCm = 0.1 * room->inherentFiltrationMm;
    out.outputTable = room->outputTable;
    for (const char* key : {"rectification", "targetAngleDeg", "inherentFiltrationCm", "outputTable"})
        assumed(key, roomFrom, roomFromJa);

    // The examination: body part and its defaults.
    const BodyPartRule* rule = findRule(settings.rules, e);
    if (!rule)
        throw WordedError(Reason{ReasonCode::DicomNoRule, {}, 0, 0, 0, {}, e.bodyPartExamined + " " + e.viewPosition + " " + e.protocolName});
    const std::string ruleFrom = std::string(kDicomBodyPartsFile) + " line " + std::to_string(rule->line);
    const std::string ruleFromJa = std::string(kDicomBodyPartsFile) + " の " + std::to_string(rule->line) + " 行目";
    c.bodyPart = rule->bodyPart;
    assumed("bodyPart", ruleFrom, ruleFromJa);

    auto fileOrRule = [&](const char* key, const std::optional<dicom::Reading>& reading, double ruleValue) {
        if (reading) {
            fromFile(key, reading->source);
            return reading->value;
        }
        assumed(key, ruleFrom, ruleFromJa);
        return ruleValue;
    };
    c.bodyThicknessCm = fileOrRule("bodyThicknessCm", e.thicknessCm, rule->thicknessCm);
    c.focusReceptorDistanceCm = fileOrRule("focusReceptorDistanceCm", e.sourceDetectorCm, rule->ffdCm);
    if (e.sourceEntranceCm) {
        c.focusSurfaceDistanceCm = e.sourceEntranceCm->value;
        fromFile("focusSurfaceDistanceCm", e.sourceEntranceCm->source);
    } else {
        c.focusSurfaceDistanceCm = c.focusReceptorDistanceCm - c.bodyThicknessCm - room->exitToReceptorCm;
        assumed("focusSurfaceDistanceCm", "FFD - thickness - " + formatAsIs(room->exitToReceptorCm) + " cm, " + roomFrom,
                "FFD − 被写体厚 − " + formatAsIs(room->exitToReceptorCm) + " cm（" + roomFromJa + "）");
    }

    // The field at the receptor: height and width, or a square of the area.
    c.fieldPresetName = "その他";
    c.fieldShape = FieldShape::Rectangular;
    if (e.fieldHeightCm && e.fieldWidthCm) {
        c.fieldLongCm = std::max(e.fieldHeightCm->value, e.fieldWidthCm->value);
        c.fieldShortCm = std::min(e.fieldHeightCm->value, e.fieldWidthCm->value);
        fromFile("fieldLongCm", e.fieldHeightCm->source);
        fromFile("fieldShortCm", e.fieldWidthCm->source);
    } else if (e.fieldAreaCm2) {
        c.fieldLongCm = c.fieldShortCm = std::sqrt(e.fieldAreaCm2->value);
        fromFile("fieldLongCm", e.fieldAreaCm2->source + " (a square of that area)", e.fieldAreaCm2->source + "（その面積の正方形）");
        fromFile("fieldShortCm", e.fieldAreaCm2->source + " (a square of that area)", e.fieldAreaCm2->source + "（その面積の正方形）");
    } else {
        c.fieldLongCm = rule->fieldLongCm;
        c.fieldShortCm = rule->fieldShortCm;
        assumed("fieldLongCm", ruleFrom, ruleFromJa);
        assumed("fieldShortCm", ruleFrom, ruleFromJa);
    }

    // Added filters: aluminium and copper; another material is named, not used.
    c.addedAlCm = 0;
    c.addedCuCm = 0;
    bool alFound = false, cuFound = false;
    for (const dicom::FilterReading& f : e.filters) {
        if (!f.thicknessMm)
            continue;
        if (f.material.rfind("ALUMIN", 0) == 0) {
            c.addedAlCm += 0.1 * *f.thicknessMm;
            alFound = true;
            fromFile("addedAlCm", f.source);
        } else if (f.material == "COPPER") {
            c.addedCuCm += 0.1 * *f.thicknessMm;
            cuFound = true;
            fromFile("addedCuCm", f.source);
        } else {
            assumed("otherFilterName", f.material + " " + formatAsIs(*f.thicknessMm) + " mm in the file is not used",
                    "ファイルの " + f.material + " " + formatAsIs(*f.thicknessMm) + " mm は使っていません");
        }
    }
    if (!alFound)
        assumed("addedAlCm", "0: the file names no aluminium filter", "0（ファイルにアルミフィルタの記録がありません）");
    if (!cuFound)
        assumed("addedCuCm", "0: the file names no copper filter", "0（ファイルに銅フィルタの記録がありません）");
    return out;
}

SystemComparison compareWithSystem(const dicom::Exposure& e, const ExposureConditions& c, const DoseResults& dose)
{
    SystemComparison s;
    s.incidentAirKermaMgy = dose.bsfAir > 0 ? dose.esdAir / dose.bsfAir : 0;
    const double scale = c.focusSurfaceDistanceCm / c.focusReceptorDistanceCm;
    const double longCm = c.fieldLongCm.value_or(0), shortCm = c.fieldShortCm.value_or(0);
    const double areaAtReceptor = c.fieldShape == FieldShape::Circular ? kPi * longCm * longCm / 4 : longCm * shortCm;
    s.dapDgyCm2 = 0.01 * s.incidentAirKermaMgy * areaAtReceptor * scale * scale; // mGy cm² = 0.01 dGy cm²
    if (e.entranceDoseMgy && s.incidentAirKermaMgy > 0)
        s.entranceDoseRatio = e.entranceDoseMgy->value / s.incidentAirKermaMgy;
    if (e.dapDgyCm2 && s.dapDgyCm2 > 0)
        s.dapRatio = e.dapDgyCm2->value / s.dapDgyCm2;
    return s;
}

} // namespace velnor::form
