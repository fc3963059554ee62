#include "main/cli/CaseJson.h"

#include <functional>
#include <map>
#include <stdexcept>

namespace velnor::cli {
namespace {

using Json = nlohmann::json;
using Setter = std::function<void(const Json&, ExposureConditions&)>;

double number(const Json& v, const std::string& key)
{
    if (!v.is_number())
        throw std::invalid_argument("\"" + key + "\" must be a number");
    return v.get<double>();
}

int integer(const Json& v, const std::string& key)
{
    if (!v.is_number_integer())
        throw std::invalid_argument("\"" + key + "\" must be a whole number");
    return v.get<int>();
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
    if (!v.is_number())
        throw std::invalid_argument("\"" + key + "\" must be a number or \"-\"");
    return v.get<double>();
}

#define VELNOR_NUMBER(field) {#field, [](const Json& v, ExposureConditions& c) { c.field = number(v, #field); }}
#define VELNOR_INTEGER(field) {#field, [](const Json& v, ExposureConditions& c) { c.field = integer(v, #field); }}
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
                 c.otherFilterMu[static_cast<std::size_t>(j)] = number(v[static_cast<std::size_t>(j - 1)], "otherFilterMu");
         }},
        VELNOR_NUMBER(tubeVoltageKv),
        VELNOR_NUMBER(tubeCurrentMa),
        VELNOR_NUMBER(exposureTimeS),
        VELNOR_NUMBER(focusReceptorDistanceCm),
        VELNOR_NUMBER(bodyThicknessCm),
        VELNOR_NUMBER(focusSurfaceDistanceCm),
        VELNOR_TEXT(fieldPresetName),
        VELNOR_INTEGER(fieldShape),
        {"fieldLongCm", [](const Json& v, ExposureConditions& c) { c.fieldLongCm = fieldSize(v, "fieldLongCm"); }},
        {"fieldShortCm", [](const Json& v, ExposureConditions& c) { c.fieldShortCm = fieldSize(v, "fieldShortCm"); }},
        VELNOR_INTEGER(rectification),
        VELNOR_INTEGER(exposureSource),
        {"exposureAt1m",
         [](const Json& v, ExposureConditions& c) {
             c.exposureAt1m = number(v, "exposureAt1m");
             c.exposureAt1mSet = true;
         }},
        VELNOR_INTEGER(incidenceMode),
        VELNOR_INTEGER(surfaceCode),
        VELNOR_INTEGER(headPhantom),
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
#undef VELNOR_INTEGER
#undef VELNOR_TEXT

} // namespace

void applyCase(const Json& object, ExposureConditions& conditions)
{
    if (!object.is_object())
        throw std::invalid_argument("a case must be a JSON object");
    for (const auto& [key, value] : object.items()) {
        const auto it = setters().find(key);
        if (it == setters().end())
            throw std::invalid_argument("unknown key \"" + key + "\"");
        it->second(value, conditions);
    }
}

Json resultJson(const CalculationState& s)
{
    Json spectrum = Json::array();
    for (int j = 1; j <= kBinCount; ++j)
        spectrum.push_back(s.photonSpectrum[static_cast<std::size_t>(j)]);
    const ResultLabels& l = s.labels;
    return Json{
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
}

} // namespace velnor::cli
