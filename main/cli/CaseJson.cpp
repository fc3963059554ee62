#include "main/cli/CaseJson.h"

#include "common/DisplayFormat.h"
#include "common/FileLookup.h"
#include "common/TextEncoding.h"
#include "common/TextFile.h"
#include "main/form/ExposureForm.h"
#include "main/records/CalculationError.h"
#include "main/records/OutputDataTable.h"
#include "main/spectrum/FilterMaterial.h"
#include "main/spectrum/Fitting.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>
#include <map>
#include <set>
#include <vector>
#include <stdexcept>

namespace velnor::cli {
namespace {

using Json = nlohmann::json;
using Setter = std::function<void(const Json&, ExposureConditions&)>;

double number(const Json& v, const std::string& key)
{
    if (!v.is_number())
        throw std::invalid_argument("\"" + key + "\" must be a number");
    const double d = v.get<double>();
    if (!std::isfinite(d))
        throw std::invalid_argument("\"" + key + "\" must be a finite number");
    return d;
}

// A whole number that fits a 32-bit integer; a wider one is refused, never wrapped.
long long integer(const Json& v, const std::string& key)
{
    if (!v.is_number_integer())
        throw std::invalid_argument("\"" + key + "\" must be a whole number");
    if (v.is_number_unsigned() ? v.get<unsigned long long>() > 2147483647ULL
                               : (v.get<long long>() > 2147483647LL || v.get<long long>() < -2147483648LL))
        throw std::invalid_argument("\"" + key + "\" is out of range");
    return v.get<long long>();
}

// A code value of the files and the results table, converted to its enumeration.
template <class Code>
Code code(const Json& v, const std::string& key, std::optional<Code> (*fromCode)(long long), const char* allowed)
{
    const std::optional<Code> c = fromCode(integer(v, key));
    if (!c)
        throw std::invalid_argument("\"" + key + "\" must be " + allowed);
    return *c;
}

std::string text(const Json& v, const std::string& key)
{
    if (!v.is_string())
        throw std::invalid_argument("\"" + key + "\" must be a text");
    return v.get<std::string>();
}

// A field size: a number, or "-" for a size not yet given.
std::optional<double> fieldSize(const Json& v, const std::string& key)
{
    if (v.is_string() && v.get<std::string>() == "-")
        return std::nullopt;
    return number(v, key);
}

#define VELNOR_NUMBER(field) {#field, [](const Json& v, ExposureConditions& c) { c.field = number(v, #field); }}
#define VELNOR_CODE(field, fromCode, allowed) \
    {#field, [](const Json& v, ExposureConditions& c) { c.field = code(v, #field, fromCode, allowed); }}
#define VELNOR_TEXT(field) {#field, [](const Json& v, ExposureConditions& c) { c.field = text(v, #field); }}

const std::map<std::string, Setter>& setters()
{
    static const std::map<std::string, Setter> table = {
        VELNOR_NUMBER(targetAngleDeg),
        VELNOR_NUMBER(inherentFiltrationCm),
        VELNOR_NUMBER(addedAlCm),
        VELNOR_NUMBER(addedCuCm),
        VELNOR_TEXT(otherFilterName),
        VELNOR_NUMBER(otherFilterCm),
        {"otherFilterActive",
         [](const Json& v, ExposureConditions& c) {
             if (!v.is_boolean())
                 throw std::invalid_argument("\"otherFilterActive\" must be true or false");
             c.otherFilterActive = v.get<bool>();
         }},
        {"otherFilterMu",
         [](const Json& v, ExposureConditions& c) {
             if (!v.is_array() || v.size() != kBinCount)
                 throw std::invalid_argument("\"otherFilterMu\" must be an array of 300 numbers (bin 1 first)");
             for (int j = 1; j <= kBinCount; ++j)
             {
                 const double mu = number(v[static_cast<std::size_t>(j - 1)], "otherFilterMu");
                 if (mu < 0)
                     throw std::invalid_argument("\"otherFilterMu\" must not hold negative coefficients");
                 c.otherFilterMu[static_cast<std::size_t>(j)] = mu;
             }
         }},
        VELNOR_NUMBER(tubeVoltageKv),
        VELNOR_NUMBER(tubeCurrentMa),
        VELNOR_NUMBER(exposureTimeS),
        VELNOR_NUMBER(focusReceptorDistanceCm),
        VELNOR_NUMBER(bodyThicknessCm),
        VELNOR_NUMBER(focusSurfaceDistanceCm),
        VELNOR_TEXT(fieldPresetName),
        VELNOR_CODE(fieldShape, fieldShapeFromCode, "1 (rectangular) or 2 (circular)"),
        {"fieldLongCm", [](const Json& v, ExposureConditions& c) { c.fieldLongCm = fieldSize(v, "fieldLongCm"); }},
        {"fieldShortCm", [](const Json& v, ExposureConditions& c) { c.fieldShortCm = fieldSize(v, "fieldShortCm"); }},
        VELNOR_CODE(rectification, rectificationFromCode, "1, 2 or 3"),
        VELNOR_CODE(exposureSource, exposureSourceFromCode, "1 (measured) or 2 (tube output table)"),
        {"exposureAt1m",
         [](const Json& v, ExposureConditions& c) {
             c.exposureAt1m = number(v, "exposureAt1m");
             c.exposureAt1mSet = true;
         }},
        VELNOR_CODE(incidenceMode, incidenceFromCode, "1 (planar) or 2 (non-planar)"),
        VELNOR_CODE(surfaceCode, surfaceFromCode, "0, 1, 2, 3 or 4"),
        {"headPhantom",
         [](const Json& v, ExposureConditions& c) {
             const long long head = integer(v, "headPhantom");
             if (head != 0 && head != 1)
                 throw std::invalid_argument("\"headPhantom\" must be 0 (body) or 1 (head)");
             c.headPhantom = static_cast<int>(head);
         }},
        VELNOR_NUMBER(cylinderRadiusCm),
        VELNOR_NUMBER(ellipseHorizontalCm),
        VELNOR_NUMBER(ellipseVerticalCm),
        VELNOR_NUMBER(racetrackACm),
        VELNOR_NUMBER(racetrackBCm),
        VELNOR_NUMBER(racetrackLengthCm),
        VELNOR_NUMBER(mcHistories),
        VELNOR_TEXT(bodyPart),
    };
    return table;
}

#undef VELNOR_NUMBER
#undef VELNOR_CODE
#undef VELNOR_TEXT

int nestingDepth(const std::string& text)
{
    int depth = 0, deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

// The keys of a case's output: read back with the conditions, they are
// ignored, so that an output (or a row read from a results file) computes again.
bool isResultKey(const std::string& key)
{
    static const std::set<std::string> keys = {
        "photonSpectrum", "kermaRatio", "hvl1Cm", "hvl2Cm", "effectiveEnergyKev", "atrIndex", "qualityIndex",
        "cfSoftTissue", "cfSkin", "cfAir", "bsfSoftTissue", "bsfSkin", "bsfAir", "bsfSoftTissueSd", "bsfSkinSd", "bsfAirSd",
        "esdSoftTissue", "esdSkin", "esdAir", "effectiveDoseMsv", "labels", "version", "histories", "drl"};
    return keys.count(key) > 0;
}

// The preset name a results file stores with the field: a circle is the
// circular preset (short axis 0); sizes given without a name are "その他";
// a preset's name without sizes brings its sizes, as choosing it in the
// window does.
void settleFieldPreset(const Json& object, ExposureConditions& c)
{
    const bool named = object.contains("fieldPresetName");
    const bool sized = object.contains("fieldLongCm") || object.contains("fieldShortCm");
    if (named && !sized) {
        const std::string name = c.fieldPresetName;
        const FieldShape shape = c.fieldShape;
        if (form::choosePreset(name, c) && object.contains("fieldShape") && c.fieldShape != shape)
            throw std::invalid_argument("\"fieldShape\" does not match the preset \"" + name + "\"");
    } else if (c.fieldShape == FieldShape::Circular) {
        if (named && c.fieldPresetName != form::kCircularPreset)
            throw std::invalid_argument("a circular field (\"fieldShape\": 2) is stored as the preset \"" + std::string(form::kCircularPreset)
                                        + "\", not \"" + c.fieldPresetName + "\"");
        c.fieldPresetName = form::kCircularPreset;
    } else if (c.fieldPresetName == form::kCircularPreset) {
        throw std::invalid_argument("the preset \"" + std::string(form::kCircularPreset) + "\" is a circular field (\"fieldShape\": 2)");
    } else if (sized && !named) {
        c.fieldPresetName = form::kOtherPreset;
    }
    if (c.fieldShape == FieldShape::Circular)
        c.fieldShortCm = 0.0;
}

// A member of an object, or null when it has none (a const lookup of a
// missing key would be undefined).
const Json& member(const Json& object, const char* key)
{
    static const Json none;
    const auto it = object.find(key);
    return it == object.end() ? none : *it;
}

// One JSON document; a key given twice in one object is refused (the parser
// would keep the last silently).
Json parseDocument(const std::string& text)
{
    std::vector<std::set<std::string>> keys;
    const Json::parser_callback_t once = [&keys](int, Json::parse_event_t event, Json& parsed) {
        if (event == Json::parse_event_t::object_start) {
            keys.emplace_back();
        } else if (event == Json::parse_event_t::object_end) {
            keys.pop_back();
        } else if (event == Json::parse_event_t::key && !keys.empty()) {
            const std::string key = parsed.get<std::string>();
            if (!keys.back().insert(key).second)
                throw std::invalid_argument("the key \"" + escapedText(key) + "\" is given twice in one object");
        }
        return true;
    };
    try {
        return Json::parse(text, once);
    } catch (const Json::exception& e) {
        throw std::invalid_argument(std::string("the input is not valid JSON: ") + e.what());
    }
}

bool blank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

// Refuses a key of a nested object that is not one of `allowed`: ignored, it
// would change the result without a word.
void onlyKeys(const Json& object, const char* name, std::initializer_list<const char*> allowed)
{
    for (const auto& [key, value] : object.items())
        if (std::none_of(allowed.begin(), allowed.end(), [&key = key](const char* a) { return key == a; }))
            throw std::invalid_argument("unknown key \"" + escapedText(key) + "\" in \"" + name + "\"");
}

} // namespace

Json parseCases(const std::string& text)
{
    if (nestingDepth(text) > kMaxNesting)
        throw std::invalid_argument("the input nests arrays or objects more than " + std::to_string(kMaxNesting) + " deep");
    try {
        return parseDocument(text);
    } catch (const std::invalid_argument&) {
        // JSON Lines: one case a line, blank lines skipped. A text whose first
        // line is no case of its own is one document, and keeps its reason.
        const std::exception_ptr asOneDocument = std::current_exception();
        std::vector<std::string> lines = splitLines(text);
        lines.erase(std::remove_if(lines.begin(), lines.end(), blank), lines.end());
        if (lines.size() < 2)
            std::rethrow_exception(asOneDocument);
        Json cases = Json::array();
        for (std::size_t k = 0; k < lines.size(); ++k) {
            try {
                cases.push_back(parseDocument(lines[k]));
            } catch (const std::invalid_argument& e) {
                if (k == 0)
                    std::rethrow_exception(asOneDocument);
                throw std::invalid_argument("JSON Lines, case " + std::to_string(k + 1) + ": " + e.what());
            }
            if (!cases.back().is_object()) {
                if (k == 0)
                    std::rethrow_exception(asOneDocument);
                throw std::invalid_argument("JSON Lines, case " + std::to_string(k + 1) + ": a case must be a JSON object");
            }
        }
        return cases;
    }
}

bool isCaseKey(const std::string& key) { return isResultKey(key) || setters().count(key) > 0; }

void applyCase(const Json& object, ExposureConditions& conditions)
{
    if (!object.is_object())
        throw std::invalid_argument("a case must be a JSON object");
    for (const auto& [key, value] : object.items()) {
        if (isResultKey(key))
            continue; // a case's own output computes again
        const auto it = setters().find(key);
        if (it == setters().end())
            throw std::invalid_argument("unknown key \"" + escapedText(key) + "\"");
        it->second(value, conditions);
    }
    settleFieldPreset(object, conditions);
}

Json resultJson(const CalculationState& s)
{
    Json spectrum = Json::array();
    for (int j = 1; j <= kBinCount; ++j)
        spectrum.push_back(s.photonSpectrum[static_cast<std::size_t>(j)]);
    const ResultLabels& l = s.labels;
    Json result{
        {"bodyPart", s.conditions.bodyPart},
        {"photonSpectrum", spectrum},
        {"kermaRatio", s.kermaRatio},
        {"hvl1Cm", s.beamQuality.hvl1Cm},
        {"effectiveEnergyKev", s.beamQuality.effectiveEnergyKev},
        {"atrIndex", s.beamQuality.atrIndex},
        {"exposureAt1m", s.conditions.exposureAt1m},
        {"cfSoftTissue", s.dose.cfSoftTissue},
        {"cfSkin", s.dose.cfSkin},
        {"cfAir", s.dose.cfAir},
        {"bsfSoftTissue", s.dose.bsfSoftTissue},
        {"bsfSkin", s.dose.bsfSkin},
        {"bsfAir", s.dose.bsfAir},
        {"esdSoftTissue", s.dose.esdSoftTissue},
        {"esdSkin", s.dose.esdSkin},
        {"esdAir", s.dose.esdAir},
        {"labels",
         {{"Label65", l.label65}, {"Label66", l.label66}, {"Label67", l.label67}, {"Label68", l.label68},
          {"Label69", l.label69}, {"Label70", l.label70}, {"Label71", l.label71}, {"Label72", l.label72},
          {"Label73", l.label73}, {"Label74", l.label74}, {"Label75", l.label75}, {"Label78", l.label78}}},
    };
    // The statistical uncertainty of a Monte Carlo engine's factors.
    for (const auto& [key, sd] : {std::pair{"bsfSoftTissueSd", s.dose.bsfSoftTissueSd}, std::pair{"bsfSkinSd", s.dose.bsfSkinSd},
                                  std::pair{"bsfAirSd", s.dose.bsfAirSd}})
        if (sd)
            result[key] = *sd;
    if (s.dose.mcHistoriesRun)
        result["histories"] = *s.dose.mcHistoriesRun;
    return result;
}

Json rowJson(const ResultRow& row)
{
    const ExposureConditions& c = row.conditions;
    auto size = [](const std::optional<double>& v) { return v ? Json(*v) : Json("-"); };
    Json j{
        {"bodyPart", c.bodyPart},
        {"targetAngleDeg", c.targetAngleDeg},
        {"inherentFiltrationCm", c.inherentFiltrationCm},
        {"addedAlCm", c.addedAlCm},
        {"addedCuCm", c.addedCuCm},
        {"otherFilterName", c.otherFilterName},
        {"otherFilterCm", c.otherFilterCm},
        {"tubeVoltageKv", c.tubeVoltageKv},
        {"tubeCurrentMa", c.tubeCurrentMa},
        {"exposureTimeS", c.exposureTimeS},
        {"focusReceptorDistanceCm", c.focusReceptorDistanceCm},
        {"bodyThicknessCm", c.bodyThicknessCm},
        {"focusSurfaceDistanceCm", c.focusSurfaceDistanceCm},
        {"fieldPresetName", c.fieldPresetName},
        {"fieldShape", codeOf(c.fieldShape)},
        {"fieldLongCm", size(c.fieldLongCm)},
        {"fieldShortCm", size(c.fieldShortCm)},
        {"rectification", codeOf(c.rectification)},
        {"incidenceMode", codeOf(c.incidenceMode)},
        {"surfaceCode", codeOf(c.surfaceCode)},
        {"headPhantom", c.headPhantom},
        {"exposureAt1m", c.exposureAt1m},
        {"hvl1Cm", row.beamQuality.hvl1Cm},
        {"effectiveEnergyKev", row.beamQuality.effectiveEnergyKev},
        {"cfSoftTissue", row.dose.cfSoftTissue},
        {"cfSkin", row.dose.cfSkin},
        {"cfAir", row.dose.cfAir},
        {"bsfSoftTissue", row.dose.bsfSoftTissue},
        {"bsfSkin", row.dose.bsfSkin},
        {"bsfAir", row.dose.bsfAir},
        {"esdSoftTissue", row.dose.esdSoftTissue},
        {"esdSkin", row.dose.esdSkin},
        {"esdAir", row.dose.esdAir},
    };
    switch (c.surfaceCode) {
    case SurfaceCode::Cylinder:
        j["cylinderRadiusCm"] = c.cylinderRadiusCm;
        break;
    case SurfaceCode::EllipticCylinder:
        j["ellipseHorizontalCm"] = c.ellipseHorizontalCm;
        j["ellipseVerticalCm"] = c.ellipseVerticalCm;
        break;
    case SurfaceCode::Racetrack:
        j["racetrackACm"] = c.racetrackACm;
        j["racetrackBCm"] = c.racetrackBCm;
        j["racetrackLengthCm"] = c.racetrackLengthCm;
        break;
    default:
        break;
    }
    if (row.beamQuality.hvl2Cm)
        j["hvl2Cm"] = *row.beamQuality.hvl2Cm;
    if (row.beamQuality.qualityIndex)
        j["qualityIndex"] = *row.beamQuality.qualityIndex;
    if (row.effectiveDoseMsv)
        j["effectiveDoseMsv"] = *row.effectiveDoseMsv;
    return j;
}

// Applies and removes the keys that stand for the main window's dialogs: the
// tube output table, the other filter, the measured exposure, fluoroscopy;
// returns the fit to run, if any.
std::optional<FitRequest> takeDialogKeys(nlohmann::json& c, CalculationState& state, const std::filesystem::path& data)
{
    if (!c.is_object())
        return std::nullopt;
    if (c.contains("outputTable")) {
        // Another tube output table of the data folder, as the selector would load it.
        const std::string name = text(member(c, "outputTable"), "outputTable");
        if (const std::optional<Reason> fault = plainFileNameFault(name))
            throw std::invalid_argument("\"outputTable\": " + inEnglish(*fault));
        state.outputData = loadOutputDataTable(findFileIgnoringCase(data, name));
        c.erase("outputTable");
    }
    if (c.contains("otherFilterFile")) {
        const std::string name = text(member(c, "otherFilterFile"), "otherFilterFile");
        if (const std::optional<Reason> fault = plainFileNameFault(name))
            throw std::invalid_argument("\"otherFilterFile\": " + inEnglish(*fault));
        const FilterMaterial material = readFilterMaterialFile(findFileIgnoringCase(data, name));
        applyOtherFilter(state.conditions, material, number(member(c, "otherFilterMm"), "otherFilterMm"));
        c.erase("otherFilterFile");
        c.erase("otherFilterMm");
    } else if (c.contains("otherFilterMm")) {
        throw std::invalid_argument("\"otherFilterMm\" needs \"otherFilterFile\"");
    }
    if (c.contains("measuredExposure")) {
        const double value = number(member(c, "measuredExposure"), "measuredExposure");
        form::MeasuredUnit unit = form::MeasuredUnit::CoulombPerKg;
        if (c.contains("measuredExposureUnit")) {
            const std::string u = text(member(c, "measuredExposureUnit"), "measuredExposureUnit");
            if (u == "R")
                unit = form::MeasuredUnit::Roentgen;
            else if (u == "Gy")
                unit = form::MeasuredUnit::Gray;
            else if (u != "C/kg")
                throw std::invalid_argument("\"measuredExposureUnit\" must be \"C/kg\", \"R\" or \"Gy\"");
            c.erase("measuredExposureUnit");
        }
        if (!form::setMeasuredExposure(state.conditions, form::exposureFromMeasurement(value, unit)))
            throw std::invalid_argument("measured exposure " + formatAsIs(value) + ": it must be positive");
        c.erase("measuredExposure");
    }
    if (c.contains("fluoroscopy")) {
        const nlohmann::json f = c["fluoroscopy"];
        if (!f.is_object())
            throw std::invalid_argument("\"fluoroscopy\" must be an object");
        onlyKeys(f, "fluoroscopy", {"pulsed", "mA", "ms", "pps"});
        const Json& pulsedFlag = member(f, "pulsed");
        if (!pulsedFlag.is_null() && !pulsedFlag.is_boolean())
            throw std::invalid_argument("\"pulsed\" must be true or false");
        const bool pulsed = pulsedFlag.is_boolean() && pulsedFlag.get<bool>();
        const double ma = number(member(f, "mA"), "mA");
        if (pulsed) {
            const double ms = number(member(f, "ms"), "ms"), pps = number(member(f, "pps"), "pps");
            if (const form::Check fault = form::pulsedFluoroscopyFault(ma, ms, pps))
                throw std::invalid_argument("\"fluoroscopy\": " + fault.reason);
            state.conditions.tubeCurrentMa = form::pulsedAverageCurrentMa(ma, ms, pps);
        } else {
            if (f.contains("ms") || f.contains("pps"))
                throw std::invalid_argument("\"fluoroscopy\": \"ms\" and \"pps\" belong to pulsed fluoroscopy (\"pulsed\": true)");
            state.conditions.tubeCurrentMa = ma;
        }
        c.erase("fluoroscopy");
    }
    if (!c.contains("fit"))
        return std::nullopt;
    const nlohmann::json f = c["fit"];
    c.erase("fit");
    if (!f.is_object())
        throw std::invalid_argument("\"fit\" must be an object");
    onlyKeys(f, "fit", {"target", "method", "measured"});
    FitRequest r{text(member(f, "target"), "target"), text(member(f, "method"), "method"), number(member(f, "measured"), "measured")};
    if ((r.target != "hvl" && r.target != "atr") || (r.method != "filtration" && r.method != "voltage"))
        throw std::invalid_argument("\"fit\": target \"hvl\" or \"atr\", method \"filtration\" or \"voltage\"");
    return r;
}

// Runs the fit on the beam of the conditions and applies the fitted value.
void runFit(const FitRequest& r, CalculationState& state)
{
    state.checkConditions(); // a fit is a calculation and is refused like one
    state.computeSpectrum();
    const FitStart start{state.conditions, state.tables, state.outputData, state.beamQuality};
    const bool hvl = r.target == "hvl", voltage = r.method == "voltage";
    const double measured = hvl ? 0.1 * r.measured : r.measured;
    if (measured == (hvl ? state.beamQuality.hvl1Cm : state.beamQuality.atrIndex))
        throw CalculationError(Reason{ReasonCode::FitNoChange});
    FitOutcome o;
    if (hvl)
        o = voltage ? raiseVoltageToHvl(start, measured) : fitInherentFiltrationToHvl(start, measured);
    else
        o = voltage ? raiseVoltageToAtr(start, measured) : fitInherentFiltrationToAtr(start, measured);
    if (!o)
        throw CalculationError(worded(Reason{ReasonCode::FitFailed}, o.wording()));
    if (voltage)
        state.conditions.tubeVoltageKv = *o.value;
    else
        state.conditions.inherentFiltrationCm = *o.value;
}

Json drlJson(const DrlComparison& comparison)
{
    switch (comparison.kind) {
    case DrlComparison::Kind::NoLevel:
        return nullptr;
    case DrlComparison::Kind::Unavailable:
        return {{"error", escapedText(comparison.why.english)}};
    case DrlComparison::Kind::Compared:
        break;
    }
    return {{"edition", comparison.edition},
            {"name", comparison.name},
            {"valueMgy", comparison.levelMgy},
            {"dose", drlDoseKey(comparison.dose)},
            {"ratio", comparison.ratio}};
}

} // namespace velnor::cli
