// The main window's rules without a window: the same rules serve velnor-calc.
#include "main/form/ExposureForm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velnor::form {
namespace {

TEST(ExposureForm, TextBoxesFillTheirFieldsInStoredUnits)
{
    ExposureConditions c;
    EXPECT_TRUE(readField("Text2", "2,5", c)); // reading stops at the comma
    EXPECT_DOUBLE_EQ(c.inherentFiltrationCm, 0.2);
    EXPECT_TRUE(readField("Text4", "0.5 mm", c));
    EXPECT_DOUBLE_EQ(c.addedCuCm, 0.05);
    EXPECT_TRUE(readField("Text23", "abc", c));
    EXPECT_EQ(c.bodyThicknessCm, 0);
    EXPECT_TRUE(readField("Text10", "", c));
    EXPECT_EQ(c.fieldLongCm, std::optional<double>(0.0));
    EXPECT_FALSE(readField("Label65", "1", c));
    readOtherFilterLabel("0.5", c);
    EXPECT_DOUBLE_EQ(c.otherFilterCm, 0.05);
    // Every field the calculation reads again is a text box of the form.
    for (const char* name : kCalculationFields)
        EXPECT_TRUE(readField(name, "1", c)) << name;
}

TEST(ExposureForm, PresetsAndTheCircularFieldRule)
{
    ExposureConditions c;
    ASSERT_TRUE(choosePreset("四切サイズ 横", c));
    EXPECT_EQ(c.fieldLongCm, std::optional<double>(25.4));
    EXPECT_EQ(c.fieldShortCm, std::optional<double>(30.5));
    EXPECT_EQ(c.fieldShape, FieldShape::Rectangular);

    ASSERT_TRUE(choosePreset(kOtherPreset, c));
    EXPECT_FALSE(c.fieldLongCm);
    EXPECT_EQ(c.fieldPresetName, kOtherPreset);

    c.incidenceMode = IncidenceMode::NonPlanar;
    ASSERT_TRUE(choosePreset(kCircularPreset, c));
    EXPECT_EQ(c.incidenceMode, IncidenceMode::Planar); // a circular field is planar
    EXPECT_EQ(c.fieldShape, FieldShape::Circular);
    EXPECT_EQ(c.fieldLongCm, std::optional<double>(10.0));

    // Non-planar with a circular field: the square preset instead, still planar.
    EXPECT_FALSE(chooseNonPlanar(c));
    EXPECT_EQ(c.incidenceMode, IncidenceMode::Planar);
    EXPECT_EQ(c.fieldPresetName, kSquarePreset);
    EXPECT_EQ(c.fieldShape, FieldShape::Rectangular);
    EXPECT_EQ(c.fieldShortCm, std::optional<double>(35.6));
    EXPECT_TRUE(chooseNonPlanar(c));
    EXPECT_EQ(c.incidenceMode, IncidenceMode::NonPlanar);

    EXPECT_FALSE(choosePreset("A3", c)); // not in the list: nothing changes
    EXPECT_EQ(c.fieldPresetName, kSquarePreset);
}

TEST(ExposureForm, SurfaceDialogRefusesWhatNoEngineCanRun)
{
    SurfaceChoice s{SurfaceCode::Cylinder, {20, 0, 0}, 50000000};
    EXPECT_EQ(surfaceChoiceFault(s).reason, "");
    const struct {
        SurfaceChoice choice;
        const char* reason;
    } refused[] = {
        {{SurfaceCode::Cylinder, {0, 0, 0}, 1e6}, "cylinder radius"},
        {{SurfaceCode::Cylinder, {-5, 0, 0}, 1e6}, "cylinder radius"},
        {{SurfaceCode::EllipticCylinder, {30, 0, 0}, 1e6}, "vertical semi-axis"},
        {{SurfaceCode::Racetrack, {20, 80, 0}, 1e6}, "racetrack length"},
        {{SurfaceCode::Racetrack, {-1, 80, 40}, 1e6}, "racetrack width"},
        {{SurfaceCode::Cylinder, {20, 0, 0}, 0}, "history count"},
        {{SurfaceCode::Cylinder, {20, 0, 0}, 99999}, "history count"}, // too few to give a factor
        {{SurfaceCode::Cylinder, {0.05, 0, 0}, 1e6}, "cylinder radius"}, // below the job file's 0.1 cm
        {{SurfaceCode::Cylinder, {20, 0, 0}, 2147483648.0}, "history count"},
        {{SurfaceCode::Cylinder, {20, 0, 0}, 100000.5}, "history count"},
        {{SurfaceCode::Cylinder, {std::nan(""), 0, 0}, 1e6}, "cylinder radius"},
        {{SurfaceCode::Cylinder, {5000, 0, 0}, 1e6}, "at most"},
    };
    for (const auto& r : refused)
        EXPECT_NE(surfaceChoiceFault(r.choice).reason.find(r.reason), std::string::npos) << r.reason << ": " << surfaceChoiceFault(r.choice).reason;
    // A racetrack's flat top may be 0 (it is then a cylinder of diameter b).
    EXPECT_EQ(surfaceChoiceFault({SurfaceCode::Racetrack, {0, 40, 80}, 1e6}).reason, "");

    ExposureConditions c;
    applySurfaceChoice({SurfaceCode::EllipticCylinder, {30, 20, 0}, 1e7}, c);
    EXPECT_EQ(c.surfaceCode, SurfaceCode::EllipticCylinder);
    EXPECT_EQ(c.ellipseVerticalCm, 20);
    EXPECT_EQ(c.mcHistories, 1e7);
}

TEST(ExposureForm, ThicknessCheckAllowsEqualityUpToRounding)
{
    ExposureConditions c; // FFD 100, FSD 80, thickness 20
    EXPECT_FALSE(checkBeforeCalculation(c));
    c.bodyThicknessCm = 20.1;
    EXPECT_EQ(checkBeforeCalculation(c).refusal, Refusal::ThicknessExceedsGap);
    c.focusReceptorDistanceCm = 120;
    c.focusSurfaceDistanceCm = 100.2;
    c.bodyThicknessCm = 19.8; // 120 - 100.2 is 19.799999999999997 in binary
    EXPECT_FALSE(checkBeforeCalculation(c)) << checkBeforeCalculation(c).reason;
    c.bodyThicknessCm = 19.81;
    EXPECT_EQ(checkBeforeCalculation(c).refusal, Refusal::ThicknessExceedsGap);
}

TEST(ExposureForm, ValuesWithoutPhysicalMeaningAreRefusedByName)
{
    const struct {
        void (*change)(ExposureConditions&);
        const char* reason;
    } cases[] = {
        {[](ExposureConditions& c) { c.tubeCurrentMa = 0; }, "tube current"},
        {[](ExposureConditions& c) { c.bodyThicknessCm = 0; }, "body thickness"},
        {[](ExposureConditions& c) { c.fieldLongCm.reset(); }, "field size"}, // "その他" with nothing typed
        {[](ExposureConditions& c) { c.otherFilterCm = -0.1; }, "other filter"},
        {[](ExposureConditions& c) { c.tubeVoltageKv = std::numeric_limits<double>::infinity(); }, "tube voltage"},
        {[](ExposureConditions& c) {
             c.exposureSource = ExposureSource::Measured;
             c.exposureAt1m = -2e-4;
             c.exposureAt1mSet = true;
         },
         "measured exposure"},
        {[](ExposureConditions& c) {
             c.fieldShape = FieldShape::Circular;
             c.fieldLongCm = 0.0;
             c.fieldShortCm = 0.0;
         },
         "diameter"},
    };
    for (const auto& t : cases) {
        ExposureConditions c;
        t.change(c);
        const Check check = checkBeforeCalculation(c);
        EXPECT_EQ(check.refusal, Refusal::NotPhysical) << t.reason;
        EXPECT_NE(check.reason.find(t.reason), std::string::npos) << check.reason;
    }
    ExposureConditions measured;
    measured.exposureSource = ExposureSource::Measured;
    measured.exposureAt1m = 2.58e-4;
    measured.exposureAt1mSet = true;
    measured.tubeCurrentMa = 0; // not used with a measured exposure
    EXPECT_FALSE(checkBeforeCalculation(measured));
}

TEST(ExposureForm, CurvedSurfacesNeedARunnableEngineJob)
{
    ExposureConditions c;
    c.incidenceMode = IncidenceMode::NonPlanar;
    c.surfaceCode = SurfaceCode::Cylinder;
    c.cylinderRadiusCm = 20;
    c.mcHistories = 0;
    EXPECT_NE(checkBeforeCalculation(c).reason.find("history count"), std::string::npos);
    c.mcHistories = 1e6;
    EXPECT_FALSE(checkBeforeCalculation(c));
    c.focusReceptorDistanceCm = 1e30;
    c.focusSurfaceDistanceCm = 1e30 - 100;
    EXPECT_NE(checkBeforeCalculation(c).reason.find("between 1 and 1000 cm"), std::string::npos) << checkBeforeCalculation(c).reason;
    c = ExposureConditions{};
    c.incidenceMode = IncidenceMode::NonPlanar;
    c.surfaceCode = SurfaceCode::FlatHead;
    EXPECT_NE(checkBeforeCalculation(c).reason.find("no curved surface"), std::string::npos);
}

// The fewest histories follow the field: the scoring disc (0.5 cm radius)
// takes pi 0.25 / 4 of a quadrant of 17.28 x 14.24 cm (the start-up field at
// 80 of 100 cm): 0.080 %, so 150 expected photons need 188 000 histories.
TEST(ExposureForm, TheFewestHistoriesFollowTheFieldAndDistance)
{
    ExposureConditions c;
    c.incidenceMode = IncidenceMode::NonPlanar;
    c.surfaceCode = SurfaceCode::Cylinder;
    c.cylinderRadiusCm = 15;
    EXPECT_EQ(minimumMcHistories(c), 200000);
    c.mcHistories = 100000;
    const Check refused = checkBeforeCalculation(c);
    EXPECT_NE(refused.reason.find("give at least 200000"), std::string::npos) << refused.reason;
    EXPECT_NE(refused.reasonJa.find("200000 以上"), std::string::npos) << refused.reasonJa;
    c.cylinderRadiusCm = 5; // the field across is cut to the radius
    EXPECT_EQ(minimumMcHistories(c), 100000);
    c.fieldLongCm = c.fieldShortCm = 0.5; // a field smaller than the disc: every photon scores
    EXPECT_EQ(minimumMcHistories(c), 100000);
    c.fieldLongCm = c.fieldShortCm = 200;
    c.cylinderRadiusCm = 100;
    EXPECT_EQ(minimumMcHistories(c), 4900000); // 80 x 80 cm: 150 / (0.196 / 6400)
}

} // namespace
} // namespace velnor::form
