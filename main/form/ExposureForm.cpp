#include "main/form/ExposureForm.h"

#include "common/DisplayFormat.h"
#include "common/NumberReading.h"
#include "common/Reasons.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace velnor::form {
namespace {

const std::array<FieldPreset, 11> kPresets = {{
    {"六切サイズ 縦", "25.4", "20.3"},
    {"六切サイズ 横", "20.3", "25.4"},
    {"四切サイズ 縦", "30.5", "25.4"},
    {"四切サイズ 横", "25.4", "30.5"},
    {"大四サイズ 縦", "35.6", "28.0"},
    {"大四サイズ 横", "28.0", "35.6"},
    {"大角サイズ", "35.6", "35.6"},
    {"半切サイズ 縦", "43.2", "35.6"},
    {"半切サイズ 横", "35.6", "43.2"},
    {"その他", "", ""},
    {"円形照射野", "10.0", "0"},
}};

} // namespace

const std::vector<InputField>& inputFields()
{
    static const std::vector<InputField> fields = {
        {"Text1", "Ｘ線管ターゲット角度", "度", "12"},
        {"Text2", "固有フィルタ (Al当量)", "mm", "2.5"},
        {"Text3", "付加フィルタ (アルミ)", "mm", "1.0"},
        {"Text4", "付加フィルタ（ 銅 ）", "mm", "0"},
        {"Text5", "Ｘ線管電圧", "kV", "75"},
        {"Text6", "Ｘ線管電流", "mA", "200"},
        {"Text7", "照射時間", "sec", "0.05"},
        {"Text8", "焦点-受像器間距離", "cm", "100"},
        {"Text23", "被写体厚", "cm", "20"},
        {"Text9", "焦点-入射表面間距離", "cm", "80"},
    };
    return fields;
}

bool readField(std::string_view name, std::string_view text, ExposureConditions& c)
{
    const double v = readLeadingNumber(text);
    constexpr double kMmToCm = 0.1;
    if (name == "Text1")
        c.targetAngleDeg = v;
    else if (name == "Text2")
        c.inherentFiltrationCm = v * kMmToCm;
    else if (name == "Text3")
        c.addedAlCm = v * kMmToCm;
    else if (name == "Text4")
        c.addedCuCm = v * kMmToCm;
    else if (name == "Text5")
        c.tubeVoltageKv = v;
    else if (name == "Text6")
        c.tubeCurrentMa = v;
    else if (name == "Text7")
        c.exposureTimeS = v;
    else if (name == "Text8")
        c.focusReceptorDistanceCm = v;
    else if (name == "Text9")
        c.focusSurfaceDistanceCm = v;
    else if (name == "Text23")
        c.bodyThicknessCm = v;
    else if (name == "Text10")
        c.fieldLongCm = v;
    else if (name == "Text11")
        c.fieldShortCm = v;
    else
        return false;
    return true;
}

void readOtherFilterLabel(std::string_view text, ExposureConditions& c) { c.otherFilterCm = readLeadingNumber(text) * 0.1; }

const std::array<FieldPreset, 11>& fieldPresets() { return kPresets; }

std::optional<FieldPreset> choosePreset(std::string_view name, ExposureConditions& c)
{
    for (const FieldPreset& p : kPresets) {
        if (name != p.name)
            continue;
        if (name == kCircularPreset) {
            c.incidenceMode = IncidenceMode::Planar;
            c.fieldShape = FieldShape::Circular;
        } else {
            c.fieldShape = FieldShape::Rectangular;
        }
        if (name == kOtherPreset) {
            c.fieldLongCm.reset();
            c.fieldShortCm.reset();
        } else {
            c.fieldLongCm = readLeadingNumber(p.longText);
            c.fieldShortCm = readLeadingNumber(p.shortText);
        }
        c.fieldPresetName = p.name;
        return p;
    }
    return std::nullopt;
}

void choosePlanar(ExposureConditions& c)
{
    c.incidenceMode = IncidenceMode::Planar;
    choosePhantom(c, false);
}

void choosePhantom(ExposureConditions& c, bool head)
{
    c.headPhantom = head ? 1 : 0;
    c.surfaceCode = head ? SurfaceCode::FlatHead : SurfaceCode::FlatBody;
}

bool chooseNonPlanar(ExposureConditions& c)
{
    if (c.fieldShape == FieldShape::Circular || c.fieldPresetName == kCircularPreset) {
        c.incidenceMode = IncidenceMode::Planar;
        choosePreset(kSquarePreset, c);
        return false;
    }
    c.incidenceMode = IncidenceMode::NonPlanar;
    return true;
}

