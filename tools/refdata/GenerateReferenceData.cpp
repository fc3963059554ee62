// velnor-refdata FOLDER: writes the reference files made from xraylib
// (coefficients, tissue data, primary kerma, filter materials, the default tube
// output table and the body-part list) into FOLDER.
#include "tools/refdata/DataFiles.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::puts("usage: velnor-refdata FOLDER\n"
                  "Writes Att_coeff2020.dat, ICRUSoft.dat, Primary.dat, default-output.op, 撮影部位.txt\n"
                  "and the filter material files (*.ele, *.mix) into FOLDER, computed from xraylib.");
        return argc == 2 ? 0 : 2;
    }
    try {
        velnor::refdata::writeAll(argv[1]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velnor-refdata: %s\n", e.what());
        return 1;
    }
}
