#pragma once

#include <array>
#include <filesystem>
#include <string>

namespace velnor {

inline constexpr int kOutputRows = 12;

// A tube output table: the exposure per mAs at 1 m from the focus for each
// rectification code and tube voltage, and the filtration it was measured with.
// Filtrations are held in cm here and kept in mm in ".op" files.
struct OutputDataTable {
    std::array<double, kOutputRows + 1> kvGrid{};                 // [1..12], kV, ascending
    std::array<std::array<double, kOutputRows + 1>, 4> exposurePerMas{}; // [code 1..3][row 1..12], C/kg per mAs
    std::array<double, 4> filtrationAl{};                         // [code 1..3], cm (inherent included)
    std::array<double, 4> filtrationCu{};                         // [code 1..3], cm
    std::string comment;                                          // one line of free text
    std::string fileName;                                         // with its ".op" extension
};

// Reads a ".op" file: line 1 is the comment, verbatim; then 51 numbers
// separated by blanks, commas or line ends: 12 voltages, then for codes 1, 2, 3
// twelve exposures per mAs, the aluminium and the copper filtration in mm.
// `fileName` becomes the file's name. Throws DataFileError naming the file when
// it is missing, short, holds a value that is not a number, or its voltages do
// not ascend.
OutputDataTable loadOutputDataTable(const std::filesystem::path& path);

// Writes the five lines of a ".op" file (comment; voltages "###.# ";
// per code exposures "0.00E+00 ", Al "#0.00 ", Cu "#0.00", in mm), replacing
// the file whole.
void saveOutputDataTable(const OutputDataTable& table, const std::filesystem::path& path);

// The table's file name without its three-character extension, as the main
// window shows it ("default-output.op" -> "default-output").
std::string outputDataDisplayName(const OutputDataTable& table);

// "default-output" and "DEFAULT-OUTPUT" are kept for the shipped table (the
// comparison is exact, as it always was).
bool isReservedOutputName(const std::string& name);

} // namespace velnor
