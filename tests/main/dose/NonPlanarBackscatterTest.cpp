#include "main/dose/NonPlanarBackscatter.h"

#include "common/TextFile.h"
#include "main/records/CalculationError.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace velnor {
namespace {

ExposureConditions cylinderCase()
{
    ExposureConditions c;
    c.incidenceMode = velnor::IncidenceMode::NonPlanar;
    c.surfaceCode = velnor::SurfaceCode::Cylinder;
    c.cylinderRadiusCm = 20;
    c.bodyThicknessCm = 20;
    c.focusSurfaceDistanceCm = 80;
    c.focusReceptorDistanceCm = 100;
    c.mcHistories = 50000000;
    return c;
}

TEST(JobFileLines, EachSurfaceModelLeadsWithItsDimensions)
{
    EXPECT_EQ(jobFileLines(cylinderCase(), 35.6, 43.2),
              (std::vector<std::string>{"020.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00050000000"}));
    ExposureConditions c = cylinderCase();
    c.surfaceCode = velnor::SurfaceCode::EllipticCylinder;
    c.ellipseHorizontalCm = 30;
    c.ellipseVerticalCm = 20;
    EXPECT_EQ(jobFileLines(c, 30, 40).front(), "030.0");
    EXPECT_EQ(jobFileLines(c, 30, 40).size(), 8u);
    c.surfaceCode = velnor::SurfaceCode::Racetrack;
    c.racetrackACm = 20;
    c.racetrackBCm = 80;
    c.racetrackLengthCm = 1234.5;
    EXPECT_EQ(jobFileLines(c, 30, 40)[2], "1234.5");
    EXPECT_EQ(jobFileLines(c, 30, 40).size(), 9u);
    c.surfaceCode = velnor::SurfaceCode::FlatHead;
    EXPECT_TRUE(jobFileLines(c, 30, 40).empty());
    EXPECT_EQ(programForSurface(velnor::SurfaceCode::Cylinder), "bsfmc_cylinder");
    EXPECT_EQ(programForSurface(velnor::SurfaceCode::FlatBody), "");
}

// Stands in for the engine: checks that no old result is left, then writes one.
class FakeEngine : public ProgramLauncher {
public:
    explicit FakeEngine(std::vector<std::string> result) : m_result(std::move(result)) {}
    void start(const std::filesystem::path& program, const std::filesystem::path& folder) override
    {
        started = program.filename().string();
        staleResultSeen = std::filesystem::exists(folder / "resultBSF.txt") || std::filesystem::exists(folder / "ResultBSF.txt");
        jobLines = readTextLines(folder / "joken.txt");
        writeTextLines(folder / "ResultBSF.txt", m_result);
    }
    std::string started;
    bool staleResultSeen = true;
    std::vector<std::string> jobLines;

private:
    std::vector<std::string> m_result;
};

void makeProgram(const std::filesystem::path& path)
{
    writeTextLines(path, {"#!/bin/sh"});
    ::chmod(path.c_str(), 0755);
}

TEST(NonPlanarBackscatter, WritesTheJobStartsTheEngineWaitsAndReads)
{
    testing::TempFolder folder;
    makeProgram(folder / "bsfmc_cylinder");
    writeTextLines(folder / "resultBSF.txt", {"9.9999", "9.9999", "9.9999"}); // other cases' results,
    writeTextLines(folder / "ResultBSF.txt", {"8.8888", "8.8888", "8.8888"}); // in both spellings
    FakeEngine engine({" 1.3562", " 1.3401", " 1.3300"});
    int waits = 0;
    const BackscatterFactors f = nonPlanarBackscatter(cylinderCase(), 35.6, 43.2, folder.path(), engine, [&] { ++waits; });
    EXPECT_EQ(engine.started, "bsfmc_cylinder");
    EXPECT_FALSE(engine.staleResultSeen);
    EXPECT_EQ(engine.jobLines.size(), 7u);
    EXPECT_EQ(waits, 1);
    EXPECT_DOUBLE_EQ(f.air, 1.3562);
    EXPECT_DOUBLE_EQ(f.softTissue, 1.3401);
    EXPECT_DOUBLE_EQ(f.skin, 1.33);
}

TEST(NonPlanarBackscatter, FailuresNeverShowAnotherCasesFactors)
{
    testing::TempFolder folder;
    int waits = 0;
    auto wait = [&] { ++waits; };
    // No engine for the surface, or the engine missing: fails before the wait.
    FakeEngine engine({"1", "1", "1"});
    ExposureConditions c = cylinderCase();
    EXPECT_TRUE(locateProgram("bsfmc_missing", folder.path()).empty());
    c.surfaceCode = velnor::SurfaceCode::FlatBody;
    writeTextLines(folder / "resultBSF.txt", {"1.5", "1.5", "1.5"});
    EXPECT_THROW(nonPlanarBackscatter(c, 30, 40, folder.path(), engine, wait), CalculationError);
    EXPECT_EQ(waits, 0);
    EXPECT_TRUE(engine.started.empty());

    // OK pressed before the engine has written its result: nothing to read.
    makeProgram(folder / "bsfmc_cylinder");
    class SlowEngine : public ProgramLauncher {
        void start(const std::filesystem::path&, const std::filesystem::path&) override {}
    } slow;
    writeTextLines(folder / "resultBSF.txt", {"1.5", "1.5", "1.5"});
    EXPECT_THROW(nonPlanarBackscatter(cylinderCase(), 30, 40, folder.path(), slow, wait), CalculationError);
    // A factor too wide for its field is written as asterisks: not a number.
    FakeEngine wide({"*******", " 1.3", " 1.3"});
    EXPECT_THROW(nonPlanarBackscatter(cylinderCase(), 30, 40, folder.path(), wide, wait), CalculationError);
    FakeEngine shortResult({" 1.3", " 1.3"});
    EXPECT_THROW(nonPlanarBackscatter(cylinderCase(), 30, 40, folder.path(), shortResult, wait), CalculationError);
}

// Whatever writes the result file, its numbers must be backscatter factors
// (at least 1, below 3) with finite, non-negative deviations.
TEST(NonPlanarBackscatter, TheResultFileIsCheckedBeforeUse)
{
    testing::TempFolder folder;
    makeProgram(folder / "bsfmc_cylinder");
    for (const std::vector<std::string>& result :
         {std::vector<std::string>{"-16.2", "1.3", "1.3"}, {"1.3", "0.5", "1.3"}, {"1.3", "1.3", "3.5"}, {"1.3", "1.3", "1e400"}}) {
        FakeEngine engine(result);
        try {
            nonPlanarBackscatter(cylinderCase(), 30, 40, folder.path(), engine, [] {});
            ADD_FAILURE() << result[0] << " " << result[1] << " " << result[2] << " was taken";
        } catch (const CalculationError& e) {
            EXPECT_NE(std::string(e.what()).find("ResultBSF.txt"), std::string::npos) << e.what();
            // The window's wording names the file and the fault in Japanese.
            EXPECT_EQ(e.japanese().rfind("モンテカルロ計算の結果を読めません：「ResultBSF.txt」", 0), 0u) << e.japanese();
            EXPECT_EQ(e.japanese().find("it must"), std::string::npos) << e.japanese();
        }
    }
    for (const char* sd : {"-0.01", "nan"}) {
        FakeEngine engine({"1.3", "1.3", "1.3"});
        class WithDeviations : public ProgramLauncher {
        public:
            WithDeviations(FakeEngine& engine, std::string sd) : m_engine(engine), m_sd(std::move(sd)) {}
            void start(const std::filesystem::path& program, const std::filesystem::path& folder) override
            {
                m_engine.start(program, folder);
                writeTextLines(folder / "ResultBSF_SD.txt", {"0.01", m_sd, "0.01"});
            }

        private:
            FakeEngine& m_engine;
            std::string m_sd;
        } launcher(engine, sd);
        const bool readable = std::string(sd) != "nan"; // "nan" is no number: no deviations at all
        if (readable)
            EXPECT_THROW(nonPlanarBackscatter(cylinderCase(), 30, 40, folder.path(), launcher, [] {}), CalculationError) << sd;
        else
            EXPECT_FALSE(nonPlanarBackscatter(cylinderCase(), 30, 40, folder.path(), launcher, [] {}).softTissueSd);
    }
}

} // namespace
} // namespace velnor
