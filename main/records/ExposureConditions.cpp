#include "main/records/ExposureConditions.h"

#include "common/DisplayFormat.h"
#include "common/Reasons.h"
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

// A fault worded from the table of reasons; `recordField` when the field that
// names it is not the record's (a circular field's diameter is fieldLongCm).
RecordFault fault(Reason r, const char* recordField = nullptr, RecordFault::Kind kind = RecordFault::Kind::NotPhysical)
{
    return {kind, recordField ? recordField : r.field, inEnglish(r), inJapanese(r)};
}

// A value within [low, high].
std::optional<RecordFault> outside(double value, double low, double high, const char* field, const char* unit,
                                   const char* recordField = nullptr)
{
    if (value >= low && value <= high)
        return std::nullopt;
    return fault({ReasonCode::OutOfRange, field, value, low, high, unit, {}}, recordField);
}

} // namespace

std::optional<RecordFault> curvedSurfaceFault(SurfaceCode surface, const std::array<double, 3>& d, double histories)
{
    std::vector<const char*> fields;
    switch (surface) {
    case SurfaceCode::Cylinder:
        fields = {"cylinderRadiusCm"};
        break;
    case SurfaceCode::EllipticCylinder:
        fields = {"ellipseHorizontalCm", "ellipseVerticalCm"};
        break;
    case SurfaceCode::Racetrack:
        fields = {"racetrackACm", "racetrackBCm", "racetrackLengthCm"};
        break;
    default:
        return fault({ReasonCode::NotACurvedSurface, "surfaceCode", static_cast<double>(codeOf(surface)), 0, 0, {}, {}});
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const double v = d[i];
        const bool flatTop = surface == SurfaceCode::Racetrack && i == 0; // a flat top of 0 is a cylinder
        if (!std::isfinite(v))
            return fault({ReasonCode::NotFinite, fields[i], v, 0, 0, "cm", {}});
        if (flatTop ? v < 0 : v < limits::kMinEngineLengthCm)
            return fault({flatTop ? ReasonCode::NotNegative : ReasonCode::AtLeast, fields[i], v, limits::kMinEngineLengthCm, 0, "cm", {}});
        if (v > limits::kMaxEngineLengthCm)
            return fault({ReasonCode::AtMost, fields[i], v, 0, limits::kMaxEngineLengthCm, "cm", {}});
    }
    if (!(histories >= limits::kMinHistories) || histories > limits::kMaxHistories || histories != std::floor(histories))
        return fault({ReasonCode::WholeNumberRange, "mcHistories", histories, limits::kMinHistories, limits::kMaxHistories, {}, {}});
    return std::nullopt;
}