namespace {
Check refused(Reason r) { return {Refusal::NotPhysical, inEnglish(r), inJapanese(r)}; }
} // namespace

Check typedNumberFault(std::string_view field, std::string_view text)
{
    // A field is a number as a whole, blanks around it allowed: "2OO" (letter
    // O) is not 2, "7O" not 7.
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::string_view trimmed = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (parseNumber(trimmed))
        return {};
    return refused({ReasonCode::NotANumberTyped, std::string(field), 0, 0, 0, {}, std::string(text)});
}

std::string_view fieldOfTextBox(std::string_view name)
{
    static const std::pair<const char*, const char*> boxes[] = {
        {"Text1", "targetAngleDeg"},       {"Text2", "inherentFiltrationCm"},  {"Text3", "addedAlCm"},
        {"Text4", "addedCuCm"},            {"Text5", "tubeVoltageKv"},         {"Text6", "tubeCurrentMa"},
        {"Text7", "exposureTimeS"},        {"Text8", "focusReceptorDistanceCm"}, {"Text9", "focusSurfaceDistanceCm"},
        {"Text23", "bodyThicknessCm"},     {"Text10", "fieldLongCm"},          {"Text11", "fieldShortCm"}};
    for (const auto& [box, field] : boxes)
        if (name == box)
            return field;
    return {};
}

Check surfaceChoiceFault(const SurfaceChoice& s)
{
    const std::optional<RecordFault> fault = curvedSurfaceFault(s.surface, s.dimensionsCm, s.histories);
    return fault ? Check{Refusal::NotPhysical, fault->reason, fault->reasonJa} : Check{};
}

void applySurfaceChoice(const SurfaceChoice& s, ExposureConditions& c)
{
    c.surfaceCode = s.surface;
    const auto& d = s.dimensionsCm;
    if (s.surface == SurfaceCode::Cylinder) {
        c.cylinderRadiusCm = d[0];
    } else if (s.surface == SurfaceCode::EllipticCylinder) {
        c.ellipseHorizontalCm = d[0];
        c.ellipseVerticalCm = d[1];
    } else {
        c.racetrackACm = d[0];
        c.racetrackBCm = d[1];
        c.racetrackLengthCm = d[2];
    }
    c.mcHistories = s.histories;
}

double exposureFromMeasurement(double value, MeasuredUnit unit)
{
    switch (unit) {
    case MeasuredUnit::Roentgen:
        return value * kCoulombPerKgPerRoentgen;
    case MeasuredUnit::Gray:
        return value / kAirWOverE;
    case MeasuredUnit::CoulombPerKg:
        break;
    }
    return value;
}

bool setMeasuredExposure(ExposureConditions& c, double exposureCkg)
{
    if (!(exposureCkg > 0) || !std::isfinite(exposureCkg)) {
        c.exposureSource = ExposureSource::OutputTable;
        return false;
    }
    c.exposureSource = ExposureSource::Measured;
    c.exposureAt1m = exposureCkg;
    c.exposureAt1mSet = true;
    return true;
}

double pulsedAverageCurrentMa(double pulseCurrentMa, double pulseWidthMs, double pulsesPerSecond)
{
    return pulseCurrentMa * pulseWidthMs * pulsesPerSecond * 0.001; // mA x (ms x pps / 1000) duty
}

Check pulsedFluoroscopyFault(double pulseCurrentMa, double pulseWidthMs, double pulsesPerSecond)
{
    const std::tuple<double, const char*, const char*> values[] = {
        {pulseCurrentMa, "pulseCurrentMa", "mA"}, {pulseWidthMs, "pulseWidthMs", "ms"}, {pulsesPerSecond, "pulsesPerSecond", "pulses/s"}};
    for (const auto& [value, field, unit] : values)
        if (!std::isfinite(value) || !(value > 0))
            return refused({ReasonCode::NotPositive, field, value, 0, 0, unit, {}});
    // The pulses cannot take more than the whole second.
    if (pulseWidthMs * pulsesPerSecond * 0.001 > 1)
        return refused({ReasonCode::PulsesTooLong, "pulseWidthMs", pulseWidthMs, pulsesPerSecond, 0, "ms", {}});
    return {};
}

Check checkBeforeCalculation(const ExposureConditions& c)
{
    const std::optional<RecordFault> fault = exposureConditionsFault(c);
    if (!fault)
        return {};
    return {fault->kind == RecordFault::Kind::ThicknessExceedsGap ? Refusal::ThicknessExceedsGap : Refusal::NotPhysical,
            fault->reason, fault->reasonJa};
}

} // namespace velnor::form
