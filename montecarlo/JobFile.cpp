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
float firstNumber(const std::vector<std::string>& lines, int line, const std::string& file)
{
    if (line > static_cast<int>(lines.size()))
        throw DataFileError(file, line, "the job has only " + std::to_string(lines.size()) + " lines; it needs 7");
    const std::string& text = lines[static_cast<std::size_t>(line - 1)];
    std::size_t start = text.find_first_not_of(" \t");
    std::size_t end = start == std::string::npos ? start : text.find_first_of(" \t,", start);
    const std::string token = start == std::string::npos ? "" : text.substr(start, end - start);
    const std::optional<double> value = parseNumber(token);
    if (!value)
        throw DataFileError(file, line, "\"" + text + "\" does not begin with a number");
    return static_cast<float>(*value);
}

} // namespace

CylinderJob readJobFile(const std::filesystem::path& path)
{
    const std::string file = path.filename().string();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw DataFileError(file, "cannot be opened: there is no such file in the working folder");
    const std::vector<std::string> lines = readTextLines(path);
    CylinderJob job;
    job.radiusCm = firstNumber(lines, 1, file);
    job.thicknessCm = firstNumber(lines, 2, file);
    job.focusSurfaceCm = firstNumber(lines, 3, file);
    job.focusReceptorCm = firstNumber(lines, 4, file);
    job.fieldAcrossCm = firstNumber(lines, 5, file);
    job.fieldAlongCm = firstNumber(lines, 6, file);
    if (lines.size() < 7)
        throw DataFileError(file, 7, "the job has only " + std::to_string(lines.size()) + " lines; it needs 7");
    try {
        job.histories = readFixedInteger(lines[6], 1, 11);
    } catch (const std::invalid_argument& e) {
        throw DataFileError(file, 7, e.what());
    }
    return job;
}

std::vector<std::string> jobEchoLines(const CylinderJob& job)
{
    return {
        " Curvature radius = " + fixedField(job.radiusCm, 6, 1) + " [cm]",
        " Thickness = " + fixedField(job.thicknessCm, 6, 1) + " [cm]",
        " Focus-Surface distance = " + fixedField(job.focusSurfaceCm, 5, 1) + " [cm]",
        " Focus - FPD distance   = " + fixedField(job.focusReceptorCm, 5, 1) + " [cm]",
        " Field size = " + fixedField(job.fieldAlongCm, 4, 1) + " ×" + fixedField(job.fieldAcrossCm, 4, 1) + " [cm2]",
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

} // namespace

std::string jobFault(const CylinderJob& job)
{
    const std::pair<float, const char*> lengths[] = {
        {job.radiusCm, "the curvature radius"},
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

} // namespace velnor::mc
