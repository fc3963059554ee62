#include "main/dose/NonPlanarBackscatter.h"

#include "common/DataFileError.h"
#include "common/DisplayFormat.h"
#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "common/FreeFormatReader.h"
#include "common/TextFile.h"
#include "main/records/CalculationError.h"
#include "main/spectrum/SpectrumFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// The engine for the conditions' surface: in the working folder, else beside this program.
std::filesystem::path engineFor(const ExposureConditions& c, const std::filesystem::path& workingFolder)
{
    const std::string program = programForSurface(c.surfaceCode);
    if (program.empty())
        throw CalculationError(Reason{ReasonCode::NotACurvedSurface, "surfaceCode", static_cast<double>(codeOf(c.surfaceCode))});
    const std::filesystem::path path = locateProgram(program, workingFolder);
    if (path.empty())
        throw CalculationError(Reason{ReasonCode::EngineMissing, {}, 0, 0, 0, {}, program});
    return path;
}

// Clears the old result and writes the job into the folder the engine runs in.
void prepareRun(const ExposureConditions& c, double shortAxisCm, double longAxisCm, const std::filesystem::path& folder)
{
    removeFileQuietly(folder, files::kBackscatterResult);
    removeFileQuietly(folder, files::kBackscatterSd);
    writeTextLines(findFileIgnoringCase(folder, files::kJob), jobFileLines(c, shortAxisCm, longAxisCm));
}

// A folder of one run's own inside the working folder, removed with its
// files when the run is over: two runs in one working folder never read
// each other's job or result.
class RunFolder {
public:
    explicit RunFolder(const std::filesystem::path& workingFolder)
    {
        std::string name = (workingFolder / ".velnor-run-XXXXXX").string();
        if (!::mkdtemp(name.data()))
            throw DataFileError(workingFolder.string(), Reason{ReasonCode::FolderCannotCreate, {}, 0, 0, 0, {}, {}, std::strerror(errno)});
        m_path = name;
    }
    ~RunFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The histories of the engine's last progress line, " Progress: N / M histories".
std::optional<long long> historiesRun(const std::string& console)
{
    const std::size_t at = console.rfind("Progress: ");
    if (at == std::string::npos)
        return std::nullopt;
    long long done = 0, planned = 0;
    if (std::sscanf(console.c_str() + at, "Progress: %lld / %lld histories", &done, &planned) != 2 || done != planned)
        return std::nullopt;
    return done;
}

} // namespace

BackscatterFactors nonPlanarBackscatter(const ExposureConditions& c, double shortAxisCm, double longAxisCm,
                                        const std::filesystem::path& folder, ProgramLauncher& launcher,
                                        const std::function<void()>& waitForUser)
{
    const std::filesystem::path program = engineFor(c, folder);
    prepareRun(c, shortAxisCm, longAxisCm, folder);
    launcher.start(program, folder);
    if (waitForUser)
        waitForUser();
    return readResultFile(folder);
}

BackscatterFactors nonPlanarBackscatterToCompletion(const ExposureConditions& c, double shortAxisCm, double longAxisCm,
                                                    const std::filesystem::path& workingFolder, const BinArray& photonSpectrum)
{
    const std::filesystem::path program = engineFor(c, workingFolder);
    const RunFolder run(workingFolder);
    // The engine reads the spectrum, the tissue data and the coefficients
    // from the folder it runs in: its own spectrum, links to the tables.
    writeSpectrumFile(run.path(), photonSpectrum);
    for (const char* name : {files::kTissueData, files::kCoefficients}) {
        const std::filesystem::path table = std::filesystem::absolute(findFileIgnoringCase(workingFolder, name));
        std::error_code ec;
        std::filesystem::create_symlink(table, run.path() / table.filename(), ec);
    }
    prepareRun(c, shortAxisCm, longAxisCm, run.path());
    const std::string console = runToCompletion(program, run.path());
    BackscatterFactors factors = readResultFile(run.path());
    factors.histories = historiesRun(console);
    return factors;
}

} // namespace velnor
