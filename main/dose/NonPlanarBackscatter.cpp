#include "main/dose/NonPlanarBackscatter.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "common/FreeFormatReader.h"
#include "common/TextFile.h"
#include "main/records/CalculationError.h"

namespace velnor {

std::string programForSurface(SurfaceCode surface)
{
    switch (surface) {
    case SurfaceCode::Cylinder:
        return "bsfmc_cylinder";
    case SurfaceCode::EllipticCylinder:
        return "bsfmc_ellipse";
    case SurfaceCode::Racetrack:
        return "bsfmc_racetrack";
    default:
        return {};
    }
}

std::vector<std::string> jobFileLines(const ExposureConditions& c, double shortAxisCm, double longAxisCm)
{
    std::vector<double> leading;
    switch (c.surfaceCode) {
    case SurfaceCode::Cylinder:
        leading = {c.cylinderRadiusCm};
        break;
    case SurfaceCode::EllipticCylinder:
        leading = {c.ellipseHorizontalCm, c.ellipseVerticalCm};
        break;
    case SurfaceCode::Racetrack:
        leading = {c.racetrackACm, c.racetrackBCm, c.racetrackLengthCm};
        break;
    default:
        return {};
    }
    std::vector<std::string> lines;
    for (double v : leading)
        lines.push_back(formatNumber(v, "000.0"));
    for (double v : {c.bodyThicknessCm, c.focusSurfaceDistanceCm, c.focusReceptorDistanceCm, shortAxisCm, longAxisCm})
        lines.push_back(formatNumber(v, "000.0"));
    lines.push_back(formatNumber(c.mcHistories, "00000000000"));
    return lines;
}

namespace {

// The engines' side file; an engine that leaves none gives factors without
// standard deviations.
void readStandardDeviations(const std::filesystem::path& folder, BackscatterFactors& f)
{
    const std::filesystem::path path = findFileIgnoringCase(folder, files::kBackscatterSd);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return;
    try {
        FreeFormatReader reader = FreeFormatReader::fromFile(path);
        const double air = reader.readNumber(), soft = reader.readNumber(), skin = reader.readNumber();
        f.airSd = air;
        f.softTissueSd = soft;
        f.skinSd = skin;
    } catch (const DataFileError&) {
        // A side file that is there but unreadable gives no deviations.
        f.airSd.reset();
        f.softTissueSd.reset();
        f.skinSd.reset();
    }
}

} // namespace

BackscatterFactors readResultFile(const std::filesystem::path& folder)
{
    const std::filesystem::path path = findFileIgnoringCase(folder, files::kBackscatterResult);
    try {
        FreeFormatReader reader = FreeFormatReader::fromFile(path);
        BackscatterFactors f;
        f.air = reader.readNumber();
        f.softTissue = reader.readNumber();
        f.skin = reader.readNumber();
        readStandardDeviations(folder, f);
        // Whatever wrote the file, its numbers must be factors.
        if (const auto fault = backscatterFactorsFault(f))
            throw DataFileError(path.filename().string(), fault->wording());
        return f;
    } catch (const DataFileError& e) {
        throw CalculationError(worded(Reason{ReasonCode::EngineResultUnreadable}, wordingOf(e)));
    }
}

namespace {

// Clears the old result, writes the job and finds the engine; returns its path.
std::filesystem::path prepareRun(const ExposureConditions& c, double shortAxisCm, double longAxisCm,
                                 const std::filesystem::path& folder)
{
    removeFileQuietly(folder, files::kBackscatterResult);
    removeFileQuietly(folder, files::kBackscatterSd);
    const std::string program = programForSurface(c.surfaceCode);
    if (program.empty())
        throw CalculationError(Reason{ReasonCode::NotACurvedSurface, "surfaceCode", static_cast<double>(codeOf(c.surfaceCode))});
    const std::filesystem::path path = locateProgram(program, folder);
    if (path.empty())
        throw CalculationError(Reason{ReasonCode::EngineMissing, {}, 0, 0, 0, {}, program});
    writeTextLines(findFileIgnoringCase(folder, files::kJob), jobFileLines(c, shortAxisCm, longAxisCm));
    return path;
}

} // namespace

BackscatterFactors nonPlanarBackscatter(const ExposureConditions& c, double shortAxisCm, double longAxisCm,
                                        const std::filesystem::path& folder, ProgramLauncher& launcher,
                                        const std::function<void()>& waitForUser)
{
    const std::filesystem::path program = prepareRun(c, shortAxisCm, longAxisCm, folder);
    launcher.start(program, folder);
    if (waitForUser)
        waitForUser();
    return readResultFile(folder);
}

BackscatterFactors nonPlanarBackscatterToCompletion(const ExposureConditions& c, double shortAxisCm, double longAxisCm,
                                                    const std::filesystem::path& folder)
{
    runToCompletion(prepareRun(c, shortAxisCm, longAxisCm, folder), folder);
    return readResultFile(folder);
}

} // namespace velnor
