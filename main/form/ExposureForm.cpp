#include "main/form/ExposureForm.h"

#include "common/DisplayFormat.h"
#include "common/NumberReading.h"

#include <algorithm>
#include <cmath>

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

std::string cm(double v) { return formatAsIs(v) + " cm"; }

// The first reason among the conditions' numbers, or empty.
std::string notPhysical(const ExposureConditions& c)
{
    const std::pair<double, const char*> numbers[] = {
        {c.targetAngleDeg, "target angle"},
        {c.inherentFiltrationCm, "inherent filtration"},
        {c.addedAlCm, "added aluminium"},
        {c.addedCuCm, "added copper"},
        {c.otherFilterCm, "other filter thickness"},
        {c.tubeVoltageKv, "tube voltage"},
        {c.tubeCurrentMa, "tube current"},
        {c.exposureTimeS, "exposure time"},
        {c.focusReceptorDistanceCm, "focus-receptor distance"},
        {c.focusSurfaceDistanceCm, "focus-surface distance"},
        {c.bodyThicknessCm, "body thickness"},
        {c.fieldLongCm.value_or(0.0), "long-axis field size"},
        {c.fieldShortCm.value_or(0.0), "short-axis field size"},
    };
    for (const auto& [value, name] : numbers)
        if (!std::isfinite(value))
            return std::string(name) + " is not a finite number";
    const std::pair<double, const char*> filters[] = {
        {c.inherentFiltrationCm, "inherent filtration"},
        {c.addedAlCm, "added aluminium"},
        {c.addedCuCm, "added copper"},
        {c.otherFilterCm, "other filter thickness"},
    };
    for (const auto& [value, name] : filters)
        if (value < 0)
            return std::string(name) + " " + formatAsIs(10 * value) + " mm: a filter cannot be thinner than nothing";
    if (c.exposureSource == ExposureSource::OutputTable) {
        if (!(c.tubeCurrentMa > 0))
            return "tube current " + formatAsIs(c.tubeCurrentMa) + " mA: it must be positive";
        if (!(c.exposureTimeS > 0))
            return "exposure time " + formatAsIs(c.exposureTimeS) + " s: it must be positive";
    } else if (!(c.exposureAt1m > 0) || !std::isfinite(c.exposureAt1m) || !c.exposureAt1mSet) {
        return "measured exposure " + formatAsIs(c.exposureAt1m) + " C/kg: it must be positive";
    }
    if (!(c.focusSurfaceDistanceCm > 0))
        return "focus-surface distance " + cm(c.focusSurfaceDistanceCm) + ": it must be positive";
    if (!(c.bodyThicknessCm > 0))
        return "body thickness " + cm(c.bodyThicknessCm) + ": it must be positive";
    const double longCm = c.fieldLongCm.value_or(0.0), shortCm = c.fieldShortCm.value_or(0.0);
    if (c.fieldShape == FieldShape::Circular) {
        if (!(longCm > 0))
            return "field diameter " + cm(longCm) + ": it must be positive";
    } else if (!(longCm > 0) || !(shortCm > 0)) {
        return "field size " + formatAsIs(longCm) + " x " + cm(shortCm) + ": both sides must be positive";
    }
    return {};
}

