// "Velnor2PDD.dat" end to end: what the main program writes, the depth-dose
// calculation reads back to the same values.
#include "depthdose/DepthDose.h"
#include "main/dose/DepthDoseHandOff.h"

#include "common/TextFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velnor {
namespace {

TEST(HandOffRoundTrip, TheDepthDoseProgramReadsWhatTheMainProgramWrote)
{
    testing::TempFolder folder;
    ExposureConditions c;
    c.tubeVoltageKv = 82.5;
    c.focusReceptorDistanceCm = 120;
    c.focusSurfaceDistanceCm = 95.5;
    c.bodyThicknessCm = 21.3;
    c.fieldLongCm = 30.5;
    c.fieldShortCm = 25.4;
    c.bodyPart = "胸部正面";
    BinArray spectrum{};
    for (int e = 21; e <= 165; ++e)
        spectrum[static_cast<std::size_t>(e)] = 0.01 * std::exp(-0.001 * (e - 90) * (e - 90));
    writeDepthDoseHandOff(folder.path(), c, 1.2345, spectrum);
    EXPECT_EQ(readTextLines(folder / "Velnor2PDD.dat").size(), 308u);

    const pdd::HandOff h = pdd::readHandOff(folder / "Velnor2PDD.dat");
    EXPECT_DOUBLE_EQ(h.tubeVoltageKv, 82.5);
    EXPECT_DOUBLE_EQ(h.focusReceptorCm, 120);
    EXPECT_DOUBLE_EQ(h.focusSurfaceCm, 95.5);
    EXPECT_DOUBLE_EQ(h.thicknessCm, 21.3);
    EXPECT_DOUBLE_EQ(h.fieldLongCm, 30.5);
    EXPECT_DOUBLE_EQ(h.fieldShortCm, 25.4);
    EXPECT_DOUBLE_EQ(h.surfaceDoseMgy, 1.235); // "##0.000"
    for (int e = 1; e <= 300; ++e) // four significant digits ("0.000E+00")
        EXPECT_NEAR(h.spectrum[static_cast<std::size_t>(e)], spectrum[static_cast<std::size_t>(e)],
                    5e-4 * spectrum[static_cast<std::size_t>(e)] + 1e-300);
    EXPECT_EQ(h.bodyPart, "胸部正面");

    // A circular field hands over a short axis of 0; a comma cuts the body part.
    c.fieldShape = FieldShape::Circular;
    c.bodyPart = "腰椎,側面";
    writeDepthDoseHandOff(folder.path(), c, 1, spectrum);
    const pdd::HandOff circle = pdd::readHandOff(folder / "Velnor2PDD.dat");
    EXPECT_EQ(circle.fieldShortCm, 0);
    EXPECT_EQ(circle.bodyPart, "腰椎");
}

} // namespace
} // namespace velnor
