#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velnor::testing {

// Writes a complete, well-formed set of the main program's reference files
// with simple synthetic values, so that readers and calculations can be tested
// without the shipped data:
//  - differential backscatter tables: entry (column m, ring i) = 0.001 m / i
//    (x 2 for the head files, x 1.1 air, x 1.2 skin), 32 values per line;
//  - "Att_coeff2020.dat": smooth power laws in fixed columns;
//  - "default-output.op", "撮影部位.txt", "dATR.dat" and a 32-line "Primary.dat"
//    whose last line is "Test User".
void writeSyntheticReferenceSet(const std::filesystem::path& folder);

// The lines of a synthetic "Att_coeff2020.dat" (fixed columns, no header).
std::vector<std::string> syntheticAttenuationLines();

// Synthetic entry of a differential backscatter table.
double syntheticBsfEntry(int fileIndex, int column, int ring);

} // namespace velnor::testing
