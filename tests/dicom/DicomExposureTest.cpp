// Exposures read from image headers and dose reports, the texts of a
// Japanese site, and files that cannot be used.
#include "dicom/CharacterSets.h"
#include "dicom/DicomExposure.h"

#include "common/Reasons.h"
#include "common/TextFile.h"
#include "tests/TempFolder.h"
#include "tests/dicom/DicomFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace velnor::dicom {
namespace {

using testing::Attribute;
using testing::EventItem;

std::string refusal(const std::filesystem::path& file)
{
    try {
        readExposures(file);
    } catch (const WordedError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(DicomImage, ReadsTheExposureWhicheverWayItIsRecorded)
{
    testing::TempFolder folder;
    // Current and time, distances, a copper filter, the collimated field.
    testing::writeImage(folder / "a.dcm", {{0x0018, 0x0060, "80"},
                                           {0x0018, 0x1151, "250"},
                                           {0x0018, 0x1150, "32"},
                                           {0x0018, 0x1110, "1150"},
                                           {0x0040, 0x0306, "870"},
                                           {0x0018, 0x11A0, "205"},
                                           {0x0018, 0x7050, "ALUMINUM\\COPPER"},
                                           {0x0018, 0x7052, "1.0\\0.1"},
                                           {0x0018, 0x7054, "1.0\\0.1"},
                                           {0x0018, 0x1164, "0.15\\0.15"},
                                           {0x0018, 0x1702, "100"},
                                           {0x0018, 0x1704, "2433"},
                                           {0x0018, 0x1706, "50"},
                                           {0x0018, 0x1708, "2917"},
                                           {0x0040, 0x8302, "1.23"},
                                           {0x0018, 0x115E, "1.85"},
                                           {0x0018, 0x1411, "420"},
                                           {0x0018, 0x1413, "-0.4"},
                                           {0x0018, 0x0015, "ABDOMEN"},
                                           {0x0018, 0x5101, "AP"},
                                           {0x0008, 0x1010, "DR-ROOM1"}});
    const std::vector<Exposure> a = readExposures(folder / "a.dcm");
    ASSERT_EQ(a.size(), 1u);
    const Exposure& e = a[0];
    EXPECT_DOUBLE_EQ(e.tubeVoltageKv->value, 80);
    EXPECT_EQ(e.tubeVoltageKv->source, "(0018,0060) KVP");
    EXPECT_DOUBLE_EQ(e.tubeCurrentMa->value, 250);
    EXPECT_DOUBLE_EQ(e.exposureTimeS->value, 0.032);
    EXPECT_FALSE(e.exposureMas);
    EXPECT_DOUBLE_EQ(e.sourceDetectorCm->value, 115);
    EXPECT_DOUBLE_EQ(e.sourceEntranceCm->value, 87);
    EXPECT_DOUBLE_EQ(e.thicknessCm->value, 20.5);
    ASSERT_EQ(e.filters.size(), 2u);
    EXPECT_EQ(e.filters[1].material, "COPPER");
    EXPECT_DOUBLE_EQ(*e.filters[1].thicknessMm, 0.1);
    EXPECT_NEAR(e.fieldWidthCm->value, 34.995, 1e-9);
    EXPECT_NEAR(e.fieldHeightCm->value, 43.005, 1e-9);
    EXPECT_DOUBLE_EQ(e.entranceDoseMgy->value, 1.23);
    EXPECT_DOUBLE_EQ(e.dapDgyCm2->value, 1.85);
    EXPECT_DOUBLE_EQ(e.deviationIndex->value, -0.4);
    EXPECT_EQ(e.bodyPartExamined, "ABDOMEN");
    EXPECT_EQ(e.stationName, "DR-ROOM1");

    // mAs alone; then microampere-seconds, microamperes and time in ms as FD.
    testing::writeImage(folder / "b.dcm", {{0x0018, 0x0060, "120"}, {0x0018, 0x1152, "4"}});
    const Exposure b = readExposures(folder / "b.dcm")[0];
    EXPECT_DOUBLE_EQ(b.exposureMas->value, 4);
    EXPECT_FALSE(b.tubeCurrentMa || b.exposureTimeS || b.sourceDetectorCm || b.sourceEntranceCm);
    testing::writeImage(folder / "c.dcm", {{0x0018, 0x0060, "120"}, {0x0018, 0x1153, "3200"}, {0x0018, 0x8151, "400000"}});
    const Exposure c = readExposures(folder / "c.dcm")[0];
    EXPECT_DOUBLE_EQ(c.exposureMas->value, 3.2);
    EXPECT_DOUBLE_EQ(c.tubeCurrentMa->value, 400);
    EXPECT_EQ(c.exposureMas->source, "(0018,1153) Exposure in uAs");
}

TEST(DicomImage, JapaneseTextsInEveryCharacterSetASiteMeets)
{
    const std::string kanji = testing::iso2022jp("胸部正面 立位");
    EXPECT_EQ(decodeText(kanji, "\\ISO 2022 IR 87"), "胸部正面 立位");
    EXPECT_EQ(decodeText(kanji, "ISO 2022 IR 6\\ISO 2022 IR 87"), "胸部正面 立位");
    // Half-width katakana in G1 (ISO_IR 13), with kanji after an escape.
    EXPECT_EQ(decodeText("\xB7\xAE\xB3\xCA\xDF" + kanji, "ISO_IR 13\\ISO 2022 IR 87"), "ｷｮｳﾊﾟ胸部正面 立位");
    EXPECT_EQ(decodeText("\xB7\xAE\xB3", "ISO_IR 13"), "ｷｮｳ");
    EXPECT_EQ(decodeText("Th\xF6rax", "ISO_IR 100"), "Thörax");
    EXPECT_EQ(decodeText("胸部", "ISO_IR 192"), "胸部");
    EXPECT_EQ(decodeText("chest", ""), "chest");
    // Bytes a set does not define become U+FFFD: a faulty text never stops a read.
    EXPECT_EQ(decodeText("a\xFF", ""), "a\xEF\xBF\xBD");
    EXPECT_EQ(decodeText("\x1B$B\x21", "\\ISO 2022 IR 87"), "\xEF\xBF\xBD");

    testing::TempFolder folder;
    testing::writeImage(folder / "jp.dcm", {{0x0008, 0x0005, "\\ISO 2022 IR 87"}, {0x0018, 0x1030, kanji}, {0x0018, 0x0060, "120"}});
    EXPECT_EQ(readExposures(folder / "jp.dcm")[0].protocolName, "胸部正面 立位");
}

TEST(DicomDoseReport, OneExposurePerIrradiationEventInOurUnits)
{
    testing::TempFolder folder;
    testing::writeDoseReport(folder / "sr.dcm",
                             {{{"113733", "125", "kV"},
                               {"113734", "320", "mA"},
                               {"113824", "8", "ms"},
                               {"113750", "1.8", "m"},
                               {"113757", "Copper", "", true},
                               {"113758", "0.1", "mm", true},
                               {"113773", "0.3", "mm", true},
                               {"111632", "Tungsten or tungsten compound", ""},
                               {"113790", "0.1505", "m2"},
                               {"111638", "220", "mm"},
                               {"113738", "0.00021", "Gy"},
                               {"122130", "0.0000107", "Gy.m2"}},
                              {{"113733", "81", "kV"}, {"113736", "16000", "uAs"}}},
                             {{0x0008, 0x1010, "ROOM2"}});
    const std::vector<Exposure> events = readExposures(folder / "sr.dcm");
    ASSERT_EQ(events.size(), 2u);
    const Exposure& e = events[0];
    EXPECT_EQ(e.event, 1);
    EXPECT_DOUBLE_EQ(e.tubeVoltageKv->value, 125);
    EXPECT_EQ(e.tubeVoltageKv->source, "DCM 113733 concept 113733");
    EXPECT_DOUBLE_EQ(e.exposureTimeS->value, 0.008);
    EXPECT_DOUBLE_EQ(e.sourceDetectorCm->value, 180);
    ASSERT_EQ(e.filters.size(), 1u);
    EXPECT_EQ(e.filters[0].material, "COPPER");
    EXPECT_DOUBLE_EQ(*e.filters[0].thicknessMm, 0.2);
    EXPECT_EQ(e.anodeMaterial, "TUNGSTEN OR TUNGSTEN COMPOUND");
    EXPECT_DOUBLE_EQ(e.fieldAreaCm2->value, 1505);
    EXPECT_DOUBLE_EQ(e.thicknessCm->value, 22);
    EXPECT_DOUBLE_EQ(e.entranceDoseMgy->value, 0.21);
    EXPECT_NEAR(e.dapDgyCm2->value, 1.07, 1e-12);
    EXPECT_EQ(e.stationName, "ROOM2");
    EXPECT_EQ(events[1].event, 2);
    EXPECT_DOUBLE_EQ(events[1].exposureMas->value, 16);
    EXPECT_FALSE(events[1].tubeCurrentMa);

    testing::writeDoseReport(folder / "feet.dcm", {{{"113733", "80", "kV"}, {"113750", "4", "[ft_i]"}}});
    const std::string unit = refusal(folder / "feet.dcm");
    EXPECT_NE(unit.find("unit"), std::string::npos) << unit;
    EXPECT_NE(unit.find("[ft_i]"), std::string::npos) << unit;
    testing::writeDoseReport(folder / "empty.dcm", {});
    EXPECT_NE(refusal(folder / "empty.dcm").find("no irradiation event"), std::string::npos);
}

TEST(DicomFiles, FilesThatCannotBeUsedAreRefusedWithAReason)
{
    testing::TempFolder folder;
    writeBytes(folder / "text.dcm", "not a DICOM file at all\n");
    EXPECT_NE(refusal(folder / "text.dcm").find("not a DICOM file"), std::string::npos);
    // Truncated in the middle of the header.
    testing::writeImage(folder / "whole.dcm", {{0x0018, 0x0060, "80"}, {0x0018, 0x1030, "CHEST PA"}});
    const std::string whole = readFileBytes(folder / "whole.dcm");
    writeBytes(folder / "cut.dcm", whole.substr(0, whole.size() / 2));
    EXPECT_NE(refusal(folder / "cut.dcm"), "accepted");
    // An element whose length runs far beyond the file.
    std::string huge = whole.substr(0, 132 + 12);
    huge += std::string("\x08\x00\x60\x00" "CS" "\xFF\xFF", 8) + "DX";
    writeBytes(folder / "huge.dcm", huge);
    EXPECT_NE(refusal(folder / "huge.dcm"), "accepted");
    // A wrong value: text where the tube voltage belongs.
    testing::writeImage(folder / "vr.dcm", {{0x0018, 0x0060, "eighty"}});
    const std::string vr = refusal(folder / "vr.dcm");
    EXPECT_NE(vr.find("(0018,0060) KVP is not a number (eighty)"), std::string::npos) << vr;
    // No meta header, no transfer syntax: the data set is still read.
    testing::writeImage(folder / "bare.dcm", {{0x0018, 0x0060, "70"}}, true);
    EXPECT_DOUBLE_EQ(readExposures(folder / "bare.dcm")[0].tubeVoltageKv->value, 70);
    // Content items nested thousands deep (each level an undefined-length
    // sequence and item) end in a reason or a report, never a crash.
    std::string deep("\x08\x00\x60\x00\x02\x00\x00\x00SR", 10);
    const int levels = 5000;
    for (int k = 0; k < levels; ++k)
        deep += std::string("\x40\x00\x30\xA7\xFF\xFF\xFF\xFF\xFE\xFF\x00\xE0\xFF\xFF\xFF\xFF", 16);
    for (int k = 0; k < levels; ++k)
        deep += std::string("\xFE\xFF\x0D\xE0\x00\x00\x00\x00\xFE\xFF\xDD\xE0\x00\x00\x00\x00", 16);
    writeBytes(folder / "deep.dcm", deep);
    EXPECT_NE(refusal(folder / "deep.dcm").find("no irradiation event"), std::string::npos) << refusal(folder / "deep.dcm");
    // Not a projection radiograph.
    testing::writeImage(folder / "ct.dcm", {{0x0008, 0x0060, "CT"}});
    EXPECT_NE(refusal(folder / "ct.dcm").find("modality CT"), std::string::npos);
    // A FIFO would block a reader for ever; a link to nothing is missing.
    ASSERT_EQ(::mkfifo((folder / "fifo.dcm").c_str(), 0600), 0);
    EXPECT_NE(refusal(folder / "fifo.dcm").find("not a regular file"), std::string::npos) << refusal(folder / "fifo.dcm");
    std::filesystem::create_symlink(folder / "nowhere.dcm", folder / "dangling.dcm");
    EXPECT_NE(refusal(folder / "dangling.dcm"), "accepted");
    std::filesystem::create_symlink(folder / "whole.dcm", folder / "link.dcm");
    EXPECT_EQ(readExposures(folder / "link.dcm").size(), 1u);
    // Patient names and identifiers are never read into the records.
    const Exposure e = readExposures(folder / "whole.dcm")[0];
    for (const std::string& text : {e.protocolName, e.stationName, e.manufacturer, e.model, e.seriesDescription, e.sopInstanceUid})
        EXPECT_EQ(text.find("YAMADA"), std::string::npos);

    // Folders are searched in name order, hidden entries skipped.
    std::filesystem::create_directories(folder / "sub" / ".hidden");
    writeBytes(folder / "sub" / "b", "x");
    writeBytes(folder / "sub" / "a", "x");
    writeBytes(folder / "sub" / ".hidden" / "c", "x");
    const std::vector<std::filesystem::path> files = filesUnder({folder / "sub"});
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "a");
}

} // namespace
} // namespace velnor::dicom
