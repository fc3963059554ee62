#include "main/records/ExposureConditions.h"

#include "common/DisplayFormat.h"
#include "common/TextEncoding.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace velnor {

std::optional<Rectification> rectificationFromCode(long long code)
{
    if (code >= 1 && code <= 3)
        return static_cast<Rectification>(code);
    return std::nullopt;
}

std::optional<SurfaceCode> surfaceFromCode(long long code)
{
    if (code >= 0 && code <= 4)
        return static_cast<SurfaceCode>(code);
    return std::nullopt;
}

std::optional<ExposureSource> exposureSourceFromCode(long long code)
{
    if (code == 1 || code == 2)
        return static_cast<ExposureSource>(code);
    return std::nullopt;
}

std::optional<IncidenceMode> incidenceFromCode(long long code)
{
    if (code == 1 || code == 2)
        return static_cast<IncidenceMode>(code);
    return std::nullopt;
}

std::optional<FieldShape> fieldShapeFromCode(long long code)
{
    if (code == 1 || code == 2)
        return static_cast<FieldShape>(code);
    return std::nullopt;
}

} // namespace velnor

namespace velnor {
namespace {

std::string cm(double v) { return formatAsIs(v) + " cm"; }

RecordFault fault(const char* field, std::string reason) { return {RecordFault::Kind::NotPhysical, field, std::move(reason)}; }

// A value within [low, high]; the text names it with its unit.
std::optional<RecordFault> outside(double value, double low, double high, const char* field, const char* name, const char* unit)
{
    if (value >= low && value <= high)
        return std::nullopt;
    return fault(field, std::string(name) + " " + formatAsIs(value) + " " + unit + ": it must lie between " + formatAsIs(low)
                            + " and " + formatAsIs(high) + " " + unit);
}

} // namespace

std::optional<RecordFault> curvedSurfaceFault(SurfaceCode surface, const std::array<double, 3>& d, double histories)
{
    struct Dimension {
        const char* field;
        const char* name;
    };
    std::vector<Dimension> names;
    switch (surface) {
    case SurfaceCode::Cylinder:
        names = {{"cylinderRadiusCm", "cylinder radius"}};
        break;
    case SurfaceCode::EllipticCylinder:
        names = {{"ellipseHorizontalCm", "horizontal semi-axis"}, {"ellipseVerticalCm", "vertical semi-axis"}};
        break;
    case SurfaceCode::Racetrack:
        names = {{"racetrackACm", "racetrack width a"}, {"racetrackBCm", "racetrack height b"}, {"racetrackLengthCm", "racetrack length"}};
        break;
    default:
        return fault("surfaceCode", "surface code " + std::to_string(codeOf(surface)) + " is not a curved surface");
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const double v = d[i];
        const bool flatTop = surface == SurfaceCode::Racetrack && i == 0; // a flat top of 0 is a cylinder
        if (!std::isfinite(v) || (flatTop ? v < 0 : v < limits::kMinEngineLengthCm))
            return fault(names[i].field, std::string(names[i].name) + " " + formatAsIs(v) + " cm: it must be "
                                             + (flatTop ? "0 or more" : "at least " + cm(limits::kMinEngineLengthCm)));
        if (v > limits::kMaxEngineLengthCm)
            return fault(names[i].field, std::string(names[i].name) + " " + formatAsIs(v)
                                             + " cm: the Monte Carlo programs take at most " + cm(limits::kMaxEngineLengthCm));
    }
    if (!(histories >= limits::kMinHistories) || histories > limits::kMaxHistories || histories != std::floor(histories))
        return fault("mcHistories", "history count " + formatAsIs(histories) + ": it must be a whole number from "
                                        + formatAsIs(limits::kMinHistories) + " to 2147483647");
    return std::nullopt;
}

std::optional<RecordFault> exposureConditionsFault(const ExposureConditions& c)
{
    struct Number {
        double value;
        const char* field;
        const char* name;
    };
    const Number numbers[] = {
        {c.targetAngleDeg, "targetAngleDeg", "target angle"},
        {c.inherentFiltrationCm, "inherentFiltrationCm", "inherent filtration"},
        {c.addedAlCm, "addedAlCm", "added aluminium"},
        {c.addedCuCm, "addedCuCm", "added copper"},
        {c.otherFilterCm, "otherFilterCm", "other filter thickness"},
        {c.tubeVoltageKv, "tubeVoltageKv", "tube voltage"},
        {c.tubeCurrentMa, "tubeCurrentMa", "tube current"},
        {c.exposureTimeS, "exposureTimeS", "exposure time"},
        {c.focusReceptorDistanceCm, "focusReceptorDistanceCm", "focus-receptor distance"},
        {c.focusSurfaceDistanceCm, "focusSurfaceDistanceCm", "focus-surface distance"},
        {c.bodyThicknessCm, "bodyThicknessCm", "body thickness"},
        {c.fieldLongCm.value_or(0.0), "fieldLongCm", "long-axis field size"},
        {c.fieldShortCm.value_or(0.0), "fieldShortCm", "short-axis field size"},
        {c.exposureAt1m, "exposureAt1m", "exposure at 1 m"},
    };
    for (const Number& n : numbers)
        if (!std::isfinite(n.value))
            return fault(n.field, std::string(n.name) + " is not a finite number");

    // The body must fit between the entrance surface and the receptor.
    // "Fits" allows for the decimal rounding of typed values (120 - 100.2 is
    // 19.799999999999997).
    const double gap = c.focusReceptorDistanceCm - c.focusSurfaceDistanceCm;
    const double tolerance = 1e-9 * std::max({1.0, std::fabs(c.focusReceptorDistanceCm), std::fabs(c.focusSurfaceDistanceCm)});
    if (c.bodyThicknessCm > gap + tolerance)
        return RecordFault{RecordFault::Kind::ThicknessExceedsGap, "bodyThicknessCm",
                           "the body thickness " + cm(c.bodyThicknessCm) + " is larger than FFD - FSD ("
                               + formatAsIs(c.focusReceptorDistanceCm) + " - " + cm(c.focusSurfaceDistanceCm) + ")"};

    if (!(c.targetAngleDeg > 0 && c.targetAngleDeg < 90))
        return fault("targetAngleDeg", "target angle " + formatAsIs(c.targetAngleDeg) + " degrees: it must lie between 0 and 90");
    const std::pair<double, const char*> filters[] = {
        {c.inherentFiltrationCm, "inherentFiltrationCm"},
        {c.addedAlCm, "addedAlCm"},
        {c.addedCuCm, "addedCuCm"},
        {c.otherFilterCm, "otherFilterCm"},
    };
    const char* const filterNames[] = {"inherent filtration", "added aluminium", "added copper", "other filter thickness"};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& [value, field] = filters[i];
        if (value < 0)
            return fault(field, std::string(filterNames[i]) + " " + formatAsIs(10 * value) + " mm: a filter cannot be thinner than nothing");
        if (value > limits::kMaxFiltrationCm)
            return fault(field, std::string(filterNames[i]) + " " + formatAsIs(10 * value) + " mm: it must be at most "
                                    + formatAsIs(10 * limits::kMaxFiltrationCm) + " mm");
    }
    if (auto f = outside(c.tubeVoltageKv, limits::kMinVoltageKv, limits::kMaxVoltageKv, "tubeVoltageKv", "tube voltage", "kV"))
        return f;
    // The current and time make the exposure only with the tube output table;
    // a measured exposure replaces them.
    if (c.exposureSource == ExposureSource::OutputTable) {
        if (auto f = outside(c.tubeCurrentMa, limits::kMinCurrentMa, limits::kMaxCurrentMa, "tubeCurrentMa", "tube current", "mA"))
            return f;
        if (auto f = outside(c.exposureTimeS, limits::kMinTimeS, limits::kMaxTimeS, "exposureTimeS", "exposure time", "s"))
            return f;
    } else if (!c.exposureAt1mSet || !(c.exposureAt1m > 0) || c.exposureAt1m > limits::kMaxExposureCkg) {
        return fault("exposureAt1m", "measured exposure " + formatAsIs(c.exposureAt1m) + " C/kg: it must be positive and at most "
                                         + formatAsIs(limits::kMaxExposureCkg) + " C/kg");
    }
    if (auto f = outside(c.focusReceptorDistanceCm, limits::kMinDistanceCm, limits::kMaxDistanceCm, "focusReceptorDistanceCm",
                         "focus-receptor distance", "cm"))
        return f;
    if (auto f = outside(c.focusSurfaceDistanceCm, limits::kMinDistanceCm, limits::kMaxDistanceCm, "focusSurfaceDistanceCm",
                         "focus-surface distance", "cm"))
        return f;
    if (auto f = outside(c.bodyThicknessCm, limits::kMinThicknessCm, limits::kMaxThicknessCm, "bodyThicknessCm", "body thickness", "cm"))
        return f;
    // An empty size ("-", the "その他" preset before a size was typed) counts as 0.
    if (auto f = outside(c.fieldLongCm.value_or(0.0), limits::kMinFieldCm, limits::kMaxFieldCm, "fieldLongCm",
                         c.fieldShape == FieldShape::Circular ? "field diameter" : "long-axis field size", "cm"))
        return f;
    if (c.fieldShape == FieldShape::Rectangular)
        if (auto f = outside(c.fieldShortCm.value_or(0.0), limits::kMinFieldCm, limits::kMaxFieldCm, "fieldShortCm",
                             "short-axis field size", "cm"))
            return f;