// The engines' limits, for a curved surface.
std::string notRunnable(const ExposureConditions& c)
{
    if (c.surfaceCode != SurfaceCode::Cylinder && c.surfaceCode != SurfaceCode::EllipticCylinder
        && c.surfaceCode != SurfaceCode::Racetrack)
        return "no curved surface has been chosen (surface code " + std::to_string(codeOf(c.surfaceCode)) + ")";
    SurfaceChoice choice;
    choice.surface = c.surfaceCode;
    choice.histories = c.mcHistories;
    if (c.surfaceCode == SurfaceCode::Cylinder)
        choice.dimensionsCm = {c.cylinderRadiusCm, 1, 1};
    else if (c.surfaceCode == SurfaceCode::EllipticCylinder)
        choice.dimensionsCm = {c.ellipseHorizontalCm, c.ellipseVerticalCm, 1};
    else
        choice.dimensionsCm = {c.racetrackACm, c.racetrackBCm, c.racetrackLengthCm};
    if (std::string fault = surfaceChoiceFault(choice); !fault.empty())
        return fault;
    for (const auto& [value, name] : {std::pair{c.focusReceptorDistanceCm, "focus-receptor distance"},
                                      std::pair{c.focusSurfaceDistanceCm, "focus-surface distance"},
                                      std::pair{c.bodyThicknessCm, "body thickness"}})
        if (value > kMaxEngineLengthCm)
            return std::string(name) + " " + cm(value) + ": the Monte Carlo programs take at most "
                + cm(kMaxEngineLengthCm);
    for (const auto& [value, name] : {std::pair{c.fieldLongCm.value_or(0.0), "long-axis field size"},
                                      std::pair{c.fieldShortCm.value_or(0.0), "short-axis field size"}})
        if (value > kMaxEngineFieldCm)
            return std::string(name) + " " + cm(value) + ": the Monte Carlo programs take at most "
                + cm(kMaxEngineFieldCm);
    return {};
}

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

std::string surfaceChoiceFault(const SurfaceChoice& s)
{
    static const char* const kNames[3][3] = {
        {"cylinder radius", "", ""},
        {"horizontal semi-axis", "vertical semi-axis", ""},
        {"racetrack width a", "racetrack height b", "racetrack length"},
    };
    int count = 0, row = 0;
    switch (s.surface) {
    case SurfaceCode::Cylinder:
        count = 1;
        break;
    case SurfaceCode::EllipticCylinder:
        count = 2, row = 1;
        break;
    case SurfaceCode::Racetrack:
        count = 3, row = 2;
        break;
    default:
        return "surface code " + std::to_string(codeOf(s.surface)) + " is not a curved surface";
    }
    for (int i = 0; i < count; ++i) {
        const double v = s.dimensionsCm[static_cast<std::size_t>(i)];
        const bool flatTop = s.surface == SurfaceCode::Racetrack && i == 0; // a flat top of 0 is a cylinder
        const std::string name = kNames[row][i];
        if (!std::isfinite(v) || (flatTop ? v < 0 : !(v > 0)))
            return name + " " + formatAsIs(v) + " cm: it must be " + (flatTop ? "0 or more" : "positive");
        if (v > kMaxEngineLengthCm)
            return name + " " + formatAsIs(v) + " cm: the Monte Carlo programs take at most " + cm(kMaxEngineLengthCm);
    }
    if (!(s.histories >= 1) || s.histories > kMaxHistories || s.histories != std::floor(s.histories))
        return "history count " + formatAsIs(s.histories) + ": it must be a whole number from 1 to 2147483647";
    return {};
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

Check checkBeforeCalculation(const ExposureConditions& c)
{
    const double gap = c.focusReceptorDistanceCm - c.focusSurfaceDistanceCm;
    // Equal thickness and gap are accepted; "equal" allows for the decimal
    // rounding of typed values (120 - 100.2 is 19.799999999999997).
    const double tolerance = 1e-9 * std::max({1.0, std::fabs(c.focusReceptorDistanceCm), std::fabs(c.focusSurfaceDistanceCm)});
    if (c.bodyThicknessCm > gap + tolerance)
        return {Refusal::ThicknessExceedsGap, "the body thickness " + cm(c.bodyThicknessCm) + " is larger than FFD - FSD ("
                                                  + formatAsIs(c.focusReceptorDistanceCm) + " - " + cm(c.focusSurfaceDistanceCm) + ")"};
    if (std::string reason = notPhysical(c); !reason.empty())
        return {Refusal::NotPhysical, reason};
    if (c.incidenceMode == IncidenceMode::NonPlanar)
        if (std::string reason = notRunnable(c); !reason.empty())
            return {Refusal::NotPhysical, reason};
    return {};
}

} // namespace velnor::form
