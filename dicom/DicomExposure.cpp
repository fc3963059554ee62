#include "dicom/DicomExposure.h"

#include "common/NumberReading.h"
#include "common/Reasons.h"
#include "dicom/CharacterSets.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcitem.h>
#include <dcmtk/dcmdata/dcsequen.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/oflog/oflog.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>

namespace velnor::dicom {
namespace {

// Values longer than this stay in the file unread: the header's values are
// short, and a damaged length never makes us allocate a huge buffer.
constexpr Uint32 kMaxValueLength = 4096;
// Content items nested deeper than this in a dose report are not searched.
constexpr int kMaxDepth = 32;

std::string tagName(const DcmTagKey& key)
{
    char text[16];
    std::snprintf(text, sizeof text, "(%04X,%04X)", key.getGroup(), key.getElement());
    return text;
}

[[noreturn]] void refuse(ReasonCode code, const std::string& text = {}, const std::string& detail = {})
{
    throw WordedError(Reason{code, {}, 0, 0, 0, {}, text, detail});
}

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    std::size_t start = 0;
    while (start < s.size() && s[start] == ' ')
        ++start;
    return s.substr(start);
}

std::string raw(DcmItem& item, const DcmTagKey& key, unsigned long pos = 0)
{
    OFString value;
    if (item.findAndGetOFString(key, value, pos).bad())
        return {};
    return trimmed(value.c_str());
}

// A number of an attribute, times `scale`, or nothing when the attribute is
// absent or empty. Text that is not a number refuses the file.
std::optional<Reading> number(DcmItem& item, const DcmTagKey& key, const char* name, double scale, unsigned long pos = 0)
{
    DcmElement* element = nullptr;
    if (item.findAndGetElement(key, element).bad() || !element)
        return std::nullopt;
    std::optional<double> v;
    const DcmEVR vr = element->ident();
    if (vr == EVR_FD || vr == EVR_FL) {
        Float64 f = 0;
        if (element->getFloat64(f, pos).bad())
            return std::nullopt;
        v = f;
    } else {
        const std::string text = raw(item, key, pos);
        if (text.empty())
            return std::nullopt;
        v = parseNumber(text);
        if (!v)
            refuse(ReasonCode::DicomNotANumber, tagName(key) + " " + name, text);
    }
    if (!std::isfinite(*v))
        refuse(ReasonCode::DicomNotANumber, tagName(key) + " " + name, "not finite");
    return Reading{*v * scale, tagName(key) + " " + name};
}

struct Texts {
    std::string characterSet;
    std::string operator()(DcmItem& item, const DcmTagKey& key) const { return trimmed(decodeText(raw(item, key), characterSet)); }
};

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// ---- Dose reports ---------------------------------------------------------

struct Concept {
    std::string code, scheme, meaning;
};
Concept conceptOf(DcmItem& item, const DcmTagKey& sequence)
{
    DcmItem* code = nullptr;
    if (item.findAndGetSequenceItem(sequence, code, 0).bad() || !code)
        return {};
    return {raw(*code, DCM_CodeValue), raw(*code, DCM_CodingSchemeDesignator), raw(*code, DCM_CodeMeaning)};
}

struct UnitScale {
    const char* unit;
    double scale;
};
// The units a concept may come in, and their factors to our unit.
const std::map<std::string, std::vector<UnitScale>>& unitsByConcept()
{
    static const std::vector<UnitScale> kv = {{"kV", 1}}, ma = {{"mA", 1}, {"uA", 1e-3}}, seconds = {{"ms", 1e-3}, {"s", 1}, {"us", 1e-6}},
                                        mas = {{"uAs", 1e-3}, {"mAs", 1}, {"As", 1e3}}, cm = {{"mm", 0.1}, {"cm", 1}, {"m", 100}},
                                        mm = {{"mm", 1}, {"cm", 10}, {"um", 1e-3}}, cm2 = {{"m2", 1e4}, {"cm2", 1}, {"mm2", 1e-2}},
                                        mgy = {{"Gy", 1e3}, {"mGy", 1}, {"uGy", 1e-3}, {"dGy", 100}},
                                        dgycm2 = {{"Gy.m2", 1e5}, {"dGy.cm2", 1}, {"mGy.cm2", 1e-2}, {"uGy.m2", 0.1}, {"cGy.cm2", 0.1}, {"Gy.cm2", 10}};
    static const std::map<std::string, std::vector<UnitScale>> units = {
        {"113733", kv},  {"113734", ma},   {"113824", seconds}, {"113736", mas}, {"113750", cm},     {"113758", mm}, {"113773", mm},
        {"113790", cm2}, {"113788", cm},   {"113789", cm},      {"111638", cm},  {"113738", mgy},    {"122130", dgycm2},
    };
    return units;
}

// The value of a numeric content item in our unit; a unit we do not know
// refuses the file.
std::optional<Reading> numericValue(DcmItem& item, const Concept& name)
{
    DcmItem* measured = nullptr;
    if (item.findAndGetSequenceItem(DCM_MeasuredValueSequence, measured, 0).bad() || !measured)
        return std::nullopt;
    const std::string text = raw(*measured, DCM_NumericValue);
    const std::optional<double> v = parseNumber(text);
    const std::string source = "DCM " + name.code + " " + name.meaning;
    if (!v || !std::isfinite(*v))
        refuse(ReasonCode::DicomNotANumber, source, text);
    const std::string unit = conceptOf(*measured, DCM_MeasurementUnitsCodeSequence).code;
    for (const UnitScale& u : unitsByConcept().at(name.code))
        if (unit == u.unit)
            return Reading{*v * u.scale, source};
    refuse(ReasonCode::DicomUnknownUnit, source, unit);
}

void readEventItem(DcmItem& item, Exposure& e, int depth);

void readContent(DcmItem& item, Exposure& e, int depth)
{
    if (depth > kMaxDepth)
        return;
    DcmSequenceOfItems* content = nullptr;
    if (item.findAndGetSequence(DCM_ContentSequence, content).bad() || !content)
        return;
    for (unsigned long i = 0; i < content->card(); ++i)
        readEventItem(*content->getItem(i), e, depth + 1);
}

void readEventItem(DcmItem& item, Exposure& e, int depth)
{
    const Concept name = conceptOf(item, DCM_ConceptNameCodeSequence);
    const std::string type = raw(item, DCM_ValueType);
    const auto& units = unitsByConcept();
    if (type == "NUM" && units.count(name.code)) {
        const std::optional<Reading> r = numericValue(item, name);
        std::optional<Reading>* target = nullptr;
        if (name.code == "113733") target = &e.tubeVoltageKv;
        else if (name.code == "113734") target = &e.tubeCurrentMa;
        else if (name.code == "113824") target = &e.exposureTimeS;
        else if (name.code == "113736") target = &e.exposureMas;
        else if (name.code == "113750") target = &e.sourceDetectorCm;
        else if (name.code == "113790") target = &e.fieldAreaCm2;
        else if (name.code == "113788") target = &e.fieldHeightCm;
        else if (name.code == "113789") target = &e.fieldWidthCm;
        else if (name.code == "111638") target = &e.thicknessCm;
        else if (name.code == "113738") target = &e.entranceDoseMgy;
        else if (name.code == "122130") target = &e.dapDgyCm2;
        if (target && r)
            *target = r;
        // A filter's minimum and maximum thickness: their mean.
        if ((name.code == "113758" || name.code == "113773") && r && !e.filters.empty()) {
            FilterReading& f = e.filters.back();
            f.thicknessMm = f.thicknessMm ? 0.5 * (*f.thicknessMm + r->value) : r->value;
            f.source += ", " + r->source;
        }
    } else if (type == "CONTAINER" && name.code == "113771") { // one filter: its items follow
        e.filters.push_back({{}, std::nullopt, "DCM 113771 X-Ray Filters"});
    } else if (type == "CODE" && name.code == "113757" && !e.filters.empty()) {
        e.filters.back().material = upper(conceptOf(item, DCM_ConceptCodeSequence).meaning);
    } else if (type == "CODE" && name.code == "111632") {
        e.anodeMaterial = upper(conceptOf(item, DCM_ConceptCodeSequence).meaning);
    } else if (type == "CODE" && name.code == "123014") {
        e.bodyPartExamined = upper(conceptOf(item, DCM_ConceptCodeSequence).meaning);
    } else if (type == "TEXT" && name.code == "125203") {
        e.protocolName = trimmed(raw(item, DCM_TextValue));
    }
    readContent(item, e, depth);
}

// Every irradiation event (DCM 113706) of the report's content tree.
void findEvents(DcmItem& item, const Exposure& common, std::vector<Exposure>& events, int depth)
{
    if (depth > kMaxDepth)
        return;
    DcmSequenceOfItems* content = nullptr;
    if (item.findAndGetSequence(DCM_ContentSequence, content).bad() || !content)
        return;
    for (unsigned long i = 0; i < content->card(); ++i) {
        DcmItem& child = *content->getItem(i);
        if (conceptOf(child, DCM_ConceptNameCodeSequence).code == "113706") {
            Exposure e = common;
            e.event = static_cast<int>(events.size()) + 1;
            readContent(child, e, depth + 1);
            events.push_back(std::move(e));
        } else {
            findEvents(child, common, events, depth + 1);
        }
    }
}

// ---- Image headers --------------------------------------------------------

void readImage(DcmItem& d, Exposure& e)
{
    e.tubeVoltageKv = number(d, DCM_KVP, "KVP", 1);
    e.tubeCurrentMa = number(d, DCM_XRayTubeCurrent, "X-Ray Tube Current", 1);
    if (!e.tubeCurrentMa)
        e.tubeCurrentMa = number(d, DCM_XRayTubeCurrentInuA, "X-Ray Tube Current in uA", 1e-3);
    e.exposureTimeS = number(d, DCM_ExposureTime, "Exposure Time", 1e-3);
    if (!e.exposureTimeS)
        e.exposureTimeS = number(d, DCM_ExposureTimeInms, "Exposure Time in ms", 1e-3);
    e.exposureMas = number(d, DCM_Exposure, "Exposure", 1);
    if (!e.exposureMas)
        e.exposureMas = number(d, DCM_ExposureInuAs, "Exposure in uAs", 1e-3);
    e.sourceDetectorCm = number(d, DCM_DistanceSourceToDetector, "Distance Source to Detector", 0.1);
    e.sourceEntranceCm = number(d, DCM_DistanceSourceToEntrance, "Distance Source to Entrance", 0.1);
    e.sourcePatientCm = number(d, DCM_DistanceSourceToPatient, "Distance Source to Patient", 0.1);
    e.thicknessCm = number(d, DCM_BodyPartThickness, "Body Part Thickness", 0.1);
    e.entranceDoseMgy = number(d, DCM_EntranceDoseInmGy, "Entrance Dose in mGy", 1);
    e.dapDgyCm2 = number(d, DCM_ImageAndFluoroscopyAreaDoseProduct, "Image and Fluoroscopy Area Dose Product", 1);
    e.exposureIndex = number(d, DCM_ExposureIndex, "Exposure Index", 1);
    e.targetExposureIndex = number(d, DCM_TargetExposureIndex, "Target Exposure Index", 1);
    e.deviationIndex = number(d, DCM_DeviationIndex, "Deviation Index", 1);
    e.anodeMaterial = upper(raw(d, DCM_AnodeTargetMaterial));
    e.filterType = upper(raw(d, DCM_FilterType));
    // One thickness per material, in the order of the materials.
    for (unsigned long k = 0;; ++k) {
        const std::string material = upper(raw(d, DCM_FilterMaterial, k));
        if (material.empty())
            break;
        FilterReading f{material, std::nullopt, "(0018,7050) Filter Material"};
        std::optional<Reading> low = number(d, DCM_FilterThicknessMinimum, "Filter Thickness Minimum", 1, k);
        std::optional<Reading> high = number(d, DCM_FilterThicknessMaximum, "Filter Thickness Maximum", 1, k);
        if (low && high) {
            f.thicknessMm = 0.5 * (low->value + high->value);
            f.source += ", " + low->source + " and Maximum";
        } else if (low || high) {
            f.thicknessMm = (low ? low : high)->value;
            f.source += ", " + (low ? low : high)->source;
        }
        e.filters.push_back(f);
    }
    // The collimated field: its edges in pixels of the detector, times the
    // detector's pixel spacing (mm), gives it at the receptor.
    const std::optional<Reading> left = number(d, DCM_CollimatorLeftVerticalEdge, "Collimator Left Vertical Edge", 1);
    const std::optional<Reading> right = number(d, DCM_CollimatorRightVerticalEdge, "Collimator Right Vertical Edge", 1);
    const std::optional<Reading> upperEdge = number(d, DCM_CollimatorUpperHorizontalEdge, "Collimator Upper Horizontal Edge", 1);
    const std::optional<Reading> lower = number(d, DCM_CollimatorLowerHorizontalEdge, "Collimator Lower Horizontal Edge", 1);
    const std::optional<Reading> rowSpacing = number(d, DCM_ImagerPixelSpacing, "Imager Pixel Spacing", 0.1, 0);
    const std::optional<Reading> columnSpacing = number(d, DCM_ImagerPixelSpacing, "Imager Pixel Spacing", 0.1, 1);
    if (left && right && upperEdge && lower && rowSpacing && columnSpacing && right->value > left->value && lower->value > upperEdge->value) {
        const std::string source = "(0018,1702)-(0018,1708) Collimator edges x (0018,1164) Imager Pixel Spacing";
        e.fieldWidthCm = Reading{(right->value - left->value) * columnSpacing->value, source};
        e.fieldHeightCm = Reading{(lower->value - upperEdge->value) * rowSpacing->value, source};
    }
}

// The library's own log goes nowhere: its warnings are not ours to print.
void quietLibrary()
{
    static const bool once = [] {
        OFLog::configure(OFLogger::FATAL_LOG_LEVEL);
        return true;
    }();
    (void)once;
}

} // namespace

