#include "montecarlo/JobFile.h"

#include "common/DataFileError.h"
#include "common/FixedWidth.h"
#include "common/NumberReading.h"
#include "common/TextFile.h"
#include "montecarlo/ConsoleText.h"

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
    const std::vector<std::string> lines = std::filesystem::exists(path, ec) ? readTextLines(path) : std::vector<std::string>{};
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

std::string jobFault(const CylinderJob& job)
{
    if (!(job.radiusCm > 0))
        return "the curvature radius must be positive";
    if (!(job.fieldAcrossCm > 0) || !(job.fieldAlongCm > 0))
        return "the field sizes must be positive";
    if (!(job.focusSurfaceCm > 0) || !(job.focusReceptorCm > 0))
        return "the focus distances must be positive";
    if (job.histories > kMaxHistories)
        return "the history count exceeds " + std::to_string(kMaxHistories);
    if (job.histories < 0)
        return "the history count is negative";
    return {};
}

} // namespace velnor::mc