std::optional<RecordFault> exposureConditionsFault(const ExposureConditions& c)
{
    const std::pair<double, const char*> numbers[] = {
        {c.targetAngleDeg, "targetAngleDeg"},
        {c.inherentFiltrationCm, "inherentFiltrationCm"},
        {c.addedAlCm, "addedAlCm"},
        {c.addedCuCm, "addedCuCm"},
        {c.otherFilterCm, "otherFilterCm"},
        {c.tubeVoltageKv, "tubeVoltageKv"},
        {c.tubeCurrentMa, "tubeCurrentMa"},
        {c.exposureTimeS, "exposureTimeS"},
        {c.focusReceptorDistanceCm, "focusReceptorDistanceCm"},
        {c.focusSurfaceDistanceCm, "focusSurfaceDistanceCm"},
        {c.bodyThicknessCm, "bodyThicknessCm"},
        {c.fieldLongCm.value_or(0.0), "fieldLongCm"},
        {c.fieldShortCm.value_or(0.0), "fieldShortCm"},
        {c.exposureAt1m, "exposureAt1m"},
    };
    for (const auto& [value, field] : numbers)
        if (!std::isfinite(value))
            return fault({ReasonCode::NotFinite, field, value, 0, 0, {}, {}});

    // The body must fit between the entrance surface and the receptor.
    // "Fits" allows for the decimal rounding of typed values (120 - 100.2 is
    // 19.799999999999997).
    const double gap = c.focusReceptorDistanceCm - c.focusSurfaceDistanceCm;
    const double tolerance = 1e-9 * std::max({1.0, std::fabs(c.focusReceptorDistanceCm), std::fabs(c.focusSurfaceDistanceCm)});
    if (c.bodyThicknessCm > gap + tolerance)
        return fault({ReasonCode::ThicknessExceedsGap, "bodyThicknessCm", c.bodyThicknessCm, c.focusReceptorDistanceCm,
                      c.focusSurfaceDistanceCm, "cm", {}},
                     nullptr, RecordFault::Kind::ThicknessExceedsGap);

    if (!(c.targetAngleDeg > 0 && c.targetAngleDeg < 90))
        return fault({ReasonCode::OutOfRange, "targetAngleDeg", c.targetAngleDeg, 0, 90, "degrees", {}});
    const std::pair<double, const char*> filters[] = {
        {c.inherentFiltrationCm, "inherentFiltrationCm"},
        {c.addedAlCm, "addedAlCm"},
        {c.addedCuCm, "addedCuCm"},
        {c.otherFilterCm, "otherFilterCm"},
    };
    for (const auto& [value, field] : filters) {
        if (value < 0)
            return fault({ReasonCode::NegativeFilter, field, 10 * value, 0, 0, "mm", {}});
        if (value > limits::kMaxFiltrationCm)
            return fault({ReasonCode::AtMost, field, 10 * value, 0, 10 * limits::kMaxFiltrationCm, "mm", {}});
    }
    if (auto f = outside(c.tubeVoltageKv, limits::kMinVoltageKv, limits::kMaxVoltageKv, "tubeVoltageKv", "kV"))
        return f;
    // The current and time make the exposure only with the tube output table;
    // a measured exposure replaces them.
    if (c.exposureSource == ExposureSource::OutputTable) {
        if (auto f = outside(c.tubeCurrentMa, limits::kMinCurrentMa, limits::kMaxCurrentMa, "tubeCurrentMa", "mA"))
            return f;
        if (auto f = outside(c.exposureTimeS, limits::kMinTimeS, limits::kMaxTimeS, "exposureTimeS", "s"))
            return f;
    } else if (!c.exposureAt1mSet || !(c.exposureAt1m > 0) || c.exposureAt1m > limits::kMaxExposureCkg) {
        return fault({ReasonCode::MeasuredExposure, "exposureAt1m", c.exposureAt1m, 0, limits::kMaxExposureCkg, "C/kg", {}});
    }
    if (auto f = outside(c.focusReceptorDistanceCm, limits::kMinDistanceCm, limits::kMaxDistanceCm, "focusReceptorDistanceCm", "cm"))
        return f;
    if (auto f = outside(c.focusSurfaceDistanceCm, limits::kMinDistanceCm, limits::kMaxDistanceCm, "focusSurfaceDistanceCm", "cm"))
        return f;
    if (auto f = outside(c.bodyThicknessCm, limits::kMinThicknessCm, limits::kMaxThicknessCm, "bodyThicknessCm", "cm"))
        return f;
    // An empty size ("-", the "その他" preset before a size was typed) counts as 0.
    const bool circular = c.fieldShape == FieldShape::Circular;
    if (auto f = outside(c.fieldLongCm.value_or(0.0), limits::kMinFieldCm, limits::kMaxFieldCm,
                         circular ? "fieldDiameterCm" : "fieldLongCm", "cm", "fieldLongCm"))
        return f;
    if (!circular)
        if (auto f = outside(c.fieldShortCm.value_or(0.0), limits::kMinFieldCm, limits::kMaxFieldCm, "fieldShortCm", "cm"))
            return f;

    const std::pair<const std::string*, const char*> texts[] = {
        {&c.bodyPart, "bodyPart"}, {&c.fieldPresetName, "fieldPresetName"}, {&c.otherFilterName, "otherFilterName"}};
    for (const auto& [text, field] : texts)
        if (holdsControlCharacter(*text))
            return fault({ReasonCode::ControlCharacter, field, 0, 0, 0, {}, {}});

    if (c.headPhantom != 0 && c.headPhantom != 1)
        return fault({ReasonCode::PhantomCode, "headPhantom", static_cast<double>(c.headPhantom), 0, 0, {}, {}});
    if (c.incidenceMode == IncidenceMode::NonPlanar) {
        std::array<double, 3> d{};
        if (c.surfaceCode == SurfaceCode::Cylinder)
            d = {c.cylinderRadiusCm, 0, 0};
        else if (c.surfaceCode == SurfaceCode::EllipticCylinder)
            d = {c.ellipseHorizontalCm, c.ellipseVerticalCm, 0};
        else
            d = {c.racetrackACm, c.racetrackBCm, c.racetrackLengthCm};
        if (auto f = curvedSurfaceFault(c.surfaceCode, d, c.mcHistories))
            return f;
        const double needed = minimumMcHistories(c);
        if (c.mcHistories < needed)
            return fault({ReasonCode::HistoriesTooFewForField, "mcHistories", c.mcHistories, needed, 0, {}, {}});
    }
    return std::nullopt;
}

double minimumMcHistories(const ExposureConditions& c)
{
    constexpr double kDiscRadiusCm = 0.5;       // the engines' scoring disc
    constexpr double kExpectedPhotons = 150;    // for the 100 the engines need
    constexpr double kStep = 100000;
    const double ffd = c.focusReceptorDistanceCm, fsd = c.focusSurfaceDistanceCm;
    if (!(ffd > 0) || !(fsd > 0))
        return limits::kMinHistories;
    // The engines' job: short axis across, long axis along the body.
    double halfAcross = 0.5 * c.fieldShortCm.value_or(0.0) * fsd / ffd;
    const double halfAlong = 0.5 * c.fieldLongCm.value_or(0.0) * fsd / ffd;
    if (c.surfaceCode == SurfaceCode::Cylinder)
        halfAcross = std::min(halfAcross, c.cylinderRadiusCm);
    else if (c.surfaceCode == SurfaceCode::EllipticCylinder)
        halfAcross = std::min(halfAcross, c.ellipseHorizontalCm);
    else if (c.surfaceCode == SurfaceCode::Racetrack)
        halfAcross = std::min(halfAcross, 0.5 * (c.racetrackACm + c.racetrackBCm));
    if (!(halfAcross > 0) || !(halfAlong > 0))
        return limits::kMinHistories; // the job itself is refused by its engine
    // The share of one quadrant of the field that lies in the disc: the
    // quarter disc cut by the field, by the midpoint rule.
    constexpr int kSlices = 400;
    const double xEnd = std::min(halfAcross, kDiscRadiusCm), dx = xEnd / kSlices;
    double inDisc = 0;
    for (int i = 0; i < kSlices; ++i) {
        const double x = (i + 0.5) * dx;
        inDisc += std::min(halfAlong, std::sqrt(kDiscRadiusCm * kDiscRadiusCm - x * x)) * dx;
    }
    const double share = inDisc / (halfAcross * halfAlong);
    const double histories = std::ceil(kExpectedPhotons / share / kStep) * kStep;
    return std::clamp(histories, limits::kMinHistories, limits::kMaxHistories);
}

} // namespace velnor