std::vector<Exposure> readExposures(const std::filesystem::path& file)
{
    quietLibrary();
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status))
        refuse(ReasonCode::FileCannotOpen, {}, ec ? ec.message() : "No such file or directory");
    if (!std::filesystem::is_regular_file(status))
        refuse(ReasonCode::FileNotRegular);

    DcmFileFormat format;
    const OFCondition loaded =
        format.loadFileUntilTag(file.c_str(), EXS_Unknown, EGL_noChange, kMaxValueLength, ERM_autoDetect, DCM_PixelData);
    if (loaded.bad())
        refuse(ReasonCode::DicomUnreadable, {}, loaded.text());
    DcmDataset& d = *format.getDataset();
    const Texts text{raw(d, DCM_SpecificCharacterSet)};

    Exposure common;
    common.sopInstanceUid = raw(d, DCM_SOPInstanceUID);
    common.modality = upper(raw(d, DCM_Modality));
    common.studyDate = raw(d, DCM_StudyDate);
    common.stationName = text(d, DCM_StationName);
    common.manufacturer = text(d, DCM_Manufacturer);
    common.model = text(d, DCM_ManufacturerModelName);
    common.protocolName = text(d, DCM_ProtocolName);
    common.seriesDescription = text(d, DCM_SeriesDescription);
    common.bodyPartExamined = upper(raw(d, DCM_BodyPartExamined));
    common.viewPosition = upper(raw(d, DCM_ViewPosition));

    const std::string sopClass = raw(d, DCM_SOPClassUID);
    if (common.modality == "SR" || sopClass == UID_XRayRadiationDoseSRStorage) {
        std::vector<Exposure> events;
        findEvents(d, common, events, 0);
        if (events.empty())
            refuse(ReasonCode::DicomNoEvents);
        return events;
    }
    static const char* const kProjection[] = {"DX", "CR", "RF", "XA", "MG", "PX"};
    if (std::find(std::begin(kProjection), std::end(kProjection), common.modality) == std::end(kProjection))
        refuse(ReasonCode::DicomNotAProjection, common.modality.empty() ? std::string("-") : common.modality);
    Exposure e = common;
    readImage(d, e);
    return {e};
}

std::vector<std::filesystem::path> filesUnder(const std::vector<std::filesystem::path>& paths)
{
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& path : paths) {
        std::error_code ec;
        if (!std::filesystem::is_directory(path, ec)) {
            files.push_back(path);
            continue;
        }
        std::vector<std::filesystem::path> found;
        for (auto it = std::filesystem::recursive_directory_iterator(path, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (!name.empty() && name[0] == '.') {
                if (it->is_directory(ec))
                    it.disable_recursion_pending();
                continue;
            }
            if (!it->is_directory(ec))
                found.push_back(it->path());
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

} // namespace velnor::dicom
