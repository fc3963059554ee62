#include "montecarlo/JobFile.h"

#include "common/DataFileError.h"
#include "common/FixedWidth.h"
#include "common/NumberReading.h"
#include "common/TextFile.h"
#include "montecarlo/ConsoleText.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace velnor::mc {
namespace {

// The first number on the line; the rest is ignored.
float firstNumber(const std::vector<std::string>& lines, int line, const std::string& file, int needed)
{
    if (line > static_cast<int>(lines.size()))
        throw DataFileError(file, line, Reason{ReasonCode::FileEndsEarly, {}, static_cast<double>(lines.size()), 0, static_cast<double>(needed)});
    const std::string& text = lines[static_cast<std::size_t>(line - 1)];
    std::size_t start = text.find_first_not_of(" \t");
    std::size_t end = start == std::string::npos ? start : text.find_first_of(" \t,", start);
    const std::string token = start == std::string::npos ? "" : text.substr(start, end - start);
    const std::optional<double> value = parseNumber(token);
    if (!value)
        throw DataFileError(file, line, Reason{ReasonCode::LineNotANumber, {}, 0, 0, 0, {}, text});
    return static_cast<float>(*value);
}

} // namespace

int shapeLineCount(SurfaceKind kind)
{
    switch (kind) {
    case SurfaceKind::Ellipse:
        return 2;
    case SurfaceKind::Racetrack:
        return 3;
    case SurfaceKind::Cylinder:
        break;
    }
    return 1;
}

EngineJob readEngineJob(const std::filesystem::path& path, SurfaceKind kind)
{
    const std::string file = path.filename().string();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw DataFileError(file, Reason{ReasonCode::FileNotInFolder});
    const std::vector<std::string> lines = readTextLines(path);
    const int k = shapeLineCount(kind);
    const int total = k + 6;
    EngineJob job;
    job.kind = kind;
    for (int i = 0; i < k; ++i)
        job.shapeCm[static_cast<std::size_t>(i)] = firstNumber(lines, i + 1, file, total);
    CylinderJob& c = job.common;
    c.radiusCm = job.shapeCm[0];
    c.thicknessCm = firstNumber(lines, k + 1, file, total);
    c.focusSurfaceCm = firstNumber(lines, k + 2, file, total);
    c.focusReceptorCm = firstNumber(lines, k + 3, file, total);
    c.fieldAcrossCm = firstNumber(lines, k + 4, file, total);
    c.fieldAlongCm = firstNumber(lines, k + 5, file, total);
    if (static_cast<int>(lines.size()) < total)
        throw DataFileError(file, total, Reason{ReasonCode::FileEndsEarly, {}, static_cast<double>(lines.size()), 0, static_cast<double>(total)});
    try {
        c.histories = readFixedInteger(lines[static_cast<std::size_t>(total - 1)], 1, 11);
    } catch (const RefusedValue& e) {
        throw DataFileError(file, total, e.wording());
    }
    return job;
}

CylinderJob readJobFile(const std::filesystem::path& path) { return readEngineJob(path, SurfaceKind::Cylinder).common; }

std::vector<std::string> jobEchoLines(const CylinderJob& job)
{
    return {
        " Curvature radius = " + widenedField(job.radiusCm, 6, 1) + " [cm]",
        " Thickness = " + widenedField(job.thicknessCm, 6, 1) + " [cm]",
        " Focus-Surface distance = " + widenedField(job.focusSurfaceCm, 5, 1) + " [cm]",
        " Focus - FPD distance   = " + widenedField(job.focusReceptorCm, 5, 1) + " [cm]",
        " Field size = " + widenedField(job.fieldAlongCm, 4, 1) + " ×" + widenedField(job.fieldAcrossCm, 4, 1) + " [cm2]",
        " History number = " + integerField(job.histories, 10),
    };
}

namespace {

std::string lengthFault(float value, const char* name, float largest)
{
    // The smallest length the main program writes ("000.0") is 0.1 cm; the
    // largest keep the 32-bit geometry of the source and the surface exact
    // enough (beyond them squares and products lose every digit).
    if (!std::isfinite(value) || !(value >= kMinLengthCm) || value > largest)
        return std::string(name) + " " + fixedField(value, 12, 4) + " cm: it must lie between "
            + fixedField(kMinLengthCm, 3, 1) + " and " + fixedField(largest, 6, 1) + " cm";
    return {};
}

// Everything of a job but its shape.
std::string commonFault(const CylinderJob& job)
{
    const std::pair<float, const char*> lengths[] = {
        {job.thicknessCm, "the thickness"},
        {job.focusSurfaceCm, "the focus-surface distance"},
        {job.focusReceptorCm, "the focus-receptor distance"},
    };
    for (const auto& [value, name] : lengths)
        if (std::string fault = lengthFault(value, name, kMaxLengthCm); !fault.empty())
            return fault;
    for (const auto& [value, name] : {std::pair{job.fieldAcrossCm, "the field size across"}, std::pair{job.fieldAlongCm, "the field size along"}})
        if (std::string fault = lengthFault(value, name, kMaxFieldCm); !fault.empty())
            return fault;
    if (!(job.focusSurfaceCm < job.focusReceptorCm))
        return "the focus-surface distance must be shorter than the focus-receptor distance";
    if (job.histories > kMaxHistories)
        return "the history count exceeds " + std::to_string(kMaxHistories);
    if (job.histories < 1)
        return "the history count must be at least 1";
    return {};
}

} // namespace

std::string jobFault(const CylinderJob& job)
{
    if (std::string fault = lengthFault(job.radiusCm, "the curvature radius", kMaxLengthCm); !fault.empty())
        return fault;
    return commonFault(job);
}

std::string jobFault(const EngineJob& job)
{
    static const char* const kNames[3][3] = {{"the curvature radius", "", ""},
                                            {"the horizontal semi-axis", "the vertical semi-axis", ""},
                                            {"the flat-top width a", "the height b", "the length"}};
    const int row = static_cast<int>(job.kind);
    for (int i = 0; i < shapeLineCount(job.kind); ++i) {
        const float v = job.shapeCm[static_cast<std::size_t>(i)];
        // A racetrack without a flat top is a cylinder of diameter b.
        if (job.kind == SurfaceKind::Racetrack && i == 0 && v == 0.0f)
            continue;
        if (std::string fault = lengthFault(v, kNames[row][i], kMaxLengthCm); !fault.empty())
            return fault;
    }
    return commonFault(job.common);
}

std::vector<std::string> jobEchoLines(const EngineJob& job)
{
    std::vector<std::string> lines;
    const auto& s = job.shapeCm;
    if (job.kind == SurfaceKind::Ellipse) {
        lines = {" Horizontal semi-axis = " + fixedField(s[0], 6, 1) + " [cm]", " Vertical semi-axis   = " + fixedField(s[1], 6, 1) + " [cm]"};
    } else if (job.kind == SurfaceKind::Racetrack) {
        lines = {" Flat top a = " + fixedField(s[0], 6, 1) + " [cm]", " Height b   = " + fixedField(s[1], 6, 1) + " [cm]",
                 " Length     = " + fixedField(s[2], 6, 1) + " [cm]"};
    }
    std::vector<std::string> common = jobEchoLines(job.common);
    if (job.kind != SurfaceKind::Cylinder)
        common.erase(common.begin()); // the radius line is the cylinder's
    lines.insert(lines.end(), common.begin(), common.end());
    return lines;
}

} // namespace velnor::mc
