// dicom-seeds DIR: the seed files of the DICOM fuzz harness, made as the
// tests make theirs: an image header with every attribute read, one in
// Japanese (ISO 2022 IR 87), a dose report with two events.
#include "tests/dicom/DicomFiles.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::puts("usage: dicom-seeds DIR");
        return 2;
    }
    using velnor::testing::EventItem;
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    velnor::testing::writeImage(dir / "image.dcm",
                                {{0x0018, 0x0060, "80"}, {0x0018, 0x1151, "250"}, {0x0018, 0x1150, "32"}, {0x0018, 0x1152, "8"},
                                 {0x0018, 0x1110, "1150"}, {0x0040, 0x0306, "870"}, {0x0018, 0x11A0, "205"},
                                 {0x0018, 0x7050, "ALUMINUM\\COPPER"}, {0x0018, 0x7052, "1.0\\0.1"}, {0x0018, 0x1164, "0.15\\0.15"},
                                 {0x0018, 0x1702, "100"}, {0x0018, 0x1704, "2433"}, {0x0018, 0x1706, "50"}, {0x0018, 0x1708, "2917"},
                                 {0x0040, 0x8302, "1.23"}, {0x0018, 0x115E, "1.85"}, {0x0018, 0x1411, "420"}});
    velnor::testing::writeImage(dir / "japanese.dcm", {{0x0008, 0x0005, "ISO_IR 13\\ISO 2022 IR 87"},
                                                       {0x0018, 0x1030, "\xB7\xAE\xB3" + velnor::testing::iso2022jp("胸部正面")},
                                                       {0x0018, 0x0060, "120"}});
    velnor::testing::writeDoseReport(dir / "report.dcm", {{{"113733", "125", "kV"}, {"113734", "320", "mA"}, {"113824", "8", "ms"},
                                                           {"113757", "Copper", "", true}, {"113758", "0.1", "mm", true},
                                                           {"122130", "0.0000107", "Gy.m2"}},
                                                          {{"113733", "81", "kV"}, {"113736", "16000", "uAs"}}});
    return 0;
}
