#include "main/records/ExposureConditions.h"

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
