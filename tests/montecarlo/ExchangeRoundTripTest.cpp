// Every file the main program and the engine hand each other, written by one
// side and read by the other, in-process: the values arrive as sent.
#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "common/TextFile.h"
#include "main/dose/NonPlanarBackscatter.h"
#include "main/records/CalculationError.h"
#include "main/spectrum/SpectrumFile.h"
#include "montecarlo/JobFile.h"
#include "montecarlo/ResultFile.h"
#include "montecarlo/SpectrumWeights.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor {
namespace {

TEST(ExchangeRoundTrip, JobFileFromTheMainProgramReadsBackInTheEngine)
{
    testing::TempFolder folder;
    ExposureConditions c;
    c.surfaceCode = SurfaceCode::Cylinder;
    c.cylinderRadiusCm = 15;
    c.bodyThicknessCm = 20;
    c.focusSurfaceDistanceCm = 100;
    c.focusReceptorDistanceCm = 120;
    c.mcHistories = 1000000;
    writeTextLines(folder / files::kJob, jobFileLines(c, 30, 40));
    const mc::CylinderJob job = mc::readJobFile(findFileIgnoringCase(folder.path(), files::kJob));
    EXPECT_EQ(job.radiusCm, 15.0f);
    EXPECT_EQ(job.thicknessCm, 20.0f);
    EXPECT_EQ(job.focusSurfaceCm, 100.0f);
    EXPECT_EQ(job.focusReceptorCm, 120.0f);
    EXPECT_EQ(job.fieldAcrossCm, 30.0f); // line 5: the short axis, across the cylinder
    EXPECT_EQ(job.fieldAlongCm, 40.0f);
    EXPECT_EQ(job.histories, 1000000);
    EXPECT_EQ(mc::jobFault(job), "");
    // The job's one decimal: 35.56 cm travels as 35.6.
    writeTextLines(folder / files::kJob, jobFileLines(c, 35.56, 43.2));
    EXPECT_EQ(mc::readJobFile(folder / files::kJob).fieldAcrossCm, 35.6f);
}

TEST(ExchangeRoundTrip, SpectrumFileCarriesTheWeightsToFiveDecimals)
{
    testing::TempFolder folder;
    BinArray photons{};
    double sum = 0;
    for (int j = 10; j <= 160; ++j) {
        photons[static_cast<std::size_t>(j)] = std::exp(-0.5 * std::pow((j - 90) / 30.0, 2));
        sum += photons[static_cast<std::size_t>(j)];
    }
    for (double& p : photons)
        p /= sum;
    writeSpectrumFile(folder.path(), photons);
    const mc::SpectrumWeights w = mc::readSpectrumWeights(findFileIgnoringCase(folder.path(), files::kSpectrum));
    for (int j = 1; j <= 300; ++j) // 5 decimals in the file, renormalised by the engine
        EXPECT_NEAR(w[static_cast<std::size_t>(j)], photons[static_cast<std::size_t>(j)], 2e-5) << "bin " << j;
}

TEST(ExchangeRoundTrip, ResultFileOfTheEngineReadsBackInTheMainProgram)
{
    testing::TempFolder folder;
    mc::writeResultFile(folder.path(), 1.35624f, 1.34017f, 1.32999f);
    const BackscatterFactors f = readResultFile(folder.path());
    EXPECT_NEAR(f.air, 1.3562, 1e-9); // four decimals in the file
    EXPECT_NEAR(f.softTissue, 1.3402, 1e-9);
    EXPECT_NEAR(f.skin, 1.3300, 1e-9);
    // A factor that does not fit is seven asterisks: the main program refuses it.
    mc::writeResultFile(folder.path(), 123.0f, 1, 1);
    EXPECT_THROW(readResultFile(folder.path()), CalculationError);
}

} // namespace
} // namespace velnor