    const std::pair<const std::string*, const char*> texts[] = {
        {&c.bodyPart, "bodyPart"}, {&c.fieldPresetName, "fieldPresetName"}, {&c.otherFilterName, "otherFilterName"}};
    for (const auto& [text, field] : texts)
        if (holdsControlCharacter(*text))
            return fault(field, std::string(field) + " holds a line break or another control character; it is one field of the results file");

    if (c.headPhantom != 0 && c.headPhantom != 1)
        return fault("headPhantom", "phantom code " + std::to_string(c.headPhantom) + ": it must be 0 (body) or 1 (head)");
    if (c.incidenceMode == IncidenceMode::NonPlanar) {
        std::array<double, 3> d{};
        if (c.surfaceCode == SurfaceCode::Cylinder)
            d = {c.cylinderRadiusCm, 0, 0};
        else if (c.surfaceCode == SurfaceCode::EllipticCylinder)
            d = {c.ellipseHorizontalCm, c.ellipseVerticalCm, 0};
        else
            d = {c.racetrackACm, c.racetrackBCm, c.racetrackLengthCm};
        if (c.surfaceCode != SurfaceCode::Cylinder && c.surfaceCode != SurfaceCode::EllipticCylinder
            && c.surfaceCode != SurfaceCode::Racetrack)
            return fault("surfaceCode", "no curved surface has been chosen (surface code " + std::to_string(codeOf(c.surfaceCode)) + ")");
        if (auto f = curvedSurfaceFault(c.surfaceCode, d, c.mcHistories))
            return f;
    }
    return std::nullopt;
}

} // namespace velnor
