// Exposures from DICOM completed into cases: what the file gives, what the
// user's settings give, and the same doses as the conditions typed in.
#include "main/form/DicomCase.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"
#include "main/dose/CalculationState.h"
#include "main/records/ReferenceLoader.h"
#include "tests/TempFolder.h"
#include "tests/dicom/DicomFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velnor::form {
namespace {

using testing::Attribute;
const std::filesystem::path kData = VELNOR_DATA_DIR;

bool listed(const std::vector<ValueOrigin>& list, const std::string& key)
{
    return std::any_of(list.begin(), list.end(), [&](const ValueOrigin& v) { return v.key == key; });
}

DoseResults computed(const ExposureConditions& conditions)
{
    static const StartupData startup = loadStartupData(kData);
    CalculationState state;
    state.tables = startup.tables;
    state.outputData = startup.outputData;
    state.conditions = conditions;
    state.calculate();
    return state.lastCase->dose;
}

TEST(DicomCase, AHeaderFillsTheCaseThatTheTypedConditionsGive)
{
    testing::TempFolder folder;
    testing::writeImage(folder / "abdomen.dcm", {{0x0018, 0x0060, "80"},
                                                 {0x0018, 0x1152, "20"},
                                                 {0x0018, 0x1110, "1000"},
                                                 {0x0018, 0x7050, "COPPER"},
                                                 {0x0018, 0x7052, "0.1"},
                                                 {0x0018, 0x0015, "ABDOMEN"},
                                                 {0x0018, 0x5101, "AP"},
                                                 {0x0040, 0x8302, "1.9"}});
    const DicomSettings settings = loadDicomSettings(kData);
    const dicom::Exposure e = dicom::readExposures(folder / "abdomen.dcm")[0];
    const DicomCase c = completeExposure(e, settings);
    EXPECT_EQ(c.conditions.bodyPart, "腹部正面");
    EXPECT_EQ(c.outputTable, "default-output.op");
    EXPECT_DOUBLE_EQ(c.conditions.tubeCurrentMa * c.conditions.exposureTimeS, 20);
    EXPECT_DOUBLE_EQ(c.conditions.bodyThicknessCm, 20);                 // the examination's default
    EXPECT_DOUBLE_EQ(c.conditions.focusSurfaceDistanceCm, 100 - 20 - 5); // FFD - thickness - the unit's gap
    EXPECT_DOUBLE_EQ(c.conditions.addedCuCm, 0.01);
    for (const char* key : {"tubeVoltageKv", "tubeCurrentMa", "exposureTimeS", "focusReceptorDistanceCm", "addedCuCm"})
        EXPECT_TRUE(listed(c.fromFile, key)) << key;
    for (const char* key : {"bodyPart", "bodyThicknessCm", "focusSurfaceDistanceCm", "fieldLongCm", "rectification", "inherentFiltrationCm",
                            "addedAlCm", "outputTable"})
        EXPECT_TRUE(listed(c.assumed, key)) << key;

    // The same conditions typed in give the same doses.
    ExposureConditions typed;
    typed.tubeVoltageKv = 80;
    typed.tubeCurrentMa = 200;
    typed.exposureTimeS = 0.1;
    typed.focusReceptorDistanceCm = 100;
    typed.focusSurfaceDistanceCm = 75;
    typed.bodyThicknessCm = 20;
    typed.inherentFiltrationCm = 0.25;
    typed.addedAlCm = 0;
    typed.addedCuCm = 0.01;
    typed.fieldLongCm = 43.2;
    typed.fieldShortCm = 35.6;
    typed.bodyPart = "腹部正面";
    const DoseResults fromFile = computed(c.conditions), fromTyping = computed(typed);
    EXPECT_NEAR(fromFile.esdAir, fromTyping.esdAir, 1e-12 * fromTyping.esdAir);
    EXPECT_NEAR(fromFile.esdSoftTissue, fromTyping.esdSoftTissue, 1e-12 * fromTyping.esdSoftTissue);

    // The system's entrance dose against our air kerma free in air at the
    // entrance plane; its dose-area product against that kerma times the
    // field's area there.
    const SystemComparison s = compareWithSystem(e, c.conditions, fromFile);
    EXPECT_NEAR(s.incidentAirKermaMgy, fromFile.esdAir / fromFile.bsfAir, 1e-12);
    EXPECT_NEAR(*s.entranceDoseRatio, 1.9 / s.incidentAirKermaMgy, 1e-12);
    EXPECT_NEAR(s.dapDgyCm2, 0.01 * s.incidentAirKermaMgy * 43.2 * 35.6 * 0.75 * 0.75, 1e-9);
    EXPECT_FALSE(s.dapRatio);
}

TEST(DicomCase, WhatCannotBeAssumedIsRefusedWithItsReason)
{
    const DicomSettings settings = loadDicomSettings(kData);
    dicom::Exposure e;
    e.bodyPartExamined = "CHEST";
    e.viewPosition = "PA";
    auto reason = [&](const dicom::Exposure& x) -> std::string {
        try {
            completeExposure(x, settings);
        } catch (const WordedError& error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_NE(reason(e).find("no tube voltage"), std::string::npos);
    e.tubeVoltageKv = dicom::Reading{120, "KVP"};
    EXPECT_NE(reason(e).find("neither mAs nor tube current and time"), std::string::npos);
    e.tubeCurrentMa = dicom::Reading{200, "current"};
    EXPECT_NE(reason(e).find("neither mAs"), std::string::npos); // current without time
    e.exposureTimeS = dicom::Reading{0.01, "time"};
    EXPECT_EQ(reason(e), "accepted");
    e.anodeMaterial = "MOLYBDENUM";
    EXPECT_NE(reason(e).find("tungsten"), std::string::npos);
    e.anodeMaterial.clear();
    e.bodyPartExamined = "KNEE";
    EXPECT_NE(reason(e).find("KNEE PA"), std::string::npos) << reason(e);
    // A Japanese protocol name finds its body part.
    e.protocolName = "腰椎側面 立位";
    EXPECT_EQ(completeExposure(e, settings).conditions.bodyPart, "腰椎側面");
}

TEST(DicomCase, SettingsFilesAreCheckedLineByLine)
{
    auto line = [](auto parse, std::vector<std::string> lines) {
        try {
            parse(lines, "f.txt");
        } catch (const DataFileError& e) {
            return e.lineNumber();
        }
        return 0;
    };
    const std::string roomHeader = "装置,出力データ,整流方式,ターゲット角度(度),固有濾過(mmAl),射出面から受像面(cm)";
    EXPECT_EQ(line(parseRooms, {roomHeader, "R1,a.op,1,12,2.5,5"}), 0);
    EXPECT_EQ(line(parseRooms, {roomHeader, "R1,a.op,4,12,2.5,5"}), 2);
    EXPECT_EQ(line(parseRooms, {roomHeader, "", "R1,../a.op,1,12,2.5,5"}), 3);
    EXPECT_EQ(line(parseRooms, {roomHeader, "R1,a.op,1,95,2.5,5"}), 2);
    EXPECT_EQ(line(parseRooms, {roomHeader, ",a.op,1,12,2.5,5"}), 2);
    const std::string ruleHeader = "部位,方向,プロトコル名に含む語,撮影部位,体厚(cm),FFD(cm),長軸(cm),短軸(cm)";
    EXPECT_EQ(line(parseBodyPartRules, {ruleHeader, "CHEST,PA,,胸部正面,20,180,43.2,35.6"}), 0);
    EXPECT_EQ(line(parseBodyPartRules, {ruleHeader, "CHEST,PA,,胸部正面,0,180,43.2,35.6"}), 2);
    EXPECT_EQ(line(parseBodyPartRules, {ruleHeader, "CHEST,PA,,,20,180,43.2,35.6"}), 2);
    EXPECT_EQ(line(parseBodyPartRules, {ruleHeader, "CHEST,PA,,胸部正面,20,x,43.2,35.6"}), 2);
    // The shipped settings map every shipped body part.
    const DicomSettings settings = loadDicomSettings(kData);
    for (const std::string& part : readTextLines(kData / "撮影部位.txt"))
        EXPECT_TRUE(std::any_of(settings.rules.begin(), settings.rules.end(), [&](const BodyPartRule& r) { return r.bodyPart == part; }))
            << part;
}

} // namespace
} // namespace velnor::form
